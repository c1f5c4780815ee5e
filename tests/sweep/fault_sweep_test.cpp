// The fault sweep: each flow a user or the driver goes through is run once
// with every call the stand-in can fail left alone, to count the calls of
// each api, then once for each of those calls failed in turn. Every run must
// end without a crash, give back every block, string, handle, object,
// window and GDI object it took, and leave the printer's stored settings a
// whole record: each field the old value or the one the flow sets.
#include "resources/resource.h"
#include "src/distributed/distlist.h"
#include "src/settings/settings.h"
#include "tests/support/sheet.h"
#include "tests/support/tickets.h"

#include <cstdio>
#include <functional>
#include <map>

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

// The apis the stand-in consults that the flows reach. ClosePrinter is left
// out: a close that fails keeps its handle open, which no caller can undo.
const char *const kApis[] = {
    "HeapAlloc",
    "HeapReAlloc",
    "HeapCreate",
    "GlobalLock",
    "CoTaskMemAlloc",
    "CoTaskMemRealloc",
    "SysAllocString",
    "SysAllocStringLen",
    "SysAllocStringByteLen",
    "SysReAllocString",
    "CoCreateInstance",
    "MultiByteToWideChar",
    "WideCharToMultiByte",
    "LoadStringW",
    "LoadStringA",
    "FindResourceW",
    "FindResourceExW",
    "LoadImageW",
    "OpenPrinterW",
    "GetPrinterW",
    "SetPrinterW",
    "EnumPrintersW",
    "GetPrinterDriverW",
    "GetPrinterDataW",
    "SetPrinterDataW",
    "DeviceCapabilitiesW",
    "GetFormW",
    "AddFormW",
    "SetFormW",
    "DeleteFormW",
    "CreateWindowExW",
    "CreateDialogParamW",
    "CreateDialogIndirectParamW",
    "DialogBoxParamW",
    "DialogBoxIndirectParamW",
    "RegisterClassW",
    "MessageBoxW",
    "MessageBoxA",
    "CreateFontIndirectW",
    "CreateSolidBrush",
    "CreateBitmap",
    "CreateCompatibleDC",
    "CreateDIBSection",
    "ImageList_Create",
    "CreateThread",
    "GetTempFileNameW",
    "MoveFileExW",
    "DeleteFileW",
    "GetFileAttributesW",
    "IXMLDOMDocument::loadXML",
    "IXMLDOMDocument::createNode",
    "IXMLDOMDocument::save",
    "IXMLDOMElement::setAttributeNode",
    "IXMLDOMNode::appendChild",
    "IXMLDOMNode::insertBefore",
    "IXMLDOMNode::put_text",
    "IXMLDOMNode::removeChild",
    "IMXNamespaceManager::declarePrefix",
    "IMXNamespaceManager::getPrefix",
    "IMXNamespaceManager::getURI",
    "IMXNamespaceManager::pushNodeContext",
    "CoInitializeEx",
    "CoCreateInstance(BidiSpl)",
    "CoCreateInstance(BidiRequest)",
    "BindDevice",
    "SendRecv",
};

// A skip no flow reaches: the plan counts the calls of a run.
constexpr int kCounting = 1 << 30;

struct Totals {
    int injected = 0;
    int apis = 0;
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

