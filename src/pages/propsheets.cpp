#include "src/pages/propsheets.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/unique.h"
#include "src/pages/bridge.h"
#include "src/pages/optitems.h"
#include "src/pages/pageprocs.h"
#include "src/settings/devmode.h"
#include "src/settings/printer.h"

#include <cstring>

namespace {

constexpr ULONG_PTR kAddFailed = 0xFFFFFFFF;

bool IsValidSheetInfo(PPROPSHEETUI_INFO pPSUIInfo)
{
    return pPSUIInfo != nullptr && pPSUIInfo->Version == PROPSHEETUI_INFO_VERSION;
}

PROPSHEETPAGEW MakePage(DWORD flags, WORD templateId, DLGPROC proc)
{
    PROPSHEETPAGEW page;
    ZeroMemory(&page, sizeof(page));
    page.dwSize = sizeof(page);
    page.dwFlags = flags;
    page.hInstance = ghInstance;
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pfnDlgProc = proc;
    return page;
}

LONG_PTR AddPage(PPROPSHEETUI_INFO pPSUIInfo, PROPSHEETPAGEW *page)
{
    return pPSUIInfo->pfnComPropSheet(pPSUIInfo->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                      reinterpret_cast<LPARAM>(page), 0);
}

PPAGECONTEXT NewPageContext(const OEMUIPSPARAM *pParam)
{
    auto *context = static_cast<PPAGECONTEXT>(HeapAlloc(pParam->hOEMHeap, HEAP_ZERO_MEMORY, sizeof(PAGECONTEXT)));
    if (context == nullptr)
        return nullptr;
    context->hPrinter = pParam->hPrinter;
    context->hHeap = pParam->hOEMHeap;
    return context;
}

// The model tests look at the driver of the sheet opened last; a printer
// whose data cannot be read leaves the previous name.
void RememberDriverName(HANDLE hPrinter)
{
    SpoolerBlock info = FetchPrinterInfo2(hPrinter);
    if (!info.fetched)
        return;
    PCWSTR driver = info.As<PRINTER_INFO_2W>()->pDriverName;
    lstrcpynW(gszDriverName, driver != nullptr ? driver : TEXT(""), NAME_UNITS);
}

ULONG_PTR InitDocumentSheet(PPROPSHEETUI_INFO pPSUIInfo, IPrintOemDriverUI *pOEMHelp)
{
    auto *pParam = reinterpret_cast<POEMUIPSPARAM>(pPSUIInfo->lParamInit);
    BeginSheet();
    gpDriverUIHelp = pOEMHelp;
    RememberDriverName(pParam->hPrinter);

    PROPSHEETPAGEW setup = IsFalconModel() ? MakePage(0, IDD_PAGE_SETUP_EX, ExtendedPageSetupPageProc)
                                           : MakePage(0, IDD_PAGE_SETUP, PageSetupPageProc);
    PPAGECONTEXT context = NewPageContext(pParam);
    if (context == nullptr)
        return kAddFailed;
    pPSUIInfo->UserData = reinterpret_cast<ULONG_PTR>(context);
    setup.lParam = reinterpret_cast<LPARAM>(context);

    bool withGraphics = !IsCondorModel();
    PROPSHEETPAGEW graphics = MakePage(0, IDD_GRAPHICS, GraphicsPageProc);
    graphics.lParam = reinterpret_cast<LPARAM>(context);
    PROPSHEETPAGEW other = MakePage(0, IDD_OTHER, OtherPageProc);
    other.lParam = reinterpret_cast<LPARAM>(context);

    AddPage(pPSUIInfo, &setup);
    if (withGraphics)
        AddPage(pPSUIInfo, &graphics);
    return static_cast<ULONG_PTR>(AddPage(pPSUIInfo, &other));
}

ULONG_PTR InitDeviceSheet(PPROPSHEETUI_INFO pPSUIInfo)
{
    auto *pParam = reinterpret_cast<POEMUIPSPARAM>(pPSUIInfo->lParamInit);
    PROPSHEETPAGEW about = MakePage(PSP_USETITLE, IDD_ABOUT, DevicePropAboutProc);
    about.pszTitle = GetStringResource(pParam->hOEMHeap, static_cast<HMODULE>(pParam->hModule), IDS_ABOUT);
    PPAGECONTEXT context = NewPageContext(pParam);
    if (context == nullptr)
        return kAddFailed;
    pPSUIInfo->UserData = reinterpret_cast<ULONG_PTR>(context);
    about.lParam = reinterpret_cast<LPARAM>(context);
    return static_cast<ULONG_PTR>(AddPage(pPSUIInfo, &about));
}

// The reasons both sheets answer alike. Returns false for INIT and DESTROY,
// which each sheet answers itself.
bool CommonReason(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_INIT:
    case PROPSHEETUI_REASON_DESTROY:
        return false;
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        if (lParam != 0)
            reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam)->pTitle = const_cast<LPWSTR>(TEXT("OEM UI Page"));
        pPSUIInfo->Result = TRUE;
        return true;
    case PROPSHEETUI_REASON_SET_RESULT:
        pPSUIInfo->Result = lParam != 0 ? static_cast<ULONG_PTR>(reinterpret_cast<PSETRESULT_INFO>(lParam)->Result) : 0;
        return true;
    default:  // GET_ICON and any other reason
        pPSUIInfo->Result = 0;
        return true;
    }
}

