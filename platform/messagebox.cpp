#include "messagebox.h"

#include <mutex>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::mutex g_hookLock;
MessageBoxHook g_hook;

int ShowDefault(const char* text, unsigned type)
{
#ifdef _WIN32
    return ::MessageBoxA(nullptr, text, "Rova2SPI", type | MB_TASKMODAL);
#else
    (void)text;
    (void)type;
    return IDOK_RESULT;   // no desktop to show it on
#endif
}

}  // namespace

int AfxMessageBox(const char* text, unsigned type)
{
    MessageBoxHook hook;
    {
        std::lock_guard<std::mutex> lock(g_hookLock);
        hook = g_hook;
    }
    return hook ? hook(text, type) : ShowDefault(text, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookLock);
    std::swap(g_hook, hook);
    return hook;
}