    // The server as every run finds it: the sample, every printer with whole
    // stored settings (so that no first read replaces them) as `prepare_`
    // makes them.
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
    }

    // Opens a sheet; false when the run's fault stopped it.
    bool OpenSheet(const std::u16string &printer, SheetKind kind = SheetKind::Document)
    {
        sheet = std::make_unique<PropertySheet>(ui, kind, printer, ghInstance);
        std::string error;
        return sheet->Open(error);
    }
    HWND ShowPage(int templateId) { return sheet->ActivateTemplate(templateId) ? sheet->ActiveWindow() : nullptr; }

    // Runs the flow once per call of each api, failing that call, and counts
    // the faults injected. `printer` is the one whose stored settings the
    // flow may write; `done` checks what the fault-free run did.
    Totals Sweep(const char *name, const std::u16string &printer, const std::function<void()> &flow,
                 const std::function<void()> &done)
    {
        // The fault-free run: the calls of each api, and the record it stores.
        Prepare();
        std::vector<BYTE> old = StoredRecord(printer);
        for (const char *api : kApis)
            standin::FailNext(api, 1, ERROR_NOT_ENOUGH_MEMORY, kCounting);
        Run(name, "none", 0, flow);
        std::map<std::string, int> calls;
        for (const char *api : kApis)
            calls[api] = kCounting - standin::PlannedSkips(api);
        standin::ClearFaults();
        done();
        std::vector<BYTE> updated = StoredRecord(printer);
        EXPECT_EQ(updated.size(), sizeof(REGSTRUCT)) << name;

        Totals totals;
        for (const char *api : kApis) {
            if (calls[api] <= 0)
                continue;
            ++totals.apis;
            // Until a run leaves its fault unused: a fault may change how
            // many calls later ones make.
            for (int skip = 0;; ++skip) {
                Prepare();
                standin::FailNext(api, 1, ERROR_NOT_ENOUGH_MEMORY, skip);
                Run(name, api, skip, flow);
                bool unused = standin::PlannedSkips(api) >= 0;
                standin::ClearFaults();
                CheckStored(name, api, skip, printer, old, updated);
                if (unused)
                    break;
                ++totals.injected;
                if (HasFatalFailure() || skip > 4 * calls[api] + 16) {
                    ADD_FAILURE() << name << ": " << api << " keeps being called";
                    break;
                }
            }
        }
        std::printf("fault sweep: %-28s %5d faults injected in %2d apis\n", name, totals.injected, totals.apis);
        std::fflush(stdout);
        return totals;
    }

    void Run(const char *name, const char *api, int skip, const std::function<void()> &flow)
    {
        standin::Counters before = standin::GetCounters();
        long windows = ui::WindowCount(), components = gcComponents;
        flow();
        sheet.reset();
        standin::Counters after = standin::GetCounters();
        std::string where = std::string(name) + ", " + api + " failed after " + std::to_string(skip) + " calls";
        EXPECT_EQ(before.heapBlocks, after.heapBlocks) << "heap blocks leaked: " << where;
        EXPECT_EQ(before.heaps, after.heaps) << "heaps leaked: " << where;
        EXPECT_EQ(before.globalBlocks, after.globalBlocks) << "global blocks leaked: " << where;
        EXPECT_EQ(before.threads, after.threads) << "thread handles leaked: " << where;
        EXPECT_EQ(before.taskBlocks, after.taskBlocks) << "task memory leaked: " << where;
        EXPECT_EQ(before.bstrs, after.bstrs) << "system strings leaked: " << where;
        EXPECT_EQ(before.comObjects, after.comObjects) << "COM objects leaked: " << where;
        EXPECT_EQ(before.printerHandles, after.printerHandles) << "printer handles leaked: " << where;
        EXPECT_EQ(before.gdiObjects, after.gdiObjects) << "GDI objects leaked: " << where;
        EXPECT_EQ(windows, ui::WindowCount()) << "windows leaked: " << where;
        EXPECT_EQ(components, gcComponents) << "plug-in objects left: " << where;
        EXPECT_TRUE(ui::Stalls().empty()) << "a dialog stalled: " << where;
    }

    // The stored record is whole: 116 bytes of version 5, every field as it
    // was or as the flow sets it, the reserved ones zero.
    void CheckStored(const char *name, const char *api, int skip, const std::u16string &printer,
                     const std::vector<BYTE> &old, const std::vector<BYTE> &updated)
    {
        sp::DataValue value;
        ASSERT_TRUE(sp::GetData(printer, kSettingsValueName, value)) << name << ", " << api << " " << skip;
        ASSERT_EQ(value.type, static_cast<DWORD>(REG_BINARY)) << name << ", " << api << " " << skip;
        ASSERT_EQ(value.bytes.size(), sizeof(REGSTRUCT)) << name << ", " << api << " " << skip;
        ASSERT_EQ(old.size(), sizeof(REGSTRUCT));
        ASSERT_EQ(updated.size(), sizeof(REGSTRUCT));
        const LONG *now = reinterpret_cast<const LONG *>(value.bytes.data());
        const LONG *was = reinterpret_cast<const LONG *>(old.data());
        const LONG *set = reinterpret_cast<const LONG *>(updated.data());
        for (size_t i = 0; i < sizeof(REGSTRUCT) / sizeof(LONG); ++i)
            EXPECT_TRUE(now[i] == was[i] || now[i] == set[i])
                << name << ", " << api << " failed after " << skip << " calls: field at " << i * 4 << " is " << now[i]
                << ", neither " << was[i] << " nor " << set[i];
    }

    static REGSTRUCT Stored(const std::u16string &printer)
    {
        REGSTRUCT settings = {};
        std::vector<BYTE> bytes = StoredRecord(printer);
        if (bytes.size() == sizeof(settings))
            std::memcpy(&settings, bytes.data(), sizeof(settings));
        return settings;
    }

    std::function<void(const std::u16string &, REGSTRUCT &)> prepare_;
};

