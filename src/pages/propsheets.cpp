#include "src/pages/propsheets.h"

#include "src/core/debug.h"

namespace {

bool IsValidSheetInfo(PPROPSHEETUI_INFO pPSUIInfo)
{
    return pPSUIInfo != nullptr && pPSUIInfo->Version == PROPSHEETUI_INFO_VERSION;
}

// The pages are not built yet: no reason of either sheet is handled, and
// the sheet is told so instead of being handed a result that means nothing.
HRESULT PagesNotBuilt()
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return E_NOTIMPL;
}

}  // namespace

HRESULT OEMDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam, IPrintOemDriverUI *pOEMHelp)
{
    UNREFERENCED_PARAMETER(lParam);
    UNREFERENCED_PARAMETER(pOEMHelp);
    VERBOSE(TEXT("UI:  OEMDocumentPropertySheets() entry.\r\n"));
    if (!IsValidSheetInfo(pPSUIInfo)) {
        ERR(TEXT("ERROR UI:  OEMDocumentPropertySheets() ERROR_INVALID_PARAMETER.\r\n"));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    return PagesNotBuilt();
}

HRESULT hrOEMDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    VERBOSE(TEXT("UI:  hrOEMDevicePropertySheets(%#x, %#x) entry\r\n"), LogPtr(pPSUIInfo),
            static_cast<DWORD>(lParam));
    if (!IsValidSheetInfo(pPSUIInfo)) {
        ERR(TEXT("ERROR UI:  hrOEMDevicePropertySheets() ERROR_INVALID_PARAMETER.\r\n"));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    return PagesNotBuilt();
}
