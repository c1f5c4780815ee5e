#include "src/settings/printerinit.h"

#include "src/settings/printer.h"
#include "src/records/records.h"
#include "src/settings/settings.h"

BOOL StoreDefaultPrinterSettings(PCWSTR pPrinterName)
{
    unique_printer printer(OpenPrinterAllAccess(pPrinterName));
    if (!printer)
        return FALSE;
    REGSTRUCT defaults;
    SetDefaultSettings(&defaults);
    return StoreSettings(printer.get(), defaults) == ERROR_SUCCESS;
}
