// The printer settings record in the printer's data.
#pragma once

#include "platform/win32.h"
#include "src/sheet/sheetstate.h"

// A failing store is tried this many times in all before it is given up.
constexpr int SETTINGS_WRITE_ATTEMPTS = 5;

// Read (bWrite FALSE): the first call for a page context reads the stored
// record into its Settings, replacing a missing or damaged one by the
// defaults; later calls only count. Write: stores Settings, but only once no
// page has unapplied changes left.
void ReadWriteSettings(PPAGECONTEXT pContext, BOOL bWrite);
// Whether a stored value is a record of the current version.
bool IsValidStoredSettings(DWORD readResult, DWORD type, DWORD size, const REGSTRUCT &settings);
