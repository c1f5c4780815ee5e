// The fault sweep: each flow a user or the driver goes through runs once
// without faults, counting each api's calls and seeing what it stores, then
// once for each of those calls failed in turn with each kind of fault it can
// meet. Every run ends without a crash, gives back all it took, and leaves
// each part of the stored state (every printer's values and default DEVMODE,
// the form store) as it was or as the fault-free run does.
#include "resources/resource.h"
#include "src/distributed/distlist.h"
#include "src/settings/settings.h"
#include "tests/support/distributed.h"
#include "tests/support/hostrun.h"
#include "tests/support/sheet.h"
#include "tests/support/tickets.h"

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

template <typename Container = std::vector<std::string>>
Container Words(const char *text)
{
    std::istringstream in(text);
    return Container(std::istream_iterator<std::string>(in), {});
}

struct FaultKind {
    const char *name;
    DWORD error;
    bool afterWriting;
};
// 1726, RPC_S_CALL_FAILED: the spooler made the change, its answer was lost.
const FaultKind kKinds[] = {{"out of memory", ERROR_NOT_ENOUGH_MEMORY, false},
                            {"access denied", ERROR_ACCESS_DENIED, false},
                            {"failed after writing", 1726, true}};

// The apis the flows reach, by the kinds of fault they meet: memory alone;
// memory or access (the spooler's, the files' and the port's calls); any of
// the three (the spooler's writes). ClosePrinter is left out: a close that
// fails keeps its handle open, which no caller can undo.
const char *const kApisByKinds[] = {
    "HeapAlloc HeapReAlloc HeapCreate GlobalLock CoTaskMemAlloc CoTaskMemRealloc SysAllocString SysAllocStringLen "
    "SysAllocStringByteLen SysReAllocString CoCreateInstance MultiByteToWideChar WideCharToMultiByte LoadStringW "
    "FindResourceW FindResourceExW LoadImageW CreateWindowExW CreateDialogParamW CreateDialogIndirectParamW "
    "DialogBoxParamW DialogBoxIndirectParamW RegisterClassW MessageBoxW CreateFontIndirectW CreateSolidBrush "
    "CreateBitmap CreateCompatibleDC CreateDIBSection ImageList_Create CreateThread IXMLDOMDocument::loadXML "
    "IXMLDOMDocument::createNode IXMLDOMDocument::save IXMLDOMElement::setAttributeNode IXMLDOMNode::appendChild "
    "IXMLDOMNode::insertBefore IXMLDOMNode::put_text IXMLDOMNode::removeChild IMXNamespaceManager::declarePrefix "
    "IMXNamespaceManager::getPrefix IMXNamespaceManager::getURI IMXNamespaceManager::pushNodeContext CoInitializeEx "
    "CoCreateInstance(BidiSpl) CoCreateInstance(BidiRequest)",
    "OpenPrinterW GetPrinterW EnumPrintersW GetPrinterDriverW GetPrinterDataW DeviceCapabilitiesW GetFormW "
    "GetTempFileNameW MoveFileExW DeleteFileW GetFileAttributesW BindDevice SendRecv",
    "SetPrinterW SetPrinterDataW AddFormW SetFormW DeleteFormW"};

std::vector<std::pair<std::string, FaultKind>> Faults()
{
    std::vector<std::pair<std::string, FaultKind>> faults;
    for (size_t kinds = 1; kinds <= 3; ++kinds)
        for (const std::string &api : Words(kApisByKinds[kinds - 1]))
            for (size_t k = 0; k < kinds; ++k)
                faults.push_back({api, kKinds[k]});
    return faults;
}

void Plan(const std::string &api, const FaultKind &kind, int skip)
{
    (kind.afterWriting ? standin::FailAfterWriting : standin::FailNext)(api.c_str(), 1, kind.error, skip);
}

// A skip no flow reaches: the plan counts the calls of a run.
constexpr int kCounting = 1 << 30;

// The stored state: each part by name ("KestrelBT OrvoPrinterData",
// "KestrelBT default DEVMODE", "forms"), as type and bytes.
using State = std::map<std::string, std::vector<BYTE>>;

template <typename... T>
void Append(std::vector<BYTE> &bytes, const T &...values)
{
    (bytes.insert(bytes.end(), reinterpret_cast<const BYTE *>(&values), reinterpret_cast<const BYTE *>(&values + 1)),
     ...);
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
        // record), each whole; the resolution the core (the host) keeps from
        // an applied sheet is the core's own write, left out.
        std::vector<BYTE> devmode = sp::DefaultDevMode(printer);
        size_t record = devmode.size() >= sizeof(DEVMODEW) + sizeof(OEMDEV) ? devmode.size() - sizeof(OEMDEV) : 0;
        if (record != 0) {
            auto *head = reinterpret_cast<DEVMODEW *>(devmode.data());
            head->dmFields &= ~static_cast<DWORD>(DM_PRINTQUALITY | DM_YRESOLUTION);
            head->dmPrintQuality = head->dmYResolution = 0;
        }
        state[Utf8(printer) + " default DEVMODE"].assign(devmode.begin(), devmode.begin() + record);
        state[Utf8(printer) + " default DEVMODE record"].assign(devmode.begin() + record, devmode.end());
    }
    std::vector<BYTE> &forms = state["forms"];
    for (const sp::FormConfig &form : sp::Forms()) {
        forms.insert(forms.end(), reinterpret_cast<const BYTE *>(form.name.c_str()),
                     reinterpret_cast<const BYTE *>(form.name.c_str() + form.name.size() + 1));
        Append(forms, form.flags, form.size, form.imageableArea, form.paper);
    }
    return state;
}

