#include "src/settings/printerinit.h"

BOOL StoreDefaultPrinterSettings(PCWSTR pPrinterName)
{
    UNREFERENCED_PARAMETER(pPrinterName);
    // The settings record and the printer access helpers are not built yet.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
