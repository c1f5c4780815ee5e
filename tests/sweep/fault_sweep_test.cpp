// The fault sweep: each flow a user or the driver goes through, changing
// every setting it can reach, runs once with every call the stand-in can
// fail left alone, to count the calls of each api and to see what it
// stores; then once for each of those calls failed in turn, with each kind
// of fault the call can meet: out of memory, access denied, and for the
// spooler's writes a write that reports failure after writing. Every run
// must end without a crash, give back all it took, and leave each part of
// the stored state (every printer's "OrvoPrinterData", "DISTRIBUTEDLIST",
// "OEMUI_VALUE" and default DEVMODE, and the form store) exactly as it was
// or exactly as the fault-free run leaves it: a lost or half-stored value
// shows.
#include "resources/resource.h"
#include "src/distributed/distlist.h"
#include "src/settings/settings.h"
#include "tests/support/sheet.h"
#include "tests/support/tickets.h"

#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

struct FaultKind {
    const char *name;
    DWORD error;
    bool afterWriting;
};
const FaultKind kOutOfMemory = {"out of memory", ERROR_NOT_ENOUGH_MEMORY, false};
const FaultKind kDenied = {"access denied", ERROR_ACCESS_DENIED, false};
// RPC_S_CALL_FAILED: the spooler made the change, its answer was lost.
const FaultKind kLostAnswer = {"failed after writing", 1726, true};

// The apis the stand-in consults that the flows reach, and the faults each
// meets. ClosePrinter is left out: a close that fails keeps its handle
// open, which no caller can undo.
const char *const kMemoryApis[] = {
    "HeapAlloc",       "HeapReAlloc",       "HeapCreate",          "GlobalLock",
    "CoTaskMemAlloc",  "CoTaskMemRealloc",  "SysAllocString",      "SysAllocStringLen",
    "SysAllocStringByteLen", "SysReAllocString", "CoCreateInstance", "MultiByteToWideChar",
    "WideCharToMultiByte", "LoadStringW",   "FindResourceW",
    "FindResourceExW", "LoadImageW",        "CreateWindowExW",     "CreateDialogParamW",
    "CreateDialogIndirectParamW", "DialogBoxParamW", "DialogBoxIndirectParamW", "RegisterClassW",
    "MessageBoxW",     "CreateFontIndirectW", "CreateSolidBrush",
    "CreateBitmap",    "CreateCompatibleDC", "CreateDIBSection",   "ImageList_Create",
    "CreateThread",    "IXMLDOMDocument::loadXML", "IXMLDOMDocument::createNode", "IXMLDOMDocument::save",
    "IXMLDOMElement::setAttributeNode", "IXMLDOMNode::appendChild", "IXMLDOMNode::insertBefore",
    "IXMLDOMNode::put_text", "IXMLDOMNode::removeChild", "IMXNamespaceManager::declarePrefix",
    "IMXNamespaceManager::getPrefix", "IMXNamespaceManager::getURI", "IMXNamespaceManager::pushNodeContext",
    "CoInitializeEx",  "CoCreateInstance(BidiSpl)", "CoCreateInstance(BidiRequest)",
};
// The spooler's, the files' and the port's calls: out of memory or access denied.
const char *const kAccessApis[] = {
    "OpenPrinterW",  "GetPrinterW",      "EnumPrintersW",     "GetPrinterDriverW", "GetPrinterDataW",
    "DeviceCapabilitiesW", "GetFormW",   "GetTempFileNameW",  "MoveFileExW",       "DeleteFileW",
    "GetFileAttributesW", "BindDevice",  "SendRecv",
};
// The spooler's writes: any of the three.
const char *const kWritingApis[] = {"SetPrinterW", "SetPrinterDataW", "AddFormW", "SetFormW", "DeleteFormW"};

std::vector<std::pair<const char *, FaultKind>> Faults()
{
    std::vector<std::pair<const char *, FaultKind>> faults;
    for (const char *api : kMemoryApis)
        faults.push_back({api, kOutOfMemory});
    for (const char *api : kAccessApis)
        for (const FaultKind &kind : {kOutOfMemory, kDenied})
            faults.push_back({api, kind});
    for (const char *api : kWritingApis)
        for (const FaultKind &kind : {kOutOfMemory, kDenied, kLostAnswer})
            faults.push_back({api, kind});
    return faults;
}

