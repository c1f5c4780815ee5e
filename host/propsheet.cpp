#include "host/propsheet.h"

#include "host/text.h"
#include "platform/linux/spooler/server.h"
#include "platform/linux/user/automation.h"
#include "resources/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace host {

namespace {

constexpr WCHAR kSheetClass[] = TEXT("OrvoHostPropertySheet");
constexpr DWORD kMaxOemItems = 16;

std::string Hex(LONG_PTR value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%#lx", static_cast<unsigned long>(value));
    return text;
}

bool RegisterSheetClass(WNDPROC proc)
{
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSW cls = {};
    cls.lpfnWndProc = proc;
    cls.lpszClassName = kSheetClass;
    registered = RegisterClassW(&cls) != 0;
    return registered;
}

const char *ReasonName(WORD reason)
{
    switch (reason) {
    case CPSUICB_REASON_APPLYNOW:
        return "APPLYNOW";
    case CPSUICB_REASON_SETACTIVE:
        return "SETACTIVE";
    case CPSUICB_REASON_KILLACTIVE:
        return "KILLACTIVE";
    default:
        return "other";
    }
}

const char *NotifyName(UINT code)
{
    switch (code) {
    case static_cast<UINT>(PSN_SETACTIVE):
        return "PSN_SETACTIVE";
    case static_cast<UINT>(PSN_KILLACTIVE):
        return "PSN_KILLACTIVE";
    case static_cast<UINT>(PSN_APPLY):
        return "PSN_APPLY";
    case static_cast<UINT>(PSN_RESET):
        return "PSN_RESET";
    default:
        return "notification";
    }
}

}  // namespace

// ---- The driver's UI helper ------------------------------------------------

STDMETHODIMP DriverUiHelper::QueryInterface(REFIID riid, void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPrintOemDriverUI) {
        *ppv = static_cast<IPrintOemDriverUI *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DriverUiHelper::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) DriverUiHelper::Release()
{
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP DriverUiHelper::DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) { return E_NOTIMPL; }
STDMETHODIMP DriverUiHelper::DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) { return E_NOTIMPL; }

STDMETHODIMP DriverUiHelper::DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection, DWORD dwMode)
{
    UNREFERENCED_PARAMETER(pci);
    auto *item = static_cast<const OPTITEM *>(pOptItem);
    UiSettingUpdate update;
    auto *userData = item != nullptr ? reinterpret_cast<const USERDATA *>(item->UserData) : nullptr;
    update.keyword = userData != nullptr && userData->pKeyWordName != nullptr ? userData->pKeyWordName : "";
    update.sel = item != nullptr ? item->Sel : -1;
    update.previousSelection = dwPreviousSelection;
    update.mode = dwMode;
    updates.push_back(update);
    return updateResult;
}

// ---- The driver's option items ----------------------------------------------

namespace {

// A resolution option: its text and the DEVMODE's fields for it.
struct Resolution {
    const char16_t *text;
    short x, y;
};
const Resolution kStandardResolutions[] = {{u"203 x 203 dots per inch", 203, 203},
                                           {u"300 x 300 dots per inch", 300, 300}};
// The extended model: one per print quality, in the plug-in's order.
const Resolution kQualityResolutions[] = {{u"300 x 300 dots per inch", 300, 300},
                                          {u"300 x 600 dots per inch", 300, 600},
                                          {u"600 x 600 dots per inch", 600, 600},
                                          {u"150 x 150 dots per inch", 150, 150}};

template <size_t N>
std::vector<std::u16string> ResolutionTexts(const Resolution (&table)[N])
{
    std::vector<std::u16string> texts;
    for (const Resolution &r : table)
        texts.emplace_back(r.text);
    return texts;
}

}  // namespace

void DriverOptionItems::Add(Item item) { specs_.push_back(std::move(item)); }