// The fields of a stored "OrvoPrinterData" (type, then the record) that differ.
std::set<std::string> ChangedFields(const std::vector<BYTE> &was, const std::vector<BYTE> &now)
{
    static const std::vector<std::string> names = Words(
        "Version Speed Density Reference[0] Reference[1] Rotate Gap Gappara[0] Gappara[1] Offset Settear Gray Reverse "
        "BlackLevel GrayLevel Chain Mirror Brightness Contrast Unit AutoCut SpecialTape HalfCut Distributed iQuality "
        "Reserved[0] Reserved[1] Reserved[2] Reserved[3]");
    std::set<std::string> changed;
    if (was.size() != now.size() || was.size() != sizeof(DWORD) + sizeof(REGSTRUCT))
        return {"the whole record"};
    for (size_t i = 0; i < sizeof(REGSTRUCT) / sizeof(LONG); ++i)
        if (std::memcmp(&was[4 + 4 * i], &now[4 + 4 * i], sizeof(LONG)) != 0)
            changed.insert(names.at(i));
    return changed;
}

// A flow, what its fault-free run changes (the parts, and the settings
// fields of the printer whose settings it stores), and the parts whose loss
// the user is told of once the flow got as far as the user's OK.
struct Flow {
    const char *name;
    std::function<void()> run;
    std::set<std::string> parts;
    std::string settingsOf = {};
    const char *fields = "";
    std::set<std::string> told = {};
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
        committed_ = incomplete_ = false;
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
        const std::vector<std::pair<std::string, FaultKind>> faults = Faults();
        Prepare();
        const State old = Capture();
        for (const auto &[api, kind] : faults)
            Plan(api, kind, kCounting);
        Run(std::string(flow.name) + ": no fault", flow.run);
        std::map<std::string, int> calls;
        for (const auto &[api, kind] : faults)
            calls[api] = kCounting - standin::PlannedSkips(api.c_str());
        standin::ClearFaults();
        const State updated = Capture();
        std::set<std::string> changed;
        for (const auto &[part, bytes] : updated)
            if (bytes != old.at(part))
                changed.insert(part);
        EXPECT_EQ(changed, flow.parts) << flow.name << ": the parts the fault-free run changes";
        if (!flow.settingsOf.empty()) {
            EXPECT_EQ(ChangedFields(old.at(flow.settingsOf), updated.at(flow.settingsOf)),
                      Words<std::set<std::string>>(flow.fields))
                << flow.name << ": the settings the fault-free run changes";
        }

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
                std::string where =
                    std::string(flow.name) + ", " + api + " " + kind.name + " after " + std::to_string(skip) + " calls";
                Run(where, flow.run);
                bool unused = standin::PlannedSkips(api.c_str()) >= 0;
                standin::ClearFaults();
                Check(flow, where, old, updated);
                if (unused)
                    break;
                ++injected[kind.name];
                ++injected["all"];
                if (HasFatalFailure() || skip > 4 * calls[api] + 16) {
                    ADD_FAILURE() << where << ": the api keeps being called";
                    break;
                }
            }
        }
        std::printf("fault sweep: %-34s %5d faults in %2zu apis: %d out of memory, %d access denied, %d failed after "
                    "writing\n",
                    flow.name, injected["all"], apis.size(), injected["out of memory"], injected["access denied"],
                    injected["failed after writing"]);
        std::fflush(stdout);
        EXPECT_GT(injected["all"], 0);
    }

    void Run(const std::string &at, const std::function<void()> &flow)
    {
        standin::Counters before = standin::GetCounters();
        long windows = ui::WindowCount(), components = gcComponents;
        boxes_ = ui::MessageBoxes().size();
        flow();
        sheet.reset();
        standin::Counters after = standin::GetCounters();
        EXPECT_EQ(std::memcmp(&before, &after, sizeof(after)), 0) << "a block, handle or object not given back: " << at;
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
            bool settings = part == flow.settingsOf;
            bool fine = now == old.at(part) || now == updated.at(part) ||
                        (incomplete_ && flow.parts.count(part) != 0 && !settings);
            if (!fine && !settings)
                ADD_FAILURE() << where << ": " << part << " is neither as it was nor as the flow stores it";
            for (const std::string &field :
                 fine || !settings ? std::set<std::string>{} : ChangedFields(updated.at(part), now)) {
                if (!incomplete_ || ChangedFields(old.at(part), now).count(field) != 0)
                    ADD_FAILURE() << where << ": " << part << " " << field << " is not what the flow stores";
            }
            if (flow.told.count(part) != 0 && committed_ && now == old.at(part) && now != updated.at(part)) {
                EXPECT_TRUE(shown) << where << ": " << part << " was lost without a word to the user";
            }
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
                      apply ? (void)sheet->Apply() : sheet->Cancel();
                  },
                  {},
                  "Heron OrvoPrinterData"};
        if (apply) {
            flow.parts = {"Heron OrvoPrinterData", "Heron default DEVMODE", "Heron default DEVMODE record"};
            flow.fields = "Rotate Chain Mirror AutoCut Gray GrayLevel Brightness Contrast Unit";
        }
        Sweep(flow);
    }
}