void Plan(const char *api, const FaultKind &kind, int skip)
{
    if (kind.afterWriting)
        standin::FailAfterWriting(api, 1, kind.error, skip);
    else
        standin::FailNext(api, 1, kind.error, skip);
}

// A skip no flow reaches: the plan counts the calls of a run.
constexpr int kCounting = 1 << 30;

// The stored state: each part by name ("KestrelBT OrvoPrinterData",
// "KestrelBT default DEVMODE", "forms"), as type and bytes.
using State = std::map<std::string, std::vector<BYTE>>;

template <typename T>
void Append(std::vector<BYTE> &bytes, const T &value)
{
    const BYTE *p = reinterpret_cast<const BYTE *>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(value));
}

State Capture()
{
    State state;
    for (const std::u16string &printer : sp::PrinterNames()) {
        for (const char16_t *name : {u"OrvoPrinterData", u"DISTRIBUTEDLIST", u"OEMUI_VALUE"}) {
            sp::DataValue value;
            std::vector<BYTE> &part = state[Utf8(printer) + " " + Utf8(name)];
            if (sp::GetData(printer, name, value)) {
                Append(part, value.type);
                part.insert(part.end(), value.bytes.begin(), value.bytes.end());
            }
        }
        // The DEVMODE's public part and the plug-in's record in it are
        // written apart (the page sets the paper, the driver's callback the
        // record), each whole.
        std::vector<BYTE> devmode = sp::DefaultDevMode(printer);
        size_t record = devmode.size() >= sizeof(DEVMODEW) + sizeof(OEMDEV) ? devmode.size() - sizeof(OEMDEV) : 0;
        // The resolution the core (the host) keeps from an applied sheet is
        // the core's own write, not the plug-in's: it is left out.
        if (record != 0) {
            DEVMODEW head;
            std::memcpy(&head, devmode.data(), sizeof(head));
            head.dmFields &= ~static_cast<DWORD>(DM_PRINTQUALITY | DM_YRESOLUTION);
            head.dmPrintQuality = head.dmYResolution = 0;
            std::memcpy(devmode.data(), &head, sizeof(head));
        }
        state[Utf8(printer) + " default DEVMODE"].assign(devmode.begin(), devmode.begin() + record);
        state[Utf8(printer) + " default DEVMODE record"].assign(devmode.begin() + record, devmode.end());
    }
    std::vector<BYTE> &forms = state["forms"];
    for (const sp::FormConfig &form : sp::Forms()) {
        forms.insert(forms.end(), reinterpret_cast<const BYTE *>(form.name.c_str()),
                     reinterpret_cast<const BYTE *>(form.name.c_str() + form.name.size() + 1));
        Append(forms, form.flags);
        Append(forms, form.size);
        Append(forms, form.imageableArea);
        Append(forms, form.paper);
    }
    return state;
}

const char *const kSettingsFields[] = {
    "Version", "Speed", "Density", "Reference[0]", "Reference[1]", "Rotate", "Gap", "Gappara[0]",
    "Gappara[1]", "Offset", "Settear", "Gray", "Reverse", "BlackLevel", "GrayLevel", "Chain",
    "Mirror", "Brightness", "Contrast", "Unit", "AutoCut", "SpecialTape", "HalfCut", "Distributed",
    "iQuality", "Reserved[0]", "Reserved[1]", "Reserved[2]", "Reserved[3]"};
static_assert(sizeof(kSettingsFields) / sizeof(kSettingsFields[0]) * sizeof(LONG) == sizeof(REGSTRUCT),
              "a name for every field");

// The fields of a stored "OrvoPrinterData" (type, then the record) that differ.
std::set<std::string> ChangedFields(const std::vector<BYTE> &was, const std::vector<BYTE> &now)
{
    std::set<std::string> changed;
    if (was.size() != now.size() || was.size() != sizeof(DWORD) + sizeof(REGSTRUCT))
        return {"the whole record"};
    for (size_t i = 0; i < sizeof(REGSTRUCT) / sizeof(LONG); ++i)
        if (std::memcmp(&was[4 + 4 * i], &now[4 + 4 * i], sizeof(LONG)) != 0)
            changed.insert(kSettingsFields[i]);
    return changed;
}

struct Flow {
    const char *name;
    std::function<void()> run;
    // What the fault-free run changes: the parts, and the settings fields
    // of the printer whose settings it stores.
    std::set<std::string> parts;
    std::string settingsOf;
    std::set<std::string> fields;
    // The parts whose loss the user is told of (a message box), once the
    // flow got as far as the user's OK.
    std::set<std::string> told;
};

