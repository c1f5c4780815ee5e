#include "src/sheet/sheetstate.h"

PPAGECONTEXT gpCurrentContext = nullptr;
PREGSTRUCT gpCurrentSettings = nullptr;
POEMCUIPPARAM gpDocUIParam = nullptr;
IPrintOemDriverUI *gpDriverUIHelp = nullptr;
WCHAR gszDriverName[NAME_UNITS] = {};
WCHAR gszCurrentPrinter[NAME_UNITS] = {};
WCHAR gszCurrentPort[NAME_UNITS] = {};
WCHAR gszCurrentPaper[NAME_UNITS] = {};
BYTE gPendingPages = 0;

void BeginSheet()
{
    gpCurrentContext = nullptr;
    gpCurrentSettings = nullptr;
    gPendingPages = 0;
    // A paper picked in an earlier sheet is no choice of this one's user.
    ZeroMemory(gszCurrentPaper, sizeof(gszCurrentPaper));
}

void EndSheet(PPAGECONTEXT pContext)
{
    bool current = gpCurrentContext == nullptr || gpCurrentContext == pContext;
    if (pContext != nullptr && gpCurrentSettings == &pContext->Settings)
        current = true;
    if (!current)
        return;
    gpCurrentContext = nullptr;
    gpCurrentSettings = nullptr;
    gPendingPages = 0;
    // The driver's parameter block and helper of a document sheet go with it.
    if (pContext == nullptr || pContext->pOEMUIParam == gpDocUIParam || pContext->pOEMUIParam == nullptr) {
        gpDocUIParam = nullptr;
        gpDriverUIHelp = nullptr;
    }
}

void ResetPageState()
{
    gpCurrentContext = nullptr;
    gpCurrentSettings = nullptr;
    gpDocUIParam = nullptr;
    gpDriverUIHelp = nullptr;
    ZeroMemory(gszDriverName, sizeof(gszDriverName));
    ZeroMemory(gszCurrentPrinter, sizeof(gszCurrentPrinter));
    ZeroMemory(gszCurrentPort, sizeof(gszCurrentPort));
    ZeroMemory(gszCurrentPaper, sizeof(gszCurrentPaper));
    gPendingPages = 0;
}