// INIT of either sheet: the pages are added and the last addition's result
// becomes the sheet's; a page context that cannot be had ends it at once.
template <typename Init>
HRESULT Initialise(PPROPSHEETUI_INFO pPSUIInfo, Init init)
{
    if (pPSUIInfo->lParamInit == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    ULONG_PTR result = init();
    if (result == kAddFailed)
        return static_cast<HRESULT>(kAddFailed);
    pPSUIInfo->Result = result;
    return S_OK;
}

void DumpSheetInfo(const PROPSHEETUI_INFO *pPSUIInfo)
{
    VERBOSE(TEXT("pPSUIInfo:\r\n"));
    VERBOSE(TEXT("\tcbSize          = %d\r\n"), pPSUIInfo->cbSize);
    VERBOSE(TEXT("\tVersion         = %#x\r\n"), pPSUIInfo->Version);
    VERBOSE(TEXT("\tFlags           = %#x\r\n"), pPSUIInfo->Flags);
    VERBOSE(TEXT("\tReason          = %d\r\n"), pPSUIInfo->Reason);
    VERBOSE(TEXT("\thComPropSheet   = %#x\r\n"), LogPtr(pPSUIInfo->hComPropSheet));
    VERBOSE(TEXT("\tpfnComPropSheet = %#x\r\n"), LogPtr(reinterpret_cast<void *>(pPSUIInfo->pfnComPropSheet)));
    VERBOSE(TEXT("\tlParamInit      = %#x\r\n"), LogPtr(reinterpret_cast<void *>(pPSUIInfo->lParamInit)));
    VERBOSE(TEXT("\tUserData        = %#x\r\n"), LogPtr(reinterpret_cast<void *>(pPSUIInfo->UserData)));
    VERBOSE(TEXT("\tResult          = %#x\r\n"), LogPtr(reinterpret_cast<void *>(pPSUIInfo->Result)));
}

// Which driver keyword feeds which pending field of the job's record.
void TakeDriverSelections(POEMCUIPPARAM pOEMUIParam, OEMDEV *pOEMDev)
{
    for (DWORD i = 0; i < pOEMUIParam->cDrvOptItems; ++i) {
        const OPTITEM &item = pOEMUIParam->pDrvOptItems[i];
        PCSTR keyword = DriverItemKeyword(item);
        if (keyword == nullptr)
            continue;
        if (std::strcmp(keyword, "PaperSize") == 0) {
            pOEMDev->standardPaperSizeChoose = item.Sel;
        } else if (std::strcmp(keyword, "Orientation") == 0) {
            pOEMDev->standardOrientationChoose = item.Sel;
        } else if (std::strcmp(keyword, "Resolution") == 0) {
            pOEMDev->standardResolutionChoose = item.Sel;
            WARNING(TEXT("UI:  pOEMDev->standardResolutionChoose is %d"), pOEMDev->standardResolutionChoose);
        }
    }
}

}  // namespace

