// The plug-in's one application object. It holds no plug-in state: every
// export call stands alone.
#pragma once

#include "winapp.h"

class CRova2SPIApp : public CWinApp {
public:
    CRova2SPIApp();
};

extern CRova2SPIApp theApp;
