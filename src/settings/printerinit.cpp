#include "src/settings/printerinit.h"

#include "src/settings/printer.h"
#include "src/records/records.h"

BOOL StoreDefaultPrinterSettings(PCWSTR pPrinterName)
{
    HANDLE hPrinter = OpenPrinterAllAccess(pPrinterName);
    if (hPrinter == nullptr)
        return FALSE;
    REGSTRUCT defaults;
    SetDefaultSettings(&defaults);
    DWORD result = SetPrinterDataW(hPrinter, const_cast<LPWSTR>(kSettingsValueName), REG_BINARY,
                                   reinterpret_cast<LPBYTE>(&defaults), sizeof(defaults));
    ClosePrinter(hPrinter);
    return result == ERROR_SUCCESS;
}
