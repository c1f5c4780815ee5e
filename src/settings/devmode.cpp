#include "src/settings/devmode.h"

#include "src/core/debug.h"

HRESULT hrOEMDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam)
{
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        ERR(TEXT("ERROR UI:  DevMode() ERROR_INVALID_PARAMETER.\r\n"));
        VERBOSE(TEXT("UI:  \tdwMode = %d, pOemDMParam = %#lx.\r\n"), dwMode, LogPtr(pOemDMParam));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }

    // The record and its operations are not built yet: refuse rather than
    // hand the driver a record that was never written.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return E_NOTIMPL;
}
