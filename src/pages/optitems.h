// The plug-in's part in the driver's own option items.
#pragma once

#include "platform/win32.h"

// The body of IOemUI::CommonUIProp.
HRESULT hrOEMPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam);
// The printer sheet's one item, kept as the printer data "OEMUI_VALUE".
HRESULT hrPrinterPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam);
LONG APIENTRY OEMPrinterUICallBack(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pOEMUIParam);

// Zeroes `count` items and gives each its size and no public devmode id.
void InitOptItems(POPTITEM pOptItems, DWORD count);
// A resource string in a block of `hHeap` just large enough for it, or null.
// The block belongs to the heap.
PWSTR GetStringResource(HANDLE hHeap, HMODULE hModule, UINT uStringID);

constexpr DWORD OEMUI_VALUE_MAX = 100;