TEST_F(FaultSweep, DocumentSheetApplyAndCancel)
{
    Totals apply = Sweep(
        "document sheet, Apply", u"KestrelBT",
        [&] {
            if (!OpenSheet(u"KestrelBT"))
                return;
            for (int page : {IDD_GRAPHICS, IDD_OTHER, IDD_PAGE_SETUP})
                ShowPage(page);
            if (HWND page = ShowPage(IDD_PAGE_SETUP))
                ui::Click(page, IDC_MIRROR);
            sheet->Apply();
        },
        [] { EXPECT_EQ(Stored(u"KestrelBT").Mirror, 1) << "the fault-free Apply stores the mirror"; });
    EXPECT_GT(apply.injected, 0);
    Totals cancel = Sweep(
        "document sheet, Cancel", u"KestrelBT",
        [&] {
            if (!OpenSheet(u"KestrelBT"))
                return;
            if (HWND page = ShowPage(IDD_PAGE_SETUP))
                ui::Click(page, IDC_MIRROR);
            sheet->Cancel();
        },
        [] { EXPECT_EQ(Stored(u"KestrelBT").Mirror, 0) << "a cancelled sheet stores nothing"; });
    EXPECT_GT(cancel.injected, 0);
}

TEST_F(FaultSweep, PrinterSheetItem)
{
    Totals totals = Sweep(
        "printer sheet, Apply", u"Heron",
        [&] {
            if (!OpenSheet(u"Heron", SheetKind::Device))
                return;
            sheet->SetOemItemSelection(64);
            sheet->Apply();
        },
        [] {
            sp::DataValue value;
            ASSERT_TRUE(sp::GetData(u"Heron", u"OEMUI_VALUE", value));
            EXPECT_EQ(value.bytes, std::vector<BYTE>({64, 0, 0, 0}));
        });
    EXPECT_GT(totals.injected, 0);
}