HRESULT OEMDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam, IPrintOemDriverUI *pOEMHelp)
{
    VERBOSE(TEXT("UI:  OEMDocumentPropertySheets() entry.\r\n"));
    if (!IsValidSheetInfo(pPSUIInfo)) {
        ERR(TEXT("ERROR UI:  OEMDocumentPropertySheets() ERROR_INVALID_PARAMETER.\r\n"));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (CommonReason(pPSUIInfo, lParam))
        return S_OK;
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_DESTROY) {
        // The page context stays in the OEM heap, which the driver releases
        // after this call: nothing may point into it afterwards.
        EndSheet(reinterpret_cast<PPAGECONTEXT>(pPSUIInfo->UserData));
        pPSUIInfo->Result = TRUE;
        return S_OK;
    }
    return Initialise(pPSUIInfo, [&] { return InitDocumentSheet(pPSUIInfo, pOEMHelp); });
}

HRESULT hrOEMDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam)
{
    VERBOSE(TEXT("UI:  hrOEMDevicePropertySheets(%#x, %#x) entry\r\n"), LogPtr(pPSUIInfo), static_cast<DWORD>(lParam));
    if (!IsValidSheetInfo(pPSUIInfo)) {
        ERR(TEXT("ERROR UI:  hrOEMDevicePropertySheets() ERROR_INVALID_PARAMETER.\r\n"));
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    DumpSheetInfo(pPSUIInfo);
    if (CommonReason(pPSUIInfo, lParam))
        return S_OK;
    if (pPSUIInfo->Reason == PROPSHEETUI_REASON_DESTROY) {
        auto *pParam = reinterpret_cast<POEMUIPSPARAM>(pPSUIInfo->lParamInit);
        auto *context = reinterpret_cast<PPAGECONTEXT>(pPSUIInfo->UserData);
        if (context != nullptr) {
            EndSheet(context);
            HeapFree(pParam != nullptr ? pParam->hOEMHeap : context->hHeap, 0, context);
            pPSUIInfo->UserData = 0;
        }
        pPSUIInfo->Result = TRUE;
        return S_OK;
    }
    return Initialise(pPSUIInfo, [&] { return InitDeviceSheet(pPSUIInfo); });
}

LONG APIENTRY OEMDocUICallBack(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pOEMUIParam)
{
    if (pCallbackParam == nullptr || pOEMUIParam == nullptr)
        return CPSUICB_ACTION_NONE;
    VERBOSE(TEXT("UI:  OEMDocUICallBack() entry, Reason is %d.\r\n"), pCallbackParam->Reason);
    // The job's record, at whatever address the driver's DEVMODE holds it.
    RecordAt<OEMDEV> record(pOEMUIParam->pOEMDM);
    OEMDEV *pOEMDev = record.get();
    switch (pCallbackParam->Reason) {
    case CPSUICB_REASON_APPLYNOW:
        if (gpCurrentSettings != nullptr && gpCurrentSettings->Version == REGSTRUCT_VERSION) {
            if (pOEMDev != nullptr)
                CopySettingsToOEMDev(gpCurrentSettings, pOEMDev);
            UpdateDefaultOEMDev(pOEMUIParam->pPrinterName);
        }
        return CPSUICB_ACTION_ITEMS_APPLIED;
    case CPSUICB_REASON_SETACTIVE:
        return CPSUICB_ACTION_OPTIF_CHANGED;
    case CPSUICB_REASON_KILLACTIVE:
        if (pOEMDev == nullptr)
            return CPSUICB_ACTION_NONE;
        if (pOEMUIParam->pOEMOptItems != nullptr && pOEMUIParam->cOEMOptItems != 0)
            pOEMDev->dwDriverData = static_cast<DWORD>(pOEMUIParam->pOEMOptItems[0].Sel);
        if (pOEMUIParam->pDrvOptItems != nullptr)
            TakeDriverSelections(pOEMUIParam, pOEMDev);
        return CPSUICB_ACTION_NONE;
    default:
        return CPSUICB_ACTION_NONE;
    }
}