void DriverOptionItems::Store(DEVMODEW &devmode, bool paperToo) const
{
    auto *self = const_cast<DriverOptionItems *>(this);
    if (const OPTITEM *paper = paperToo ? self->Find("PaperSize") : nullptr;
        paper != nullptr && paper->Sel >= 0 && static_cast<size_t>(paper->Sel) < papers_.size()) {
        size_t i = static_cast<size_t>(paper->Sel);
        ZeroMemory(devmode.dmFormName, sizeof(devmode.dmFormName));
        devmode.dmFields &= ~static_cast<DWORD>(DM_FORMNAME);
        if (papers_[i].size() < CCHFORMNAME) {
            std::copy(papers_[i].begin(), papers_[i].end(), devmode.dmFormName);
            devmode.dmFields |= DM_FORMNAME;
        }
        if (i < numbers_.size()) {
            devmode.dmPaperSize = static_cast<short>(numbers_[i]);
            devmode.dmFields |= DM_PAPERSIZE;
        }
    }
    if (const OPTITEM *orientation = self->Find("Orientation"); orientation != nullptr && orientation->Sel >= 0) {
        devmode.dmOrientation = orientation->Sel == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        devmode.dmFields |= DM_ORIENTATION;
    }
    const Resolution *table = qualityResolutions_ ? kQualityResolutions : kStandardResolutions;
    size_t resolutions = qualityResolutions_ ? std::size(kQualityResolutions) : std::size(kStandardResolutions);
    if (const OPTITEM *resolution = self->Find("Resolution");
        resolution != nullptr && resolution->Sel >= 0 && static_cast<size_t>(resolution->Sel) < resolutions) {
        devmode.dmPrintQuality = table[resolution->Sel].x;
        devmode.dmYResolution = table[resolution->Sel].y;
        devmode.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    }
}

void DriverOptionItems::Build(const std::vector<std::u16string> &papers, const std::vector<WORD> &numbers,
                              const DEVMODEW &devmode, bool qualityResolutions)
{
    specs_.clear();
    papers_ = papers;
    numbers_ = numbers;
    qualityResolutions_ = qualityResolutions;
    // The form name decides when the DEVMODE says it carries one; the paper
    // number otherwise.
    LONG paper = 0;
    std::u16string formName(devmode.dmFormName, std::find(devmode.dmFormName, devmode.dmFormName + CCHFORMNAME, u'\0'));
    for (size_t i = 0; i < papers.size(); ++i) {
        bool byName = (devmode.dmFields & DM_FORMNAME) != 0 && papers[i] == formName;
        bool byNumber = (devmode.dmFields & DM_FORMNAME) == 0 && (devmode.dmFields & DM_PAPERSIZE) != 0 &&
                        i < numbers.size() && numbers[i] == static_cast<WORD>(devmode.dmPaperSize);
        if (byName || byNumber)
            paper = static_cast<LONG>(i);
    }
    LONG resolution = 0;
    size_t resolutions = qualityResolutions ? std::size(kQualityResolutions) : std::size(kStandardResolutions);
    const Resolution *table = qualityResolutions ? kQualityResolutions : kStandardResolutions;
    for (size_t i = 0; i < resolutions && (devmode.dmFields & DM_PRINTQUALITY) != 0; ++i) {
        if (table[i].x == devmode.dmPrintQuality && table[i].y == devmode.dmYResolution)
            resolution = static_cast<LONG>(i);
    }
    Add({"", u"Document Options", {}, 0, DMPUB_NONE});
    Add({"PaperSize", u"Paper Size", papers, paper, DMPUB_FORMNAME});
    Add({"Orientation",
         u"Orientation",
         {u"Portrait", u"Landscape"},
         devmode.dmOrientation == DMORIENT_LANDSCAPE ? 1 : 0,
         DMPUB_ORIENTATION});
    Add({"", u"Copy Count", {}, 1, DMPUB_COPIES_COLLATE});
    Add({"Resolution", u"Print Quality",
         qualityResolutions ? ResolutionTexts(kQualityResolutions) : ResolutionTexts(kStandardResolutions), resolution,
         DMPUB_PRINTQUALITY});
    Add({"InputBin", u"Paper Source", {u"Automatically Select", u"Tape Cassette"}, 0, DMPUB_DEFSOURCE});
    Add({"OEMPrintSpeed", u"Print Speed", {u"1", u"2", u"3", u"4"}, 1, DMPUB_NONE});
    Add({"OEM", u"Printer Features", {}, 0, DMPUB_NONE});
    Add({"Halftone", u"Halftoning", {u"Auto Select", u"Super Cell"}, 0, DMPUB_DITHERTYPE});
    Add({"paperSize", u"Paper Size (legacy)", {u"Tape"}, 0, DMPUB_NONE});

    keywords_.clear();
    texts_.clear();
    params_.clear();
    types_.clear();
    userData_.clear();
    items_.assign(specs_.size(), OPTITEM{});
    for (size_t i = 0; i < specs_.size(); ++i) {
        const Item &spec = specs_[i];
        OPTITEM &item = items_[i];
        item.cbSize = sizeof(OPTITEM);
        item.Level = 1;
        texts_.push_back(spec.name);
        item.pName = &texts_.back()[0];
        item.Sel = spec.sel;
        item.DMPubID = spec.pubId;
        // The heading item has a user data record without a keyword; the
        // copy count has no record at all.
        if (!spec.keyword.empty() || i == 0) {
            USERDATA data = {};
            data.dwSize = sizeof(USERDATA);
            data.dwItemID = i;
            if (!spec.keyword.empty()) {
                keywords_.push_back(spec.keyword);
                data.pKeyWordName = &keywords_.back()[0];
            }
            userData_.push_back(data);
            item.UserData = reinterpret_cast<ULONG_PTR>(&userData_.back());
        }
        if (!spec.options.empty()) {
            params_.emplace_back();
            for (const std::u16string &option : spec.options) {
                texts_.push_back(option);
                OPTPARAM param = {};
                param.cbSize = sizeof(OPTPARAM);
                param.pData = &texts_.back()[0];
                params_.back().push_back(param);
            }
            OPTTYPE type = {};
            type.cbSize = sizeof(OPTTYPE);
            type.Type = TVOT_LISTBOX;
            type.Count = static_cast<WORD>(spec.options.size());
            type.pOptParam = params_.back().data();
            types_.push_back(type);
            item.pOptType = &types_.back();
        }
    }
}

