#include "src/sheet/sheetstate.h"

PPAGECONTEXT gpCurrentContext = nullptr;
PREGSTRUCT gpCurrentSettings = nullptr;
POEMCUIPPARAM gpDocUIParam = nullptr;
IPrintOemDriverUI *gpDriverUIHelp = nullptr;
WCHAR gszDriverName[NAME_UNITS] = {};
WCHAR gszCurrentPrinter[NAME_UNITS] = {};
BYTE gPendingPages = 0;

void ResetPageState()
{
    gpCurrentContext = nullptr;
    gpCurrentSettings = nullptr;
    gpDocUIParam = nullptr;
    gpDriverUIHelp = nullptr;
    ZeroMemory(gszDriverName, sizeof(gszDriverName));
    ZeroMemory(gszCurrentPrinter, sizeof(gszCurrentPrinter));
    gPendingPages = 0;
}