class FaultSweep : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    }
    void TearDown() override
    {
        CoUninitialize();
        SheetTest::TearDown();
    }

    // The server as every run finds it: the sample, every printer with its
    // default settings stored, as `prepare_` changes them.
    void Prepare()
    {
        sheet.reset();
        ui::ResetAutomation();
        ui::SetStallTimeout(250);
        sp::LoadSample();
        ResetPageState();
        for (const auto &name : sp::PrinterNames()) {
            REGSTRUCT settings = Defaults();
            if (prepare_)
                prepare_(name, settings);
            StoreRecord(name, &settings, sizeof(settings));
        }
        standin::DebugCaptureClear();
        committed_ = false;
        incomplete_ = false;
    }

    // A user's action; one that a fault made impossible (the control is
    // missing or disabled) leaves the run without a "new" state to hold.
    bool Act(bool done)
    {
        incomplete_ |= !done;
        return done;
    }

    bool OpenSheet(const std::u16string &printer, SheetKind kind = SheetKind::Document)
    {
        sheet = std::make_unique<PropertySheet>(ui, kind, printer, ghInstance);
        std::string error;
        return sheet->Open(error);
    }
    HWND ShowPage(int templateId) { return sheet->ActivateTemplate(templateId) ? sheet->ActiveWindow() : nullptr; }

    void Sweep(const Flow &flow)
    {
        const std::vector<std::pair<const char *, FaultKind>> faults = Faults();
        Prepare();
        const State old = Capture();
        for (const auto &fault : faults)
            Plan(fault.first, fault.second, kCounting);
        Run(flow.name, "no fault", flow.run);
        std::map<std::string, int> calls;
        for (const auto &fault : faults)
            calls[fault.first] = kCounting - standin::PlannedSkips(fault.first);
        standin::ClearFaults();
        const State updated = Capture();
        std::set<std::string> changed;
        for (const auto &part : updated)
            if (part.second != old.at(part.first))
                changed.insert(part.first);
        EXPECT_EQ(changed, flow.parts) << flow.name << ": the parts the fault-free run changes";
        if (!flow.settingsOf.empty())
            EXPECT_EQ(ChangedFields(old.at(flow.settingsOf), updated.at(flow.settingsOf)), flow.fields)
                << flow.name << ": the settings the fault-free run changes";

        std::map<std::string, int> injected;
        std::set<std::string> apis;
        for (const auto &[api, kind] : faults) {
            if (calls[api] <= 0)
                continue;
            apis.insert(api);
            // Until a run leaves its fault unused: a fault may change how
            // many calls later ones make.
            for (int skip = 0;; ++skip) {
                Prepare();
                Plan(api, kind, skip);
                std::string where = std::string(flow.name) + ", " + api + " " + kind.name + " after " +
                                    std::to_string(skip) + " calls";
                Run(flow.name, where.c_str(), flow.run);
                bool unused = standin::PlannedSkips(api) >= 0;
                standin::ClearFaults();
                Check(flow, where, old, updated);
                if (unused)
                    break;
                ++injected[kind.name];
                if (HasFatalFailure() || skip > 4 * calls[api] + 16) {
                    ADD_FAILURE() << where << ": the api keeps being called";
                    break;
                }
            }
        }
        int all = 0;
        for (const auto &count : injected)
            all += count.second;
        std::printf("fault sweep: %-34s %5d faults in %2zu apis: %d out of memory, %d access denied, %d failed after "
                    "writing\n",
                    flow.name, all, apis.size(), injected["out of memory"], injected["access denied"],
                    injected["failed after writing"]);
        std::fflush(stdout);
        EXPECT_GT(all, 0);
    }

    void Run(const char *name, const char *where, const std::function<void()> &flow)
    {
        standin::Counters before = standin::GetCounters();
        long windows = ui::WindowCount(), components = gcComponents;
        boxes_ = ui::MessageBoxes().size();
        flow();
        sheet.reset();
        standin::Counters after = standin::GetCounters();
        std::string at = std::string(name) + ": " + where;
        for (auto field : {&standin::Counters::heapBlocks, &standin::Counters::heaps, &standin::Counters::globalBlocks,
                           &standin::Counters::threads, &standin::Counters::taskBlocks, &standin::Counters::bstrs,
                           &standin::Counters::comObjects, &standin::Counters::printerHandles,
                           &standin::Counters::gdiObjects})
            EXPECT_EQ(before.*field, after.*field) << "a count did not come back: " << at;
        EXPECT_EQ(windows, ui::WindowCount()) << "windows leaked: " << at;
        EXPECT_EQ(components, gcComponents) << "plug-in objects left: " << at;
        EXPECT_TRUE(ui::Stalls().empty()) << "a dialog stalled: " << at;
        EXPECT_EQ(standin::RunningThreads(), 0) << "a thread still runs: " << at;
    }

    // Each part as it was or as the fault-free run left it. When the fault
    // kept the user from a change, there is no such run to compare with:
    // each settings field is as it was or as that run left it, the other
    // parts the flow changes are not looked at. A part the user is told of,
    // left as it was after the user's OK, came with a message.
    void Check(const Flow &flow, const std::string &where, const State &old, const State &updated)
    {
        bool shown = ui::MessageBoxes().size() > boxes_;
        for (const auto &[part, now] : Capture()) {
            if (now == old.at(part) || now == updated.at(part) || (incomplete_ && flow.parts.count(part) != 0 &&
                                                                   part != flow.settingsOf))
                ;
            else if (part != flow.settingsOf)
                ADD_FAILURE() << where << ": " << part << " is neither as it was nor as the flow stores it";
            else if (!incomplete_)
                for (const std::string &field : ChangedFields(updated.at(part), now))
                    ADD_FAILURE() << where << ": " << part << " " << field << " is not what the flow stores";
            else
                for (const std::string &field : ChangedFields(updated.at(part), now))
                    EXPECT_EQ(ChangedFields(old.at(part), now).count(field), 0u)
                        << where << ": " << part << " " << field << " is neither as it was nor as the flow stores it";
            if (flow.told.count(part) != 0 && committed_ && now == old.at(part) && now != updated.at(part))
                EXPECT_TRUE(shown) << where << ": " << part << " was lost without a word to the user";
        }
    }

    std::function<void(const std::u16string &, REGSTRUCT &)> prepare_;
    bool committed_ = false;   // the flow got as far as the user's OK
    bool incomplete_ = false;  // a fault kept the user from an action
    size_t boxes_ = 0;
};