TEST_F(FaultSweep, PrinterSheetItem)
{
    Sweep({"printer sheet, Apply",
           [&] {
               if (OpenSheet(u"Heron", SheetKind::Device)) {
                   sheet->SetOemItemSelection(64);
                   sheet->Apply();
               }
           },
           {"Heron OEMUI_VALUE"}});
}

TEST_F(FaultSweep, PaperStockDialogThroughNew)
{
    Sweep({"paper stock dialog, New, Apply",
           [&] {
               HWND page = Act(OpenSheet(u"KestrelBT")) ? ShowPage(IDD_PAGE_SETUP) : nullptr;
               bool typed = false;
               ui::OnDialog(IDD_PAPER_STOCK, [&](HWND d) {
                   typed = ui::Type(d, IDC_STOCK_NAME, u"Sweep 12 x 33") && ui::Choose(d, IDC_STOCK_WIDTH, 1) &&
                           ui::Type(d, IDC_STOCK_LENGTH, u"33") && ui::Type(d, IDC_STOCK_LEFT, u"0.5") &&
                           ui::Type(d, IDC_STOCK_RIGHT, u"1.25");
                   committed_ = typed;
                   ui::Click(d, IDC_STOCK_OK);
               });
               if (Act(page && ui::Click(page, IDC_PAPER_NEW) && typed))
                   sheet->Apply();
           },
           {"forms", "KestrelBT OrvoPrinterData", "KestrelBT default DEVMODE", "KestrelBT default DEVMODE record"},
           "KestrelBT OrvoPrinterData",
           "Rotate",
           {"forms"}});
}

// The row of the distributed printing list that shows the printer; -1
// without one (a fault may keep a printer off the list).
int RowOf(HWND dialog, const std::u16string &printer)
{
    HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST);
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        if (ListCell(list, row, 1) == printer)
            return row;
    return -1;
}

TEST_F(FaultSweep, DistributedPrintingDialog)
{
    // The silent port is asked in every run: its wait is kept short.
    DWORD timeout = sp::BidiTimeout();
    sp::SetBidiTimeout(20);
    prepare_ = [](const std::u16string &name, REGSTRUCT &settings) { settings.Distributed = name == u"FalconBT"; };
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
                   int rows = ListView_GetItemCount(GetDlgItem(dialog, IDC_DISTRIBUTED_LIST));
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
           "HalfCut Rotate iQuality"});
    sp::SetBidiTimeout(timeout);
}

// A ticket with every parameter and feature away from its default goes into
// the record and the stored settings; a bare ticket gets them back and is
// read again, as the core's round trip does.
TEST_F(FaultSweep, TicketConversions)
{
    const std::u16string everyRow =
        host::Utf16(ReadFile(ORVOUI_TEST_SOURCE "/fuzz/corpus/ticket_to_devmode/every-row.xml"));
    ASSERT_NE(everyRow.find(u"p:DocumentOEMHalfCutMark"), std::u16string::npos);
    CoreHelper core;
    Sweep({"ticket conversions",
           [&] {
               HANDLE printer = nullptr;
               if (IPrintOemPrintTicketProvider *provider = BindProvider(u"FalconBT", printer)) {
                   provider->PublishPrintTicketHelperInterface(&core);
                   DEVMODEW devmode = {};
                   devmode.dmSize = sizeof(DEVMODEW);
                   devmode.dmDriverExtra = sizeof(OEMDEV);
                   OEMDEV record;
                   SetDefaultOEMDev(&record);
                   for (bool bare : {false, true}) {
                       IXMLDOMDocument2 *ticket =
                           LoadDocument(bare ? u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u"/>" : everyRow);
                       if (ticket == nullptr)
                           continue;
                       if (bare)
                           provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), &record,
                                                                 ticket);
                       provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV),
                                                             &record);
                       ticket->Release();
                   }
                   provider->Release();
                   ClosePrinter(printer);
               }
           },
           {"FalconBT OrvoPrinterData"},
           "FalconBT OrvoPrinterData",
           "Speed Density Reference[0] Reference[1] Rotate Gap Gappara[0] Gappara[1] Offset Settear Gray Reverse "
           "BlackLevel GrayLevel Chain Mirror AutoCut SpecialTape HalfCut iQuality"});
    EXPECT_EQ(core.refs, 1) << "no run keeps a reference to the core helper";
}

}  // namespace
