// The application object base of the class library the plug-in was designed
// for, reduced to what the plug-in uses: one object per module, constructed
// at load and destroyed at unload, with an optional application name.
#pragma once

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr) : m_pszAppName(appName) {}
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    const char* m_pszAppName;
};