TEST_F(FaultSweep, DocumentSheetApplyAndCancel)
{
    for (bool apply : {true, false}) {
        Flow flow{apply ? "document sheet, every page, Apply" : "document sheet, every page, Cancel",
                  [&] {
                      if (!Act(OpenSheet(u"Heron")))
                          return;
                      // The Page Setup, Graphics and Other pages, every control moved.
                      HWND page = ShowPage(IDD_PAGE_SETUP);
                      Act(page && ui::Choose(page, IDC_PAPER_LIST, 0));
                      for (int id : {IDC_PORTRAIT, IDC_CHAIN, IDC_MIRROR, IDC_AUTO_CUT})
                          Act(page && ui::Click(page, id));
                      page = ShowPage(IDD_GRAPHICS);
                      Act(page && ui::Click(page, IDC_DITHER_DIFFUSION) && ui::Slide(page, IDC_EFFECT_TRACKBAR, 5) &&
                          ui::Slide(page, IDC_BRIGHTNESS_TRACKBAR, 3) && ui::Slide(page, IDC_CONTRAST_TRACKBAR, 7));
                      page = ShowPage(IDD_OTHER);
                      Act(page && ui::Click(page, IDC_UNIT_INCH));
                      committed_ = true;
                      if (apply)
                          sheet->Apply();
                      else
                          sheet->Cancel();
                  },
                  {},
                  "Heron OrvoPrinterData",
                  {},
                  {}};
        if (apply) {
            flow.parts = {"Heron OrvoPrinterData", "Heron default DEVMODE", "Heron default DEVMODE record"};
            flow.fields = {"Rotate", "Chain", "Mirror", "AutoCut", "Gray", "GrayLevel", "Brightness", "Contrast",
                           "Unit"};
        }
        Sweep(flow);
    }
}

TEST_F(FaultSweep, PrinterSheetItem)
{
    Sweep({"printer sheet, Apply",
           [&] {
               if (!OpenSheet(u"Heron", SheetKind::Device))
                   return;
               sheet->SetOemItemSelection(64);
               sheet->Apply();
           },
           {"Heron OEMUI_VALUE"},
           "",
           {},
           {}});
}

