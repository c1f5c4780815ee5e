// The printer settings record in the printer's data: the one place that
// reads and stores it.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"
#include "src/sheet/sheetstate.h"

// A failing store from the pages is tried this many times in all before it
// is given up.
constexpr int SETTINGS_WRITE_ATTEMPTS = 5;

// What a read of the stored record found.
enum class StoredSettings {
    Valid,        // a 116-byte REG_BINARY record of the current version
    Replaceable,  // missing, foreign or damaged: not found, wrong type, size or version
    Unreadable,   // the spooler failed for another reason: the value may be fine
};

struct SettingsRead {
    DWORD result;  // GetPrinterDataW's result
    DWORD type;
    DWORD size;  // the stored size
    StoredSettings state;
};

// Reads "OrvoPrinterData" of a printer into the caller's record (116 bytes;
// a shorter value fills only its part, the rest keeps what it held).
SettingsRead ReadStoredSettings(HANDLE hPrinter, REGSTRUCT *pSettings);
// Stores a record as "OrvoPrinterData", REG_BINARY, 116 bytes, with its
// Reserved fields written as 0. The spooler's result.
DWORD StoreSettings(HANDLE hPrinter, const REGSTRUCT &settings);

// Read (bWrite FALSE): the first call for a page context reads the stored
// record into its Settings, replacing a missing or damaged one by the
// defaults; a passing failure leaves the copy unread and the value alone.
// Later calls only count. Write: stores Settings, but only once no page has
// unapplied changes left, and only a copy that was read. Returns
// ERROR_SUCCESS, or for a write that was due the error that kept the record
// from the printer (after the bounded retries).
DWORD ReadWriteSettings(PPAGECONTEXT pContext, BOOL bWrite);