TEST_F(FaultSweep, PaperStockDialogThroughNew)
{
    Totals totals = Sweep(
        "paper stock dialog, New", u"KestrelBT",
        [&] {
            if (!OpenSheet(u"KestrelBT"))
                return;
            HWND page = ShowPage(IDD_PAGE_SETUP);
            if (page == nullptr)
                return;
            ui::OnDialog(IDD_PAPER_STOCK, [](HWND d) {
                ui::Type(d, IDC_STOCK_NAME, u"Sweep 12 x 33");
                ui::Type(d, IDC_STOCK_LENGTH, u"33");
                ui::Type(d, IDC_STOCK_RIGHT, u"1.25");
                ui::Click(d, IDC_STOCK_OK);
            });
            ui::Click(page, IDC_PAPER_NEW);
            sheet->Apply();
        },
        [] { EXPECT_NE(PaperOf(u"Sweep 12 x 33"), 0) << "the fault-free run adds its form"; });
    EXPECT_GT(totals.injected, 0);
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
    Totals totals = Sweep(
        "distributed printing dialog", u"FalconBT",
        [&] {
            if (!OpenSheet(u"FalconBT"))
                return;
            HWND page = ShowPage(IDD_PAGE_SETUP_EX);
            if (page == nullptr)
                return;
            ui::OnDialog(IDD_RIBBON_WIDTH, [](HWND ribbon) {
                ui::Choose(ribbon, IDC_RIBBON_SET_WIDTH, 1);
                ui::Type(ribbon, IDC_RIBBON_COMMENT, u"swept");
                ui::Click(ribbon, IDOK);
            });
            ui::OnDialog(IDD_DISTRIBUTED_PRINTING, [](HWND dialog) {
                ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 2, NM_RCLICK);
                ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 1);
                ui::Click(dialog, IDC_CHECK_RIBBON);
                ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
                ui::Click(dialog, IDOK);
            });
            ui::Click(page, IDC_SETTING_VALUE);
            sheet->Apply();
        },
        [] {
            sp::DataValue list;
            EXPECT_TRUE(sp::GetData(u"FalconBT", kDistributedListValueName, list))
                << "the fault-free run stores its list";
            EXPECT_EQ(Stored(u"FalconBT").Distributed, 1);
        });
    sp::SetBidiTimeout(timeout);
    EXPECT_GT(totals.injected, 0);
}

const std::u16string kTicket =
    u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u" xmlns:p=\"" PT_PRIVATE u"\">"
    u"<psf:ParameterInit name=\"p:PageAfterPrint\"><psf:Value xsi:type=\"xsd:integer\">9000</psf:Value>"
    u"</psf:ParameterInit></psf:PrintTicket>";

TEST_F(FaultSweep, TicketConversions)
{
    CoreHelper core;
    bool converted = false;
    Totals totals = Sweep(
        "ticket conversions", u"FalconBT",
        [&] {
            IClassFactory *factory = nullptr;
            if (DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)) != S_OK)
                return;
            IPrintOemPrintTicketProvider *provider = nullptr;
            factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider));
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
                converted = false;
                DEVMODEW devmode = {};
                devmode.dmSize = sizeof(DEVMODEW);
                devmode.dmDriverExtra = sizeof(OEMDEV);
                OEMDEV record;
                SetDefaultOEMDev(&record);
                // The ticket's settings go into the record and the stored
                // settings; a bare ticket then gets them back as parameters,
                // and is read again.
                if (IXMLDOMDocument2 *ticket = LoadDocument(kTicket)) {
                    if (provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV),
                                                              &record) == S_OK) {
                        ticket->Release();
                        ticket = LoadDocument(u"<psf:PrintTicket version=\"1\"" PT_NAMESPACES u"/>");
                        converted = record.Offset == 9 && ticket != nullptr &&
                                    provider->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV),
                                                                          &record, ticket) == S_OK &&
                                    DocumentXml(ticket).find(">9000<") != std::string::npos;
                        // The core's round trip: the written ticket read again.
                        OEMDEV back;
                        SetDefaultOEMDev(&back);
                        if (ticket != nullptr)
                            converted = provider->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode,
                                                                              sizeof(OEMDEV), &back) == S_OK &&
                                        back.Offset == 9 && converted;
                    }
                    if (ticket != nullptr)
                        ticket->Release();
                }
            }
            provider->Release();
            if (printer != nullptr)
                ClosePrinter(printer);
        },
        [&] {
            EXPECT_TRUE(converted) << "the fault-free run converts both ways";
            EXPECT_EQ(Stored(u"FalconBT").Offset, 9) << "and stores the ticket's settings";
        });
    EXPECT_GT(totals.injected, 0);
    EXPECT_EQ(core.refs, 1) << "no run keeps a reference to the core helper";
}

}  // namespace