TEST_F(FaultSweep, PaperStockDialogThroughNew)
{
    Sweep({"paper stock dialog, New, Apply",
           [&] {
               HWND page = Act(OpenSheet(u"KestrelBT")) ? ShowPage(IDD_PAGE_SETUP) : nullptr;
               bool typed = false;
               ui::OnDialog(IDD_PAPER_STOCK, [&](HWND d) {
                   typed = ui::Type(d, IDC_STOCK_NAME, u"Sweep 12 x 33") && ui::Choose(d, IDC_STOCK_WIDTH, 1) &&
                           ui::Type(d, IDC_STOCK_LENGTH, u"33") &&
                           ui::Type(d, IDC_STOCK_LEFT, u"0.5") && ui::Type(d, IDC_STOCK_RIGHT, u"1.25");
                   committed_ = typed;
                   ui::Click(d, IDC_STOCK_OK);
               });
               if (!Act(page && ui::Click(page, IDC_PAPER_NEW) && typed))
                   return;
               sheet->Apply();
           },
           {"forms", "KestrelBT OrvoPrinterData", "KestrelBT default DEVMODE", "KestrelBT default DEVMODE record"},
           "KestrelBT OrvoPrinterData",
           {"Rotate"},
           {"forms"}});
}

// The row of the distributed printing list that shows the printer; -1
// without one (a fault may keep a printer off the list).
int RowOf(HWND dialog, const std::u16string &printer)
{
    HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST);
    for (int row = 0; row < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++row) {
        WCHAR name[260] = {};
        LVITEMW item = {};
        item.iSubItem = 1;
        item.pszText = name;
        item.cchTextMax = 260;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        if (printer == name)
            return row;
    }
    return -1;
}

TEST_F(FaultSweep, DistributedPrintingDialog)
{
    // The silent port is asked in every run: its wait is kept short.
    DWORD timeout = sp::BidiTimeout();
    sp::SetBidiTimeout(20);
    prepare_ = [](const std::u16string &name, REGSTRUCT &settings) {
        if (name == u"FalconBT")
            settings.Distributed = 1;
    };
    Sweep({"distributed printing dialog, Apply",
           [&] {
               HWND page = Act(OpenSheet(u"FalconBT")) ? ShowPage(IDD_PAGE_SETUP_EX) : nullptr;
               if (!Act(page && ui::Click(page, IDC_HALF_CUT) && ui::Choose(page, IDC_QUALITY_LIST, 2)))
                   return;
               // Two printers get a ribbon width and a comment, every row's
               // check changes, the ribbons are asked for, then Apply and OK.
               int done = 0;
               for (int width : {0, 1})
                   ui::OnDialog(IDD_RIBBON_WIDTH, [width, &done](HWND ribbon) {
                       done += ui::Choose(ribbon, IDC_RIBBON_SET_WIDTH, width) &&
                               ui::Type(ribbon, IDC_RIBBON_COMMENT, width == 0 ? u"first" : u"second");
                       ui::Click(ribbon, IDOK);
                   });
               ui::OnDialog(IDD_DISTRIBUTED_PRINTING, [&](HWND dialog) {
                   for (const char16_t *printer : {u"FalconBT", u"FalconBT (2)"})
                       ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, RowOf(dialog, printer), 2, NM_RCLICK);
                   int rows = static_cast<int>(
                       SendDlgItemMessageW(dialog, IDC_DISTRIBUTED_LIST, LVM_GETITEMCOUNT, 0, 0));
                   for (int row = 0; row < rows; ++row)
                       done += ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, row);
                   done += ui::Click(dialog, IDC_CHECK_RIBBON) && rows == 7;
                   committed_ = done == 2 + 7 + 1;
                   ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
                   ui::Click(dialog, IDOK);
               });
               if (Act(ui::Click(page, IDC_SETTING_VALUE) && committed_))
                   sheet->Apply();
           },
           {"FalconBT DISTRIBUTEDLIST", "FalconBT OrvoPrinterData", "FalconBT default DEVMODE",
            "FalconBT default DEVMODE record", "FalconBT (2) default DEVMODE"},
           "FalconBT OrvoPrinterData",
           {"HalfCut", "Rotate", "iQuality"},
           {}});
    sp::SetBidiTimeout(timeout);
}

