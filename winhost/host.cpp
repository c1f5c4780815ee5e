#include "winhost/host.h"

#include "resources/resource.h"

#include <cstdio>
#include <utility>

namespace winhost {

const Language kLanguages[17] = {
    {0x0804, "zh-CN"}, {0x0409, "en-US"}, {0x0404, "zh-TW"}, {0x0411, "ja-JP"}, {0x0412, "ko-KR"}, {0x0407, "de-DE"},
    {0x040C, "fr-FR"}, {0x0C0A, "es-ES"}, {0x0410, "it-IT"}, {0x0416, "pt-BR"}, {0x0419, "ru-RU"}, {0x0415, "pl-PL"},
    {0x0413, "nl-NL"}, {0x041F, "tr-TR"}, {0x0405, "cs-CZ"}, {0x041E, "th-TH"}, {0x042A, "vi-VN"},
};

LANGID LanguageOf(const std::string &tag)
{
    for (const Language &l : kLanguages)
        if (tag == l.tag)
            return l.id;
    return 0;
}

std::string Shown::Name() const { return std::string(sheet) + "-" + std::to_string(id); }

void Pump(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds != 0)
            Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

std::wstring Wide(const char *text)
{
    WCHAR buf[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, buf, MAX_PATH);
    return buf;
}

std::wstring BesideProgram(const wchar_t *file)
{
    WCHAR exe[MAX_PATH];
    std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + file;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool IsClass(HWND window, const wchar_t *name)
{
    WCHAR cls[64] = L"";
    GetClassNameW(window, cls, 64);
    return lstrcmpiW(cls, name) == 0;
}

RECT RectIn(HWND window, HWND parent)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

namespace {

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}
const CLSID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};

const char *const kModels[] = {"KestrelBT", "Heron", "FalconBT"};

// The core driver's UI helper: takes the plug-in's changes to its items.
struct DriverHelper : public IPrintOemDriverUI {
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        *ppv = (iid == IID_IUnknown || iid == IID_IPrintOemDriverUI) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return S_OK; }
    STDMETHODIMP DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override { return S_OK; }
};
DriverHelper gHelper;

// The sheet function of the common property sheet: keeps the pages it is given.
LONG_PTR CALLBACK RecordPage(HANDLE sheet, UINT function, LPARAM page, LPARAM)
{
    auto *pages = reinterpret_cast<std::vector<PROPSHEETPAGEW> *>(sheet);
    if (function != CPSFUNC_ADD_PROPSHEETPAGEW || page == 0)
        return 0;
    pages->push_back(*reinterpret_cast<const PROPSHEETPAGEW *>(page));
    return static_cast<LONG_PTR>(pages->size());
}

// The driver's own items the document sheet carries, the ones the plug-in
// reads or hides: paper size (a few forms), orientation and resolution.
struct DriverItems {
    char keywords[4][16] = {"PaperSize", "Orientation", "Resolution", "OEMSpeed"};
    USERDATA data[4] = {};
    OPTPARAM papers[3] = {}, orientations[2] = {}, resolutions[2] = {};
    OPTTYPE types[3] = {};
    OPTITEM items[4] = {};

    DriverItems()
    {
        static const wchar_t *const paperNames[] = {L"Letter", L"A4", L"4 x 6"};
        static const wchar_t *const orientationNames[] = {L"Portrait", L"Landscape"};
        static const wchar_t *const resolutionNames[] = {L"203 dpi", L"300 dpi"};
        OPTPARAM *params[] = {papers, orientations, resolutions};
        const wchar_t *const *names[] = {paperNames, orientationNames, resolutionNames};
        WORD counts[] = {3, 2, 2};
        for (int t = 0; t < 3; ++t) {
            for (WORD i = 0; i < counts[t]; ++i) {
                params[t][i].cbSize = sizeof(OPTPARAM);
                params[t][i].pData = const_cast<LPWSTR>(names[t][i]);
            }
            types[t].cbSize = sizeof(OPTTYPE);
            types[t].Type = TVOT_LISTBOX;
            types[t].Count = counts[t];
            types[t].pOptParam = params[t];
        }
        for (int i = 0; i < 4; ++i) {
            data[i] = {sizeof(USERDATA), static_cast<DWORD>(i), keywords[i], {}};
            items[i].cbSize = sizeof(OPTITEM);
            items[i].UserData = reinterpret_cast<ULONG_PTR>(&data[i]);
            items[i].Flags = OPTIF_CALLBACK;
            items[i].pOptType = i < 3 ? &types[i] : nullptr;
        }
    }
};