POPTITEM DriverOptionItems::Find(const std::string &keyword)
{
    for (size_t i = 0; i < specs_.size(); ++i) {
        if (specs_[i].keyword == keyword)
            return &items_[i];
    }
    return nullptr;
}

std::string DriverOptionItems::Keyword(const OPTITEM &item) const
{
    auto *data = reinterpret_cast<const USERDATA *>(item.UserData);
    return data != nullptr && data->pKeyWordName != nullptr ? data->pKeyWordName : "";
}

std::u16string DriverOptionItems::OptionText(const OPTITEM &item, LONG index) const
{
    if (item.pOptType == nullptr || index < 0 || index >= item.pOptType->Count)
        return u"";
    PCWSTR text = item.pOptType->pOptParam[index].pData;
    return text != nullptr ? text : u"";
}

// ---- The sheet -------------------------------------------------------------

PropertySheet::PropertySheet(IPrintOemUI *ui, SheetKind kind, std::u16string printer, HMODULE pluginModule)
    : ui_(ui), kind_(kind), printer_(std::move(printer)), helper_(DriverUiHelper::Create()), module_(pluginModule)
{
}

PropertySheet::~PropertySheet()
{
    Close();
    helper_->Release();
}

HWND PropertySheet::ActiveWindow() const { return active_ < pages_.size() ? pages_[active_].window : nullptr; }

