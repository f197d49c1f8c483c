#include "app.h"

CRova2SPIApp::CRova2SPIApp() : CWinApp(nullptr) {}

CRova2SPIApp theApp;