// A printer of a model in the spooler, on a driver that is only a name (an
// empty file): the plug-in reads the driver name as it does on Windows.
HANDLE AddModelPrinter(const char *model)
{
    WCHAR wmodel[32], dir[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, model, -1, wmodel, 32);
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof(dir), &needed))
        return nullptr;
    std::wstring file = std::wstring(dir) + L"\\orvoui-winhost-driver.dll";
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = wmodel;
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(file.c_str());
    AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver));
    std::wstring name = std::wstring(L"Orvo ") + wmodel;
    PRINTER_INFO_2W info = {};
    info.pPrinterName = &name[0];
    info.pPortName = const_cast<LPWSTR>(L"FILE:");
    info.pDriverName = wmodel;
    info.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (printer == nullptr) {  // left by an earlier run
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterW(&name[0], &printer, &defaults);
    }
    return printer;
}

// A modal dialog the plug-in runs when a button is clicked: a thread timer
// fires in the dialog's own message loop and hands the dialog to the visit.
struct Opening {
    const char *sheet;
    WORD id;
    HWND owner;
    const Visitor *visit;
    DWORD pause;
    int *shown;
    std::string *error;
    Opening *then;  // the dialog this one opens in turn, or null
    HWND opened = nullptr;
};
Opening *gOpening;

void OpenNext(HWND owner, Opening &next);

// The visible window a modal dialog makes: owned by the window it was
// opened from (its top-level window).
BOOL CALLBACK FindOwned(HWND window, LPARAM param)
{
    auto *find = reinterpret_cast<std::pair<HWND, HWND> *>(param);
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != find->first)
        return TRUE;
    find->second = window;
    return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    Opening *o = gOpening;
    if (o == nullptr)
        return;
    std::pair<HWND, HWND> find(GetAncestor(o->owner, GA_ROOT), nullptr);
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&find));
    HWND dialog = find.second;
    if (dialog == nullptr)
        return;  // not up yet
    KillTimer(nullptr, timer);
    gOpening = nullptr;
    o->opened = dialog;
    Pump(0);
    UpdateWindow(dialog);
    Shown shown = {o->sheet, o->id, false, dialog, dialog, {}};
    GetClientRect(dialog, &shown.area);
    (*o->visit)(shown);
    ++*o->shown;
    if (o->pause)
        Pump(o->pause);
    if (o->then)
        OpenNext(dialog, *o->then);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Clicks what opens the next dialog: a button of the owner, or a double
// click on the first row of the owner's list.
void OpenNext(HWND owner, Opening &next)
{
    next.owner = owner;
    gOpening = &next;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, OnTimer);
    DWORD start = GetTickCount();
    if (next.id == IDD_RIBBON_WIDTH) {
        HWND list = GetDlgItem(owner, IDC_DISTRIBUTED_LIST);
        RECT cell = {LVIR_LABEL, 1, 0, 0};
        if (list && SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell))) {
            LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
            SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageW(list, WM_LBUTTONUP, 0, at);
            SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendMessageW(list, WM_LBUTTONUP, 0, at);
        }
    } else {
        int button = next.id == IDD_PAPER_STOCK ? IDC_PAPER_NEW : IDC_SETTING_VALUE;
        if (next.id == IDD_DISTRIBUTED_PRINTING && !IsWindowEnabled(GetDlgItem(owner, button)))
            SendDlgItemMessageW(owner, IDC_DISTRIBUTED, BM_CLICK, 0, 0);
        SendDlgItemMessageW(owner, button, BM_CLICK, 0, 0);
    }
    // The click returns once the dialog has closed; one that never opened
    // leaves the timer behind.
    if (gOpening == &next) {
        KillTimer(nullptr, timer);
        gOpening = nullptr;
        char buf[96];
        std::snprintf(buf, sizeof buf, "%s: dialog %u did not open (%lu ms)", next.sheet, next.id,
                      static_cast<unsigned long>(GetTickCount() - start));
        *next.error += (next.error->empty() ? "" : "; ") + std::string(buf);
    }
}

}  // namespace

bool Host::Load(const std::wstring &dllPath)
{
    dll_ = LoadLibraryW(dllPath.c_str());
    if (dll_ == nullptr) {
        Fail("cannot load the plug-in, error " + std::to_string(GetLastError()));
        return false;
    }
    typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void **);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void *>(GetProcAddress(dll_, "DllGetClassObject")));
    IClassFactory *factory = nullptr;
    if (get == nullptr || FAILED(get(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory)))) {
        Fail("no class factory for the UI object");
        return false;
    }
    factory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&ui_));
    factory->Release();
    if (ui_ == nullptr) {
        Fail("no UI object");
        return false;
    }
    static_cast<IPrintOemUI *>(ui_)->PublishDriverInterface(&gHelper);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    for (const char *model : kModels) {
        HANDLE printer = AddModelPrinter(model);
        if (printer == nullptr)
            Fail(std::string("no printer of ") + model + ", error " + std::to_string(GetLastError()));
        else
            printers_.emplace_back(model, printer);
    }
    return printers_.size() == 3;
}