bool PropertySheet::PrepareJobDevmode(std::string &error)
{
    DWORD needed = 0;
    GetPrinterW(hPrinter_, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed != 0 ? needed : 1);
    if (needed == 0 || !GetPrinterW(hPrinter_, 2, info.data(), needed, &needed)) {
        error = "the printer's data cannot be read (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    auto *pi2 = reinterpret_cast<PRINTER_INFO_2W *>(info.data());
    papers_.clear();
    int count = DeviceCapabilitiesW(pi2->pPrinterName, pi2->pPortName, DC_PAPERNAMES, nullptr, nullptr);
    if (count > 0) {
        std::vector<WCHAR> names(static_cast<size_t>(count) * 64);
        count = DeviceCapabilitiesW(pi2->pPrinterName, pi2->pPortName, DC_PAPERNAMES, names.data(), nullptr);
        for (int i = 0; i < count; ++i) {
            const WCHAR *slot = &names[static_cast<size_t>(i) * 64];
            papers_.emplace_back(slot, std::find(slot, slot + 64, u'\0'));
        }
    }
    paperNumbers_.assign(papers_.size(), 0);
    if (!papers_.empty() && DeviceCapabilitiesW(pi2->pPrinterName, pi2->pPortName, DC_PAPERS, nullptr, nullptr) ==
                                static_cast<int>(papers_.size()))
        DeviceCapabilitiesW(pi2->pPrinterName, pi2->pPortName, DC_PAPERS,
                            reinterpret_cast<LPWSTR>(paperNumbers_.data()), nullptr);
    bool qualityResolutions = pi2->pDriverName != nullptr && std::u16string(pi2->pDriverName) == u"FalconBT";

    // The job's DEVMODE starts as the printer's default; a record the
    // plug-in does not find there is made by the plug-in's defaults.
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    OEMDEV fresh = {};
    param.pOEMDMOut = &fresh;
    ui_->DevMode(OEMDM_DEFAULT, &param);
    const DEVMODEW *source = pi2->pDevMode;
    WORD extra = source != nullptr ? source->dmDriverExtra : 0;
    bool hasRecord = source != nullptr && extra >= sizeof(OEMDEV);
    if (hasRecord) {
        devmode_.assign(reinterpret_cast<const BYTE *>(source),
                        reinterpret_cast<const BYTE *>(source) + source->dmSize + extra);
        OEMDEV stored;
        std::memcpy(&stored, devmode_.data() + devmode_.size() - sizeof(OEMDEV), sizeof(OEMDEV));
        param.pOEMDMIn = &stored;
        ui_->DevMode(OEMDM_MERGE, &param);
    } else {
        devmode_.assign(sizeof(DEVMODEW) + sizeof(OEMDEV), 0);
        if (source != nullptr)
            std::memcpy(devmode_.data(), source, sizeof(DEVMODEW));
        auto *head = reinterpret_cast<DEVMODEW *>(devmode_.data());
        head->dmSize = sizeof(DEVMODEW);
        head->dmDriverExtra = sizeof(OEMDEV);
    }
    jobRecord_ = devmode_.data() + devmode_.size() - sizeof(OEMDEV);
    std::memcpy(jobRecord_, &fresh, sizeof(OEMDEV));
    driverItems_.Build(papers_, paperNumbers_, *reinterpret_cast<DEVMODEW *>(devmode_.data()), qualityResolutions);
    return true;
}

// The fields the driver's two parameter blocks have in common.
template <typename Block>
void PropertySheet::FillDriverBlock(Block &block)
{
    block.cbSize = sizeof(block);
    block.poemuiobj = &uiObject_;
    block.hPrinter = hPrinter_;
    block.pPrinterName = &printer_[0];
    block.hModule = module_;
    block.hOEMHeap = heap_;
    block.pPublicDM = reinterpret_cast<PDEVMODEW>(devmode_.data());
    block.pOEMDM = jobRecord_;
}

bool PropertySheet::PrepareUiParam()
{
    uiObject_.cbSize = sizeof(uiObject_);
    uiParam_ = {};
    FillDriverBlock(uiParam_);
    if (kind_ == SheetKind::Document) {
        uiParam_.pDrvOptItems = driverItems_.Items();
        uiParam_.cDrvOptItems = driverItems_.Count();
        commonUiResult = ui_->CommonUIProp(OEMCUIP_DOCPROP, &uiParam_);
        return true;
    }
    // The printer sheet: first the count of the plug-in's items, then the items.
    commonUiResult = ui_->CommonUIProp(OEMCUIP_PRNPROP, &uiParam_);
    if (FAILED(commonUiResult) || uiParam_.cOEMOptItems == 0)
        return true;
    oemItems_.assign(std::min<DWORD>(uiParam_.cOEMOptItems, kMaxOemItems), OPTITEM{});
    uiParam_.cOEMOptItems = static_cast<DWORD>(oemItems_.size());
    uiParam_.pOEMOptItems = oemItems_.data();
    commonUiResult = ui_->CommonUIProp(OEMCUIP_PRNPROP, &uiParam_);
    return true;
}

HRESULT PropertySheet::CallSheets(WORD reason, LPARAM lParam)
{
    info_.Reason = reason;
    return kind_ == SheetKind::Document ? ui_->DocumentPropertySheets(&info_, lParam)
                                        : ui_->DevicePropertySheets(&info_, lParam);
}

void GuardRibbonQuery()
{
    standin::ui::SetStallPeriod(IDD_RIBBON_QUERY, [](HWND dialog) {
        constexpr unsigned kExchangesPerRow = 2;  // a second when the first brings no ribbon block
        constexpr unsigned kMarginMs = 2000;
        HWND list = GetDlgItem(GetParent(dialog), IDC_DISTRIBUTED_LIST);
        auto rows = static_cast<unsigned>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        return rows * kExchangesPerRow * standin::spooler::BidiTimeout() + kMarginMs;
    });
}

bool PropertySheet::Open(std::string &error)
{
    if (open_) {
        error = "the sheet is open already";
        return false;
    }
    GuardRibbonQuery();
    // The printer's own sheet gets the handle an administrator's would have
    // where the user may manage the printer; the document sheet a user's.
    PRINTER_DEFAULTSW manage = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (kind_ == SheetKind::Device && !OpenPrinterW(&printer_[0], &hPrinter_, &manage))
        hPrinter_ = nullptr;
    if (hPrinter_ == nullptr && !OpenPrinterW(&printer_[0], &hPrinter_, nullptr)) {
        error = "the printer cannot be opened (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    heap_ = HeapCreate(0, 0, 0);
    open_ = true;
    if (heap_ == nullptr) {
        error = "no OEM heap";
        return false;
    }
    if (!PrepareJobDevmode(error))
        return false;
    ui_->PublishDriverInterface(static_cast<IPrintOemDriverUI *>(helper_));
    PrepareUiParam();

    if (!RegisterSheetClass(SheetProc)) {
        error = "the sheet's window class cannot be registered";
        return false;
    }
    sheet_ = CreateWindowExW(0, kSheetClass, &printer_[0], WS_POPUP | WS_CAPTION, 0, 0, 420, 480, nullptr, nullptr,
                             nullptr, nullptr);
    if (sheet_ == nullptr) {
        error = "the sheet window cannot be made (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    SetWindowLongPtrW(sheet_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(sheet_, SW_SHOW);

    Page driverPage;
    driverPage.driverPage = true;
    driverPage.title = kind_ == SheetKind::Document ? u"Layout (driver)" : u"Device Settings (driver)";
    pages_.push_back(driverPage);

    psParam_ = {};
    FillDriverBlock(psParam_);
    info_ = {};
    info_.cbSize = sizeof(info_);
    info_.Version = PROPSHEETUI_INFO_VERSION;
    info_.hComPropSheet = reinterpret_cast<HANDLE>(this);
    info_.pfnComPropSheet = ComPropSheet;
    info_.lParamInit = reinterpret_cast<LPARAM>(&psParam_);
    initResult = CallSheets(PROPSHEETUI_REASON_INIT, 0);
    initSheetResult = info_.Result;
    events.push_back("INIT: " + Hex(initResult) + ", result " + Hex(static_cast<LONG_PTR>(info_.Result)) + ", " +
                     std::to_string(pages_.size() - 1) + " page(s) added");

    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    std::u16string title = printer_ + u" Properties";
    header.pTitle = title.c_str();
    header.hWndParent = sheet_;
    header.hInst = module_;
    CallSheets(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    infoTitle = header.pTitle != nullptr ? header.pTitle : u"";

    active_ = pages_.size();  // nothing shown yet
    return Activate(0);
}

LONG_PTR CALLBACK PropertySheet::ComPropSheet(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2)
{
    UNREFERENCED_PARAMETER(lParam2);
    auto *self = reinterpret_cast<PropertySheet *>(hComPropSheet);
    if (self == nullptr)
        return 0;
    if (function == CPSFUNC_ADD_PROPSHEETPAGEW)
        return self->AddPage(reinterpret_cast<const PROPSHEETPAGEW *>(lParam1));
    self->events.push_back("sheet function " + std::to_string(function) + " is not served");
    return 0;
}

LONG_PTR PropertySheet::AddPage(const PROPSHEETPAGEW *psp)
{
    if (psp == nullptr || psp->dwSize < offsetof(PROPSHEETPAGEW, pfnCallback) || psp->dwSize > sizeof(PROPSHEETPAGEW) ||
        !IS_INTRESOURCE(psp->pszTemplate) || psp->pfnDlgProc == nullptr) {
        events.push_back("a page was refused: no template id or procedure");
        return 0;
    }
    Page page;
    std::memset(&page.psp, 0, sizeof(page.psp));
    std::memcpy(&page.psp, psp, psp->dwSize);
    page.templateId = static_cast<int>(reinterpret_cast<ULONG_PTR>(psp->pszTemplate));
    if ((psp->dwFlags & PSP_USETITLE) && psp->pszTitle != nullptr) {
        if (IS_INTRESOURCE(psp->pszTitle)) {
            WCHAR text[260] = {};
            LoadStringW(psp->hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psp->pszTitle)), text, 260);
            page.title = text;
        } else {
            page.title = psp->pszTitle;
        }
    }
    pages_.push_back(page);
    events.push_back("page added: template " + std::to_string(page.templateId));
    return static_cast<LONG_PTR>(pages_.size() - 1);
}

bool PropertySheet::MakePageWindow(Page &page)
{
    page.window = CreateDialogParamW(page.psp.hInstance, page.psp.pszTemplate, sheet_, page.psp.pfnDlgProc,
                                     reinterpret_cast<LPARAM>(&page.psp));
    if (page.window == nullptr) {
        events.push_back("page " + std::to_string(page.templateId) + " cannot be made (error " +
                         std::to_string(GetLastError()) + ")");
        return false;
    }
    if (page.title.empty()) {
        WCHAR caption[260] = {};
        GetWindowTextW(page.window, caption, 260);
        page.title = caption;
    }
    return true;
}

LRESULT PropertySheet::Notify(Page &page, UINT code)
{
    PSHNOTIFY notify = {};
    notify.hdr.hwndFrom = sheet_;
    notify.hdr.idFrom = 0;
    notify.hdr.code = code;
    SetWindowLongPtrW(page.window, DWLP_MSGRESULT, 0);
    SendMessageW(page.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    LRESULT result = GetWindowLongPtrW(page.window, DWLP_MSGRESULT);
    events.push_back(std::string(NotifyName(code)) + " to page " + std::to_string(page.templateId) +
                     (result != 0 ? ": " + Hex(result) : ""));
    return result;
}

LONG PropertySheet::CallDriverCallback(WORD reason)
{
    if (uiParam_.OEMCUIPCallback == nullptr)
        return CPSUICB_ACTION_NONE;
    CPSUICBPARAM param = {};
    param.cbSize = sizeof(param);
    param.Reason = reason;
    param.hDlg = sheet_;
    param.pOptItem = kind_ == SheetKind::Document ? uiParam_.pDrvOptItems : uiParam_.pOEMOptItems;
    param.cOptItem = static_cast<WORD>(kind_ == SheetKind::Document ? uiParam_.cDrvOptItems : uiParam_.cOEMOptItems);
    param.pCurItem = param.pOptItem;
    LONG action = uiParam_.OEMCUIPCallback(&param, &uiParam_);
    events.push_back(std::string("callback ") + ReasonName(reason) + ": action " + std::to_string(action));
    return action;
}

bool PropertySheet::LeaveActivePage()
{
    if (active_ >= pages_.size())
        return true;
    Page &current = pages_[active_];
    if (current.driverPage) {
        CallDriverCallback(CPSUICB_REASON_KILLACTIVE);
        return true;
    }
    // A page keeps the user until its values are right.
    return current.window == nullptr || Notify(current, static_cast<UINT>(PSN_KILLACTIVE)) == 0;
}

bool PropertySheet::Activate(size_t index)
{
    if (!open_ || index >= pages_.size())
        return false;
    if (index == active_)
        return true;
    if (!LeaveActivePage())
        return false;
    if (active_ < pages_.size() && pages_[active_].window != nullptr)
        ShowWindow(pages_[active_].window, SW_HIDE);
    Page &next = pages_[index];
    active_ = index;
    if (next.driverPage) {
        CallDriverCallback(CPSUICB_REASON_SETACTIVE);
        return true;
    }
    if (next.window == nullptr && !MakePageWindow(next))
        return false;
    Notify(next, static_cast<UINT>(PSN_SETACTIVE));
    ShowWindow(next.window, SW_SHOW);
    return true;
}

bool PropertySheet::ActivateTemplate(int templateId)
{
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i].templateId == templateId)
            return Activate(i);
    }
    return false;
}

