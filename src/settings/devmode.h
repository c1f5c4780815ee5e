// The private devmode record and the driver's DevMode operation.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"

// The body of IOemUI::DevMode: size, default, convert and merge of the
// plug-in's record inside a DEVMODE the driver builds.
HRESULT hrOEMDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam);

// Puts the defaults into the output and takes from the input what it has,
// when the input is a record of this plug-in.
BOOL ConvertOEMDevmode(const OEMDEV *pOEMDevIn, OEMDEV *pOEMDevOut);
BOOL MakeOEMDevmodeValid(OEMDEV *pOEMDev);
// Copies the current settings into the record of the printer's default
// DEVMODE.
BOOL UpdateDefaultOEMDev(PCWSTR pPrinterName);
// The record inside a whole DEVMODE of `available` bytes: its last 108
// bytes. Null when the DEVMODE has no room for it there.
OEMDEV *FindOEMDevInDevmode(DEVMODEW *pDevmode, size_t available);

void DumpOEMDMParam(const OEMDMPARAM *pOemDMParam);
void DumpOEMDevHeader(const OEMDEV *pOEMDev);
void DumpOEMDevFields(const OEMDEV *pOEMDev);
