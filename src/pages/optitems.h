// The plug-in's part in the driver's own option items.
#pragma once

#include "platform/win32.h"

// The body of IOemUI::CommonUIProp.
HRESULT hrOEMPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam);