bool PropertySheet::Apply()
{
    if (!open_)
        return false;
    if (!LeaveActivePage())
        return false;
    for (Page &page : pages_) {
        if (page.driverPage) {
            CallDriverCallback(CPSUICB_REASON_APPLYNOW);
        } else if (page.window != nullptr && Notify(page, static_cast<UINT>(PSN_APPLY)) != PSNRET_NOERROR) {
            return false;
        }
    }
    SETRESULT_INFO result = {};
    result.cbSize = sizeof(result);
    result.hSetResult = reinterpret_cast<HANDLE>(this);
    result.Result = CPSUI_OK;
    CallSheets(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&result));
    changedCount = 0;
    if (kind_ == SheetKind::Document)
        KeepPreferences();
    return true;
}

void PropertySheet::KeepPreferences()
{
    if (devmode_.size() >= sizeof(DEVMODEW))
        driverItems_.Store(*reinterpret_cast<DEVMODEW *>(devmode_.data()), true);
    std::vector<BYTE> stored = standin::spooler::DefaultDevMode(printer_);
    if (stored.size() < sizeof(DEVMODEW))
        return;
    DEVMODEW head;
    std::memcpy(&head, stored.data(), sizeof(head));
    // The default paper and orientation are the plug-in's to set (its Page
    // Setup page does on Apply, with forms made after the items were): the
    // core keeps the resolution.
    DWORD fields = head.dmFields;
    short orientation = head.dmOrientation;
    driverItems_.Store(head, false);
    head.dmFields = fields | (head.dmFields & (DM_PRINTQUALITY | DM_YRESOLUTION));
    head.dmOrientation = orientation;
    std::memcpy(stored.data(), &head, sizeof(head));
    standin::spooler::SetDefaultDevMode(printer_, stored);
}

