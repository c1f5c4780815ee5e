#include "src/settings/settings.h"

#include "src/base/debug.h"
#include "src/base/unique.h"
#include "src/settings/printer.h"

namespace {

using unique_printer = unique_any<HANDLE, decltype(&ClosePrinter), &ClosePrinter>;

DWORD StoreSettings(HANDLE hPrinter, const REGSTRUCT &settings)
{
    return SetPrinterDataW(hPrinter, const_cast<LPWSTR>(kSettingsValueName), REG_BINARY,
                           reinterpret_cast<LPBYTE>(const_cast<REGSTRUCT *>(&settings)), sizeof(REGSTRUCT));
}

// A spooler that keeps refusing must not hold the property sheet: the
// store is retried a few times, then given up and traced.
void StoreSettingsRetrying(HANDLE hPrinter, const REGSTRUCT &settings)
{
    DWORD result = ERROR_SUCCESS;
    for (int attempt = 0; attempt < SETTINGS_WRITE_ATTEMPTS; ++attempt) {
        result = StoreSettings(hPrinter, settings);
        if (result == ERROR_SUCCESS)
            return;
    }
    WARNING(TEXT("UI:  SetPrinterData OrvoPrinterData failed, error code is %d\r\n"), result);
}

void ReadSettings(HANDLE hPrinter, PPAGECONTEXT pContext)
{
    if (pContext->nReads != 0) {
        ++pContext->nReads;
        return;
    }
    DWORD type = 0;
    DWORD size = 0;
    DWORD result = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(kSettingsValueName), &type,
                                   reinterpret_cast<LPBYTE>(&pContext->Settings), sizeof(REGSTRUCT), &size);
    if (!IsValidStoredSettings(result, type, size, pContext->Settings)) {
        SetDefaultSettings(&pContext->Settings);
        StoreSettings(hPrinter, pContext->Settings);
    }
    // The stored value keeps its number until the next write.
    if (pContext->Settings.Speed > 4)
        pContext->Settings.Speed = 4;
    pContext->nReads = 1;
}

}  // namespace

bool IsValidStoredSettings(DWORD readResult, DWORD type, DWORD size, const REGSTRUCT &settings)
{
    return readResult == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(REGSTRUCT) &&
           settings.Version == REGSTRUCT_VERSION;
}

void ReadWriteSettings(PPAGECONTEXT pContext, BOOL bWrite)
{
    if (pContext == nullptr)
        return;

    DWORD needed = 0;
    GetPrinterW(pContext->hPrinter, 2, nullptr, 0, &needed);
    if (needed == 0)
        return;
    unique_heap_block block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (!block || !GetPrinterW(pContext->hPrinter, 2, static_cast<LPBYTE>(block.get()), needed, &needed))
        return;

    // The sheet's own handle may be read-only; the data goes through one
    // opened with full access.
    auto *info = static_cast<PRINTER_INFO_2W *>(block.get());
    unique_printer printer(OpenPrinterAllAccess(info->pPrinterName));
    if (!printer)
        return;

    if (bWrite) {
        if (gPendingPages == 0)
            StoreSettingsRetrying(printer.get(), pContext->Settings);
    } else {
        ReadSettings(printer.get(), pContext);
    }
}
