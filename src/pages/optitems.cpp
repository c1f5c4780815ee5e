#include "src/pages/optitems.h"

#include "src/base/debug.h"
#include "src/pages/bridge.h"
#include "src/sheet/sheetstate.h"
#include "src/pages/propsheets.h"

#include <cstring>

namespace {

constexpr WCHAR kOemUiValueName[] = TEXT("OEMUI_VALUE");
constexpr int STRING_UNITS = 260;

// The driver's items that the plug-in's own pages replace.
bool IsReplacedDriverItem(PCSTR keyword)
{
    return std::strcmp(keyword, "PaperSize") == 0 || std::strcmp(keyword, "InputBin") == 0 ||
           std::strncmp(keyword, "OEM", 3) == 0;
}

HRESULT DocumentPropertyPage(POEMCUIPPARAM pOEMUIParam)
{
    if (pOEMUIParam->pDrvOptItems != nullptr) {
        for (DWORD i = 0; i < pOEMUIParam->cDrvOptItems; ++i) {
            OPTITEM &item = pOEMUIParam->pDrvOptItems[i];
            PCSTR keyword = DriverItemKeyword(item);
            if (keyword != nullptr && IsReplacedDriverItem(keyword))
                item.Flags = OPTIF_HIDE;
        }
    }
    gpDocUIParam = pOEMUIParam;
    pOEMUIParam->OEMCUIPCallback = OEMDocUICallBack;
    return S_OK;
}

DWORD ReadOemUiValue(HANDLE hPrinter)
{
    DWORD value = 0;
    DWORD type = 0;
    DWORD needed = 0;
    DWORD result = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(kOemUiValueName), &type,
                                   reinterpret_cast<LPBYTE>(&value), sizeof(value), &needed);
    // Only what the callback stores is a selection: a REG_DWORD of four
    // bytes. A shorter value or one of another type (text, a few bytes) is
    // someone else's and would read as a number it never was.
    if (result != ERROR_SUCCESS || type != REG_DWORD || needed != sizeof(value) || value > OEMUI_VALUE_MAX)
        return 0;
    return value;
}

}  // namespace

HRESULT hrOEMPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam)
{
    VERBOSE(TEXT("UI:  hrOEMPropertyPage(%d) entry.\r\n"), dwMode);
    if (pOEMUIParam == nullptr || (dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP)) {
        ERR(TEXT("ERROR UI:  hrOEMPropertyPage() ERROR_INVALID_PARAMETER.\r\n"));
        VERBOSE(TEXT("UI:  \tdwMode = %d, pOEMUIParam = %#lx.\r\n"), dwMode, LogPtr(pOEMUIParam));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (dwMode == OEMCUIP_DOCPROP)
        return DocumentPropertyPage(pOEMUIParam);
    return hrPrinterPropertyPage(dwMode, pOEMUIParam);
}

HRESULT hrPrinterPropertyPage(DWORD dwMode, POEMCUIPPARAM pOEMUIParam)
{
    UNREFERENCED_PARAMETER(dwMode);
    if (pOEMUIParam->pOEMOptItems == nullptr) {
        pOEMUIParam->cOEMOptItems = 1;
        VERBOSE(TEXT("UI:  hrPrinterPropertyPage() requesting %d number of items.\r\n"), pOEMUIParam->cOEMOptItems);
        return S_OK;
    }
    VERBOSE(TEXT("UI:  hrPrinterPropertyPage() fill out %d items.\r\n"), pOEMUIParam->cOEMOptItems);
    DWORD value = ReadOemUiValue(pOEMUIParam->hPrinter);
    pOEMUIParam->OEMCUIPCallback = OEMPrinterUICallBack;
    InitOptItems(pOEMUIParam->pOEMOptItems, pOEMUIParam->cOEMOptItems);
    if (pOEMUIParam->cOEMOptItems != 0)
        pOEMUIParam->pOEMOptItems[0].Sel = static_cast<LONG>(value);
    return S_OK;
}

LONG APIENTRY OEMPrinterUICallBack(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pOEMUIParam)
{
    if (pCallbackParam == nullptr || pOEMUIParam == nullptr)
        return CPSUICB_ACTION_NONE;
    VERBOSE(TEXT("UI:  OEMPrinterUICallBack() entry, Reason is %d.\r\n"), pCallbackParam->Reason);
    if (pCallbackParam->Reason == CPSUICB_REASON_APPLYNOW && pOEMUIParam->pOEMOptItems != nullptr &&
        pOEMUIParam->cOEMOptItems != 0) {
        DWORD value = static_cast<DWORD>(pOEMUIParam->pOEMOptItems[0].Sel);
        SetPrinterDataW(pOEMUIParam->hPrinter, const_cast<LPWSTR>(kOemUiValueName), REG_DWORD,
                        reinterpret_cast<LPBYTE>(&value), sizeof(value));
    }
    return CPSUICB_ACTION_NONE;
}

void InitOptItems(POPTITEM pOptItems, DWORD count)
{
    VERBOSE(TEXT("UI:  InitOptItems() entry.\r\n"));
    if (pOptItems == nullptr)
        return;
    ZeroMemory(pOptItems, sizeof(OPTITEM) * count);
    for (DWORD i = 0; i < count; ++i) {
        pOptItems[i].cbSize = sizeof(OPTITEM);
        pOptItems[i].DMPubID = DMPUB_NONE;
    }
}

PWSTR GetStringResource(HANDLE hHeap, HMODULE hModule, UINT uStringID)
{
    VERBOSE(TEXT("UI:  GetStringResource(%#x, %#x, %d) entered.\r\n"), LogPtr(hHeap), LogPtr(hModule), uStringID);
    auto *buffer = static_cast<PWSTR>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, STRING_UNITS * sizeof(WCHAR)));
    if (buffer == nullptr) {
        ERR(TEXT("ERROR UI:  GetStringResource() failed to allocate string buffer!\r\n"));
        return nullptr;
    }
    int length = LoadStringW(hModule, uStringID, buffer, STRING_UNITS);
    if (length < 1) {
        ERR(TEXT("ERROR UI:  LoadString() returned %d! (Last Error was %d)\r\n"), length, GetLastError());
        ERR(TEXT("ERROR UI:  GetStringResource() failed to load string resource %d!\r\n"), uStringID);
        HeapFree(hHeap, 0, buffer);
        return nullptr;
    }
    VERBOSE(TEXT("UI:  LoadString() returned %d!\r\n"), length);
    VERBOSE(TEXT("UI:  String load was \"%s\".\r\n"), buffer);
    void *shrunk = HeapReAlloc(hHeap, HEAP_ZERO_MEMORY, buffer, (length + 1) * sizeof(WCHAR));
    if (shrunk == nullptr) {
        ERR(TEXT("ERROR UI:  GetStringResource() HeapReAlloc() of string retrieved failed! (Last Error was %d)\r\n"),
            GetLastError());
        return buffer;
    }
    return static_cast<PWSTR>(shrunk);
}
