// What a newly installed printer gets from the plug-in.
#pragma once

#include "platform/win32.h"

// Stores the default printer settings record in the printer's data,
// replacing whatever was stored. FALSE when the printer cannot be opened
// with full access or the value cannot be written.
BOOL StoreDefaultPrinterSettings(PCWSTR pPrinterName);
