#include "src/pages/optitems.h"

#include "src/core/debug.h"

HRESULT hrOEMPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam)
{
    VERBOSE(TEXT("UI:  hrOEMPropertyPage(%d) entry.\r\n"), dwMode);
    if (pOEMUIParam == nullptr || (dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP)) {
        ERR(TEXT("ERROR UI:  hrOEMPropertyPage() ERROR_INVALID_PARAMETER.\r\n"));
        VERBOSE(TEXT("UI:  \tdwMode = %d, pOEMUIParam = %#lx.\r\n"), dwMode, LogPtr(pOEMUIParam));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    // Hiding the driver's items and the printer page's own item come with
    // the pages; until then the driver is told nothing was done.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return E_NOTIMPL;
}