// Every parameter and feature of the plug-in, each away from its default.
std::u16string EveryRowTicket()
{
    std::u16string xml = u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:p=\"" PT_PRIVATE u"\">";
    for (auto [name, microns] : {std::pair{u"PageHorizontalOffset", u"2000"}, {u"PageVerticalOffset", u"-3000"},
                                 {u"PageAfterPrint", u"9000"}, {u"PageGapHeight", u"5000"}, {u"PageGapOffset", u"1000"}})
        xml += u"<psf:ParameterInit name=\"p:" + std::u16string(name) + u"\"><psf:Value xsi:type=\"xsd:integer\">" +
               microns + u"</psf:Value></psf:ParameterInit>";
    for (auto [name, option] : {std::pair{u"p:DocumentOEMRotate", u"p:Landspace"},
                                {u"p:DocumentOEMPaperType", u"p:ContinuousPaper"}, {u"p:DocumentOEMGray", u"p:ErrorDiffsuion"},
                                {u"p:DocumentOEMBlackLevel", u"p:Option5"}, {u"p:DocumentOEMGrayLevel", u"p:Option3"},
                                {u"p:DocumentOEMPrintSpeed", u"p:Option2"}, {u"p:DocumentOEMPrintDensity", u"p:Option10"},
                                {u"p:DocumentOEMPOST", u"p:PeelOff"}, {u"p:DocumentOEMReverse", u"p:YES"},
                                {u"p:DocumentOEMMirror", u"p:YES"}, {u"p:DocumentOEMChain", u"p:YES"},
                                {u"p:DocumentOEMAutoCut", u"p:YES"}, {u"p:DocumentOEMSpecialRibbon", u"p:YES"},
                                {u"p:DocumentOEMHalfCutMark", u"p:YES"}, {u"psk:PageResolution", u"p:HighResolution"}})
        xml += FeatureXml(name, option);
    return xml + u"</psf:PrintTicket>";
}

TEST_F(FaultSweep, TicketConversions)
{
    CoreHelper core;
    Sweep({"ticket conversions",
           [&] {
               IClassFactory *factory = nullptr;
               if (DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)) !=
                   S_OK)
                   return;
               IPrintOemPrintTicketProvider *provider = nullptr;
               factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider,
                                       reinterpret_cast<void **>(&provider));
               factory->Release();
               if (provider == nullptr)
                   return;
               HANDLE printer = nullptr;
               PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
               OpenPrinterW(const_cast<LPWSTR>(u"FalconBT"), &printer, &defaults);
               OEMPTOPTS options = 0;
               INT count = 0;
               BSTR *namespaces = nullptr;
               if (printer != nullptr && provider->BindPrinter(printer, 1, &options, &count, &namespaces) == S_OK) {
                   for (INT i = 0; i < count; ++i)
                       SysFreeString(namespaces[i]);
                   CoTaskMemFree(namespaces);
                   provider->PublishPrintTicketHelperInterface(&core);
                   DEVMODEW devmode = {};
                   devmode.dmSize = sizeof(DEVMODEW);
                   devmode.dmDriverExtra = sizeof(OEMDEV);
                   OEMDEV record;
                   SetDefaultOEMDev(&record);
                   // The ticket into the record and the stored settings; a
                   // bare ticket gets them back and is read again, as the
                   // core's round trip does.
                   for (bool bare : {false, true}) {
                       IXMLDOMDocument2 *ticket = LoadDocument(
                           bare ? u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u"/>" : EveryRowTicket());
                       if (ticket == nullptr)
                           continue;
                       if (bare)
                           provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), &record,
                                                                 ticket);
                       provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV),
                                                             &record);
                       ticket->Release();
                   }
               }
               provider->Release();
               if (printer != nullptr)
                   ClosePrinter(printer);
           },
           {"FalconBT OrvoPrinterData"},
           "FalconBT OrvoPrinterData",
           {"Speed", "Density", "Reference[0]", "Reference[1]", "Rotate", "Gap", "Gappara[0]", "Gappara[1]",
            "Offset", "Settear", "Gray", "Reverse", "BlackLevel", "GrayLevel", "Chain", "Mirror", "AutoCut",
            "SpecialTape", "HalfCut", "iQuality"},
           {}});
    EXPECT_EQ(core.refs, 1) << "no run keeps a reference to the core helper";
}

}  // namespace
