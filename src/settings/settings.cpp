#include "src/settings/settings.h"

#include "src/base/debug.h"
#include "src/base/unique.h"
#include "src/settings/printer.h"

namespace {

// A spooler that keeps refusing must not hold the property sheet: the
// store is retried a few times, then given up and traced.
DWORD StoreSettingsRetrying(HANDLE hPrinter, const REGSTRUCT &settings)
{
    DWORD result = ERROR_SUCCESS;
    for (int attempt = 0; attempt < SETTINGS_WRITE_ATTEMPTS; ++attempt) {
        result = StoreSettings(hPrinter, settings);
        if (result == ERROR_SUCCESS)
            return result;
    }
    WARNING(TEXT("UI:  SetPrinterData OrvoPrinterData failed, error code is %d\r\n"), result);
    return result;
}

// The error of a spooler call that failed, never ERROR_SUCCESS.
DWORD FailureOfLastCall()
{
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

void ReadSettings(HANDLE hPrinter, PPAGECONTEXT pContext)
{
    if (pContext->nReads != 0) {
        ++pContext->nReads;
        return;
    }
    // Read into a copy: a failed read leaves the context's copy untouched.
    REGSTRUCT settings = pContext->Settings;
    SettingsRead read = ReadStoredSettings(hPrinter, &settings);
    if (read.state == StoredSettings::Unreadable)
        return;
    if (read.state == StoredSettings::Replaceable) {
        SetDefaultSettings(&settings);
        StoreSettings(hPrinter, settings);
    }
    // The stored value keeps its number until the next write.
    if (settings.Speed > 4)
        settings.Speed = 4;
    pContext->Settings = settings;
    pContext->nReads = 1;
}

}  // namespace

SettingsRead ReadStoredSettings(HANDLE hPrinter, REGSTRUCT *pSettings)
{
    SettingsRead read = {};
    read.result = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(kSettingsValueName), &read.type,
                                  reinterpret_cast<LPBYTE>(pSettings), sizeof(REGSTRUCT), &read.size);
    if (read.result == ERROR_SUCCESS) {
        bool valid =
            read.type == REG_BINARY && read.size == sizeof(REGSTRUCT) && pSettings->Version == REGSTRUCT_VERSION;
        read.state = valid ? StoredSettings::Valid : StoredSettings::Replaceable;
    } else if (read.result == ERROR_FILE_NOT_FOUND || read.result == ERROR_MORE_DATA) {
        // Not there, or larger than a record.
        read.state = StoredSettings::Replaceable;
    } else {
        read.state = StoredSettings::Unreadable;
    }
    return read;
}

DWORD StoreSettings(HANDLE hPrinter, const REGSTRUCT &settings)
{
    REGSTRUCT stored = settings;
    ZeroMemory(stored.Reserved, sizeof(stored.Reserved));
    return SetPrinterDataW(hPrinter, const_cast<LPWSTR>(kSettingsValueName), REG_BINARY,
                           reinterpret_cast<LPBYTE>(&stored), sizeof(REGSTRUCT));
}

DWORD ReadWriteSettings(PPAGECONTEXT pContext, BOOL bWrite)
{
    if (pContext == nullptr)
        return ERROR_SUCCESS;
    // A copy that was never read would store zeros over the printer's
    // settings; another page still pending stores them later.
    if (bWrite && (pContext->nReads == 0 || gPendingPages != 0))
        return ERROR_SUCCESS;

    SpoolerBlock info = FetchPrinterInfo2(pContext->hPrinter);
    if (!info.fetched)
        return bWrite ? FailureOfLastCall() : ERROR_SUCCESS;

    // The sheet's own handle may be read-only; the data goes through one
    // opened with full access.
    unique_printer printer(OpenPrinterAllAccess(info.As<PRINTER_INFO_2W>()->pPrinterName));
    if (!printer)
        return bWrite ? FailureOfLastCall() : ERROR_SUCCESS;

    if (bWrite)
        return StoreSettingsRetrying(printer.get(), pContext->Settings);
    ReadSettings(printer.get(), pContext);
    return ERROR_SUCCESS;
}