Host::~Host()
{
    for (auto &p : printers_) {
        DeletePrinter(p.second);
        ClosePrinter(p.second);
    }
    if (ui_)
        ui_->Release();
    if (dll_)
        FreeLibrary(dll_);
}

int Host::Run(LANGID language, const Visitor &visit)
{
    // Windows picks resources by the thread's UI language, Wine by its locale.
    SetThreadUILanguage(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    shown_ = 0;
    for (auto &p : printers_)
        RunSheet(p.first, p.second, visit);
    RunSheet("device", nullptr, visit);
    return shown_;
}

void Host::RunSheet(const char *model, HANDLE printer, const Visitor &visit)
{
    auto *ui = static_cast<IPrintOemUI *>(ui_);
    bool device = printer == nullptr;
    if (device)
        printer = printers_.empty() ? nullptr : printers_.front().second;
    HANDLE heap = HeapCreate(0, 0, 0);
    // The job's private record: its size, signature and version, no
    // selection pending.
    DWORD record[27] = {108, 0x4D534654, 3, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    DriverItems items;
    OEMCUIPPARAM uiParam = {};
    uiParam.cbSize = sizeof uiParam;
    uiParam.hOEMHeap = heap;
    uiParam.hModule = dll_;
    uiParam.hPrinter = printer;
    uiParam.pOEMDM = record;
    uiParam.pDrvOptItems = items.items;
    uiParam.cDrvOptItems = 4;
    OEMUIPSPARAM param = {};
    param.cbSize = sizeof param;
    param.hOEMHeap = heap;
    param.hModule = dll_;
    param.hPrinter = printer;
    param.pOEMDM = record;
    std::vector<PROPSHEETPAGEW> pages;
    PROPSHEETUI_INFO info = {sizeof info,
                             PROPSHEETUI_INFO_VERSION,
                             0,
                             PROPSHEETUI_REASON_INIT,
                             reinterpret_cast<HANDLE>(&pages),
                             RecordPage,
                             reinterpret_cast<LPARAM>(&param),
                             0,
                             0};
    HRESULT hr = device ? ui->DevicePropertySheets(&info, 0)
                        : (ui->CommonUIProp(OEMCUIP_DOCPROP, &uiParam), ui->DocumentPropertySheets(&info, 0));
    if (FAILED(hr) || pages.empty()) {
        Fail(std::string(model) + ": the plug-in added no page");
    } else {
        std::vector<HPROPSHEETPAGE> handles;
        for (PROPSHEETPAGEW &page : pages)
            handles.push_back(CreatePropertySheetPageW(&page));
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.hInstance = dll_;
        std::wstring caption = L"Orvo ";
        for (const char *c = model; *c; ++c)
            caption += static_cast<wchar_t>(*c);
        header.pszCaption = caption.c_str();
        header.nPages = static_cast<UINT>(handles.size());
        header.phpage = handles.data();
        auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
        if (sheet == nullptr || sheet == reinterpret_cast<HWND>(-1)) {
            Fail(std::string(model) + ": the property sheet was not made");
        } else {
            SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
            HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
            for (size_t i = 0; i < pages.size(); ++i) {
                SendMessageW(sheet, PSM_SETCURSEL, i, 0);
                auto window = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
                WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(pages[i].pszTemplate));
                if (window == nullptr) {
                    Fail(std::string(model) + ": page " + std::to_string(id) + " not shown");
                    continue;
                }
                Pump(0);
                RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
                // The page may use the tab control's display area.
                RECT display, client;
                GetClientRect(tab, &display);
                SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
                MapWindowPoints(tab, window, reinterpret_cast<POINT *>(&display), 2);
                GetClientRect(window, &client);
                Shown shown = {model, id, true, window, sheet, {}};
                IntersectRect(&shown.area, &client, &display);
                visit(shown);
                ++shown_;
                if (pause_)
                    Pump(pause_);
                // The dialogs a user opens from this page.
                Opening ribbon = {model, IDD_RIBBON_WIDTH, nullptr, &visit, pause_, &shown_, &error_, nullptr};
                Opening opening = {model, 0, nullptr, &visit, pause_, &shown_, &error_, nullptr};
                if (id == IDD_PAGE_SETUP && std::string(model) == kModels[0])
                    opening.id = IDD_PAPER_STOCK;
                if (id == IDD_PAGE_SETUP_EX) {
                    opening.id = IDD_DISTRIBUTED_PRINTING;
                    opening.then = &ribbon;
                }
                if (opening.id)
                    OpenNext(window, opening);
            }
            DestroyWindow(sheet);
        }
    }
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    info.Result = 0;
    if (device)
        ui->DevicePropertySheets(&info, 0);
    else
        ui->DocumentPropertySheets(&info, 0);
    HeapDestroy(heap);
    Pump(0);
}

}  // namespace winhost