void PropertySheet::Cancel()
{
    for (Page &page : pages_) {
        if (!page.driverPage && page.window != nullptr)
            Notify(page, static_cast<UINT>(PSN_RESET));
    }
}

void PropertySheet::Close()
{
    if (!open_)
        return;
    open_ = false;
    for (Page &page : pages_) {
        if (page.window != nullptr)
            DestroyWindow(page.window);
        page.window = nullptr;
    }
    if (info_.cbSize != 0) {
        HRESULT hr = CallSheets(PROPSHEETUI_REASON_DESTROY, 0);
        events.push_back("DESTROY: " + Hex(hr));
    }
    if (sheet_ != nullptr)
        DestroyWindow(sheet_);
    sheet_ = nullptr;
    if (heap_ != nullptr)
        HeapDestroy(heap_);
    heap_ = nullptr;
    if (hPrinter_ != nullptr)
        ClosePrinter(hPrinter_);
    hPrinter_ = nullptr;
}

bool PropertySheet::SetDriverSelection(const std::string &keyword, LONG sel)
{
    POPTITEM item = driverItems_.Find(keyword);
    if (item == nullptr || kind_ != SheetKind::Document || !Activate(0))
        return false;
    if (item->pOptType != nullptr && (sel < 0 || sel >= item->pOptType->Count))
        return false;
    item->Sel = sel;
    item->Flags |= OPTIF_CHANGEONCE;
    events.push_back("driver item " + keyword + " set to " + std::to_string(sel));
    return true;
}

bool PropertySheet::SetOemItemSelection(LONG sel)
{
    if (oemItems_.empty() || !Activate(0))
        return false;
    oemItems_[0].Sel = sel;
    events.push_back("printer item set to " + std::to_string(sel));
    return true;
}

LRESULT CALLBACK PropertySheet::SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<PropertySheet *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && (message == PSM_CHANGED || message == PSM_UNCHANGED)) {
        std::string from = "a page";
        for (const Page &page : self->pages_) {
            if (page.window == reinterpret_cast<HWND>(wParam))
                from = "page " + std::to_string(page.templateId);
        }
        if (message == PSM_CHANGED)
            ++self->changedCount;
        self->events.push_back(std::string(message == PSM_CHANGED ? "PSM_CHANGED" : "PSM_UNCHANGED") + " from " + from);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace host
