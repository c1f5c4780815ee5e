// The private devmode record and the driver's DevMode operation.
#pragma once

#include "platform/win32.h"

// The body of IOemUI::DevMode: size, default, convert and merge of the
// plug-in's record inside a DEVMODE the driver builds.
HRESULT hrOEMDevMode(DWORD dwMode, POEMDMPARAM pOemDMParam);
