// The sheets the driver asks for, the plug-in's option items and their
// bridge to the pages, the document callback and the Other page.
#include "resources/resource.h"
#include "src/pages/bridge.h"
#include "src/pages/optitems.h"
#include "src/pages/pagecommon.h"
#include "src/pages/propsheets.h"
#include "tests/support/sheet.h"

#include <cstring>

namespace {

using standin::ui::TemplateId;

// The pages of each model, and on the Other page the self-test group of
// the models that have it.
TEST_F(SheetTest, DocumentPagesFollowTheModel)
{
    const std::tuple<std::u16string, std::vector<int>, bool> cases[] = {
        {u"FalconBT", {113, 111, 112}, true},     {u"Condor Printer", {110, 112}, true},
        {u"KestrelBT", {110, 111, 112}, true},    {u"MerlinBT", {110, 111, 112}, true},
        {u"Wren", {110, 111, 112}, false},        {u"Heron", {110, 111, 112}, false},
        {u"HeronBT PRO", {110, 111, 112}, false}, {u"Osprey", {110, 111, 112}, false},
    };
    for (const auto &[printer, templates, selfTest] : cases) {
        PropertySheet &s = Open(printer);
        EXPECT_EQ(s.initResult, S_OK);
        EXPECT_EQ(Templates(), templates) << Utf8(printer);
        // The sheet's result is the Other page's addition; every page shares one context.
        EXPECT_EQ(s.initSheetResult, s.Pages().size() - 1);
        for (size_t i = 1; i < s.Pages().size(); ++i) {
            ASSERT_TRUE(s.Activate(i));
            EXPECT_EQ(TemplateId(s.Pages()[i].window), templates[i - 1]);
            EXPECT_EQ(s.Pages()[i].psp.lParam, static_cast<LPARAM>(s.SheetInfo().UserData));
            // What a page does not handle, its font among it, is the dialog manager's.
            EXPECT_NE(SendMessageW(s.Pages()[i].window, WM_GETFONT, 0, 0), 0);
        }
        EXPECT_EQ(s.infoTitle, u"OEM UI Page");
        EXPECT_EQ(std::u16string(gszDriverName), printer);
        for (int id : {IDC_SELF_TEST_GROUP, IDC_SELF_TEST_LABEL, IDC_SELF_TEST_PRINT})
            EXPECT_EQ(Visible(s.ActiveWindow(), id), selfTest) << Utf8(printer);
        sheet.reset();
    }
}

// The device sheet is the About page, titled from the strings, with three
// words of the driver's version; it leaves the document sheet's driver name
// alone.
TEST_F(SheetTest, DeviceSheetIsTheAboutPageWithTheDriversVersion)
{
    ASSERT_TRUE(standin::spooler::SetDriverVersion(u"FalconBT", (DWORDLONG(2) << 48) | (DWORDLONG(1) << 32) |
                                                                    (DWORDLONG(9) << 16) | 7));
    PropertySheet &s = Open(u"FalconBT", SheetKind::Device);
    ASSERT_EQ(Templates(), std::vector<int>{108});
    EXPECT_TRUE((s.Pages()[1].psp.dwFlags & PSP_USETITLE) && s.Pages()[1].title == u"About");
    EXPECT_EQ(s.infoTitle, u"OEM UI Page");
    ASSERT_TRUE(s.Activate(1));
    EXPECT_EQ(standin::ui::Text(GetDlgItem(s.ActiveWindow(), IDC_ABOUT_VERSION)), u"Ver:Build_2.1.9");
    EXPECT_NE(SendMessageW(s.ActiveWindow(), WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(gszDriverName[0], 0);
}

// A property sheet function that records the pages it is given.
struct PageRecorder {
    std::vector<PROPSHEETPAGEW> pages;
    static LONG_PTR CALLBACK Add(HANDLE sheet, UINT function, LPARAM page, LPARAM)
    {
        auto *self = reinterpret_cast<PageRecorder *>(sheet);
        if (function != CPSFUNC_ADD_PROPSHEETPAGEW)
            return 0;
        self->pages.push_back(*reinterpret_cast<PROPSHEETPAGEW *>(page));
        return 0x40 + static_cast<LONG_PTR>(self->pages.size());
    }
};

class SheetCallTest : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        heap = HeapCreate(0, 0, 0);
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"KestrelBT"), &printer, nullptr));
        param.cbSize = sizeof(param);
        param.hPrinter = printer;
        param.hOEMHeap = heap;
        param.hModule = ghInstance;
        info.cbSize = sizeof(info);
        info.Version = PROPSHEETUI_INFO_VERSION;
        info.hComPropSheet = reinterpret_cast<HANDLE>(&recorder);
        info.pfnComPropSheet = PageRecorder::Add;
        info.lParamInit = reinterpret_cast<LPARAM>(&param);
    }
    void TearDown() override
    {
        ClosePrinter(printer);
        HeapDestroy(heap);
        SheetTest::TearDown();
    }

    HANDLE heap = nullptr;
    HANDLE printer = nullptr;
    OEMUIPSPARAM param = {};
    PROPSHEETUI_INFO info = {};
    PageRecorder recorder;
};

// Calls without their parameters or with a block of another version are
// refused, and add no page.
TEST_F(SheetCallTest, BadCallsAreRefusedAndAddNothing)
{
    PROPSHEETUI_INFO noParam = info, oldVersion = info;
    noParam.Reason = PROPSHEETUI_REASON_INIT;
    noParam.lParamInit = 0;
    oldVersion.Version = 0x0200;
    for (PROPSHEETUI_INFO *bad : {&noParam, &oldVersion}) {
        EXPECT_RESULT_AND_ERROR(OEMDocumentPropertySheets(bad, 0, nullptr), E_FAIL, ERROR_INVALID_PARAMETER);
        EXPECT_RESULT_AND_ERROR(hrOEMDevicePropertySheets(bad, 0), E_FAIL, ERROR_INVALID_PARAMETER);
        EXPECT_EQ(bad->UserData, 0u);
    }
    EXPECT_RESULT_AND_ERROR(hrOEMDevicePropertySheets(nullptr, 0), E_FAIL, ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(recorder.pages.empty());
    OEMCUIPPARAM param = {};
    param.cbSize = sizeof(param);
    EXPECT_RESULT_AND_ERROR(hrOEMPropertyPage(3, &param), E_FAIL, ERROR_INVALID_PARAMETER);
    EXPECT_RESULT_AND_ERROR(hrOEMPropertyPage(OEMCUIP_PRNPROP, nullptr), E_FAIL, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(param.OEMCUIPCallback, nullptr);
}

TEST_F(SheetCallTest, OnlyTheDeviceSheetFreesItsContext)
{
    long before = standin::GetCounters().heapBlocks;
    ASSERT_EQ(OEMDocumentPropertySheets(&info, 0, nullptr), S_OK);
    EXPECT_EQ(info.Result, 0x43u) << "the result of adding the last of three pages";
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(OEMDocumentPropertySheets(&info, 0, nullptr), S_OK);
    EXPECT_EQ(info.Result, static_cast<ULONG_PTR>(TRUE));
    EXPECT_EQ(standin::GetCounters().heapBlocks, before + 1) << "the document sheet leaves its context to the heap";

    recorder.pages.clear();
    info.Reason = PROPSHEETUI_REASON_INIT;
    info.UserData = info.Result = 0;
    ASSERT_EQ(hrOEMDevicePropertySheets(&info, 0), S_OK);
    ASSERT_EQ(recorder.pages.size(), 1u);
    EXPECT_EQ(std::u16string(recorder.pages[0].pszTitle), u"About");
    EXPECT_EQ(HeapSize(heap, 0, recorder.pages[0].pszTitle), 6 * sizeof(WCHAR));
    long withContext = standin::GetCounters().heapBlocks;
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(hrOEMDevicePropertySheets(&info, 0), S_OK);
    EXPECT_EQ(standin::GetCounters().heapBlocks, withContext - 1);
}

// SET_RESULT hands the result on (0 without one); the info header gets the title alone;
// the icon and reasons the plug-in does not know answer 0.
TEST_F(SheetCallTest, OtherReasons)
{
    SETRESULT_INFO result = {sizeof(result), 0, nullptr, 0x1234};
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    EXPECT_EQ(OEMDocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&result), nullptr), S_OK);
    EXPECT_EQ(info.Result, 0x1234u);
    PROPSHEETUI_INFO_HEADER header = {sizeof(header), 0x5, u"before", nullptr, ghInstance, {}};
    info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    EXPECT_EQ(hrOEMDevicePropertySheets(&info, reinterpret_cast<LPARAM>(&header)), S_OK);
    EXPECT_TRUE(std::u16string(header.pTitle) == u"OEM UI Page" && header.Flags == 0x5 && header.hInst == ghInstance);
    EXPECT_EQ(info.Result, static_cast<ULONG_PTR>(TRUE));
    for (WORD reason : {WORD(PROPSHEETUI_REASON_SET_RESULT), WORD(PROPSHEETUI_REASON_GET_ICON), WORD(9)}) {
        info.Reason = reason;
        info.Result = 0x99;
        EXPECT_EQ(OEMDocumentPropertySheets(&info, 0, nullptr), S_OK);
        EXPECT_EQ(info.Result, 0u);
    }
    EXPECT_TRUE(recorder.pages.empty());
}

// ---- Option items ----------------------------------------------------------

TEST_F(SheetTest, DocumentModeHidesTheItemsThePagesReplace)
{
    PropertySheet &s = Open(u"KestrelBT");
    DriverOptionItems &items = s.DriverItems();
    for (DWORD i = 0; i < items.Count(); ++i) {
        const OPTITEM &item = items.Items()[i];
        std::string keyword = items.Keyword(item);
        bool replaced = keyword == "PaperSize" || keyword == "InputBin" || keyword.rfind("OEM", 0) == 0;
        if (replaced)
            EXPECT_EQ(item.Flags, static_cast<DWORD>(OPTIF_HIDE)) << keyword;
        else
            EXPECT_FALSE(item.Flags & OPTIF_HIDE) << "'" << keyword << "' stays";
    }
    EXPECT_EQ(s.UiParam().cOEMOptItems, 0u) << "no items of the plug-in's own";
    EXPECT_EQ(s.UiParam().OEMCUIPCallback, &OEMDocUICallBack);

    // Hiding again is harmless; other flags are replaced by the hide.
    POPTITEM paper = items.Find("PaperSize");
    paper->Flags = OPTIF_CHANGED | OPTIF_DISABLED;
    OEMCUIPPARAM again = s.UiParam();
    EXPECT_EQ(hrOEMPropertyPage(OEMCUIP_DOCPROP, &again), S_OK);
    EXPECT_EQ(paper->Flags, static_cast<DWORD>(OPTIF_HIDE));
}

// Only a REG_DWORD of four bytes up to 100 is a selection: a value past it,
// the text "7", a REG_DWORD of one byte or of eight or no value at all show
// 0 (the stored-values fuzz target tries every other type and size). A
// selection applied is stored as a REG_DWORD.
TEST_F(SheetTest, PrinterItemKeepsItsValueWithinBounds)
{
    auto dword = [](DWORD v) { return std::vector<BYTE>{BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; };
    struct Case {
        const char16_t *printer;
        DWORD type;  // REG_NONE: nothing stored
        std::vector<BYTE> bytes;
        LONG shown;
    } cases[] = {{u"Heron", REG_DWORD, dword(100), 100}, {u"Heron", REG_DWORD, dword(101), 0},
                 {u"Plover", REG_NONE, {}, 0},           {u"Heron", REG_SZ, {'7', 0, 0, 0}, 0},
                 {u"Heron", REG_DWORD, {49}, 0},         {u"Heron", REG_DWORD, {5, 0, 0, 0, 0, 0, 0, 0}, 0}};
    for (const Case &c : cases) {
        if (c.type != REG_NONE) {
            ASSERT_TRUE(standin::spooler::SetData(c.printer, u"OEMUI_VALUE", c.type, c.bytes));
        }
        PropertySheet &s = Open(c.printer, SheetKind::Device);
        ASSERT_TRUE(s.UiParam().cOEMOptItems == 1 && s.OemItems() != nullptr) << "the printer sheet asks for one item";
        EXPECT_EQ(s.OemItems()[0].cbSize, sizeof(OPTITEM)) << "the item is filled out";
        EXPECT_EQ(s.OemItems()[0].Sel, c.shown) << "type " << c.type << ", " << c.bytes.size() << " bytes";
        sheet.reset();
    }

    PropertySheet &s = Open(u"Heron", SheetKind::Device);
    ASSERT_TRUE(s.SetOemItemSelection(64) && s.Apply());
    standin::spooler::DataValue value;
    ASSERT_TRUE(standin::spooler::GetData(u"Heron", u"OEMUI_VALUE", value));
    EXPECT_TRUE(value.type == REG_DWORD && value.bytes == dword(64));
}

// A string the module lacks is none; InitOptItems clears every item of the
// count and nothing past it.
TEST_F(SheetTest, MissingStringsAndClearedItems)
{
    HANDLE heap = HeapCreate(0, 0, 0);
    EXPECT_EQ(GetStringResource(heap, ghInstance, 27), nullptr);
    HeapDestroy(heap);
    OPTITEM items[3];
    std::memset(items, 0xA5, sizeof(items));
    InitOptItems(items, 2);
    for (const OPTITEM &item : {items[0], items[1]})
        EXPECT_TRUE(item.cbSize == sizeof(OPTITEM) && item.DMPubID == DMPUB_NONE && item.Flags == 0 &&
                    item.pOptType == nullptr);
    EXPECT_EQ(items[2].Flags, 0xA5A5A5A5u);
}

// ---- The option-item bridge: page to driver ---------------------------------

// A value the page sets selects the driver's option and tells the driver,
// marking the item changed; a paper no option carries keeps the selection
// but still tells the driver; an item without options keeps its selection;
// an item the driver does not have tells the driver nothing; a failing
// driver leaves the selection made.
TEST_F(SheetTest, PageValuesReachTheDriversItems)
{
    PropertySheet &s = Open(u"KestrelBT");
    ASSERT_TRUE(s.ActivateTemplate(110));
    PPAGECONTEXT context = gpCurrentContext;
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(context->pOEMUIParam, &s.UiParam());
    DriverOptionItems &items = s.DriverItems();
    ASSERT_GE(s.Papers().size(), 3u);

    POPTITEM paper = items.Find("PaperSize");
    paper->Flags = 0;
    SetOEMCommonDataIntoOptItem(context, "PaperSize", s.Papers()[2].c_str());
    EXPECT_TRUE(paper->Sel == 2 && paper->Flags == OPTIF_CHANGED);
    SetOEMCommonDataIntoOptItem(context, "PaperSize", u"No Such Paper");
    EXPECT_EQ(paper->Sel, 2);
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"1");
    EXPECT_EQ(items.Find("Orientation")->Sel, 1);
    items.Find("Resolution")->pOptType->Count = 0;
    SetOEMCommonDataIntoOptItem(context, "Resolution", u"1");
    EXPECT_EQ(items.Find("Resolution")->Sel, 0);
    SetOEMCommonDataIntoOptItem(context, "Duplex", u"1");
    s.Helper().updateResult = E_FAIL;
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"0");
    EXPECT_EQ(items.Find("Orientation")->Sel, 0);

    std::vector<std::string> told;
    for (const auto &update : s.Helper().updates)
        told.push_back(update.keyword + " " + std::to_string(update.sel) + " " +
                       std::to_string(update.previousSelection) + " " + std::to_string(update.mode));
    const std::string mode = std::to_string(OEMCUIP_DOCPROP);
    EXPECT_EQ(told,
              (std::vector<std::string>{"PaperSize 2 0 " + mode, "PaperSize 2 0 " + mode, "Orientation 1 0 " + mode,
                                        "Resolution 0 0 " + mode, "Orientation 0 0 " + mode}));
}

TEST_F(SheetTest, FindDrvOptItemMatchesKeywordsExactly)
{
    PropertySheet &s = Open(u"KestrelBT");
    DriverOptionItems &items = s.DriverItems();
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "PaperSize", 0), items.Find("PaperSize"));
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "paperSize", 0), items.Find("paperSize"));
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "Papersize", 0), nullptr);
    // Without a keyword the public devmode id decides, items without user data included.
    POPTITEM copies = FindDrvOptItem(items.Items(), items.Count(), nullptr, DMPUB_COPIES_COLLATE);
    ASSERT_NE(copies, nullptr);
    EXPECT_EQ(copies->UserData, 0u);
    EXPECT_EQ(FindDrvOptItem(items.Items(), 0, "PaperSize", 0), nullptr);
}

// ---- The option-item bridge: driver to page ---------------------------------

// The selections left pending on the driver's page move into Page Setup
// when it is shown again, and are cleared: the paper by its name (the one
// Apply stores), the orientation as Rotate 0 or 2 with its button and
// picture (the old picture deleted); the standard page keeps the quality
// without a list. An orientation the page shows already only clears; a
// paper the list lacks, an index past the driver's options and a third
// orientation change nothing.
TEST_F(SheetTest, PendingDriverSelectionsMoveIntoThePage)
{
    Open(u"KestrelBT");
    ASSERT_TRUE(sheet->ActivateTemplate(110));
    HWND setup = sheet->ActiveWindow();
    auto find = [&](size_t paper) {
        return SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(sheet->Papers()[paper].c_str()));
    };
    LRESULT missing = find(1);
    ASSERT_NE(missing, CB_ERR);
    SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_DELETESTRING, static_cast<WPARAM>(missing), 0);
    struct Case {
        bool throughDriverPage;
        LONG paper, orientation;  // -1: none pending
        int shown;                // the button before
        LONG rotate, shownPaper, rotateAfter;
        int picture;  // 0: the one before
    } cases[] = {
        {true, 3, 1, IDC_PORTRAIT, 0, 3, 2, IDB_LANDSCAPE}, {true, 2, 0, IDC_LANDSCAPE, 2, 2, 0, IDB_PORTRAIT},
        {false, -1, 0, IDC_PORTRAIT, 7, -1, 7, 0},          {false, 1, 2, IDC_PORTRAIT, 0, -1, 0, 0},
        {false, 500, 2, IDC_PORTRAIT, 0, -1, 0, 0},         {false, -7, 2, IDC_LANDSCAPE, 0, -1, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("paper " + std::to_string(c.paper) + ", orientation " + std::to_string(c.orientation));
        ASSERT_TRUE(sheet->ActivateTemplate(111));  // away from Page Setup
        SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_SETCURSEL, 0, 0);
        CheckRadioButton(setup, IDC_PORTRAIT, IDC_LANDSCAPE, c.shown);
        gpCurrentSettings->Rotate = c.rotate;
        gpCurrentSettings->iQuality = 0;
        if (c.throughDriverPage) {
            ASSERT_TRUE(sheet->SetDriverSelection("PaperSize", c.paper));
            ASSERT_TRUE(sheet->SetDriverSelection("Orientation", c.orientation));
            ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
        } else {
            OEMDEV record = sheet->JobRecord();
            record.standardPaperSizeChoose = c.paper;
            record.standardOrientationChoose = c.orientation;
            sheet->SetJobRecord(record);
        }
        int before = Picture(setup, IDC_DIRECTION_PICTURE);
        long gdi = standin::GetCounters().gdiObjects;
        ASSERT_TRUE(sheet->ActivateTemplate(110));
        EXPECT_EQ(SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0),
                  c.shownPaper < 0 ? 0 : find(c.shownPaper));
        EXPECT_TRUE(c.shownPaper < 0 || (gszDrvPaperName == sheet->Papers()[c.shownPaper] &&
                                         gszCurrentPaper == sheet->Papers()[c.shownPaper]));
        EXPECT_EQ(std::make_tuple(gpCurrentSettings->iQuality, gpCurrentSettings->Rotate, Checked(setup, IDC_LANDSCAPE),
                                  Picture(setup, IDC_DIRECTION_PICTURE), standin::GetCounters().gdiObjects),
                  std::make_tuple(c.throughDriverPage ? 1L : 0L, c.rotateAfter,
                                  c.picture == 0 ? c.shown == IDC_LANDSCAPE : c.picture == IDB_LANDSCAPE,
                                  c.picture == 0 ? before : c.picture, gdi));
        const OEMDEV &job = sheet->JobRecord();
        EXPECT_TRUE(job.standardPaperSizeChoose == -1 && job.standardOrientationChoose == -1 &&
                    job.standardResolutionChoose == -1);
    }

    // Without a page context, or a driver that hands no private record,
    // there is nothing to move.
    SyncDrvOptItemsToPage(setup, nullptr);
    PAGECONTEXT context = *PageContextOf(setup);
    OEMCUIPPARAM param = *context.pOEMUIParam;
    param.pOEMDM = nullptr;
    context.pOEMUIParam = &param;
    SyncDrvOptItemsToPage(setup, &context);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0), 0);
}

// ---- The document callback -------------------------------------------------

// Apply copies the settings into the job record (the stored records are the
// fault sweep's). A page's bit left by an earlier sheet would keep it from
// storing anything: every sheet starts without one.
TEST_F(SheetTest, ApplyNowCopiesTheSettingsIntoTheJobRecord)
{
    gPendingPages = PENDING_GRAPHICS;
    PropertySheet &s = Open(u"KestrelBT");
    EXPECT_EQ(gPendingPages, 0);
    ASSERT_TRUE(s.ActivateTemplate(112));
    gpCurrentSettings->Speed = 2;
    gpCurrentSettings->Mirror = 1;
    ASSERT_TRUE(s.Apply());
    EXPECT_TRUE(s.JobRecord().Speed == 2 && s.JobRecord().Mirror == 1);
    EXPECT_TRUE(Stored(u"KestrelBT").Speed == 2 && Stored(u"KestrelBT").Mirror == 1);
}

TEST_F(SheetTest, AClosedSheetLeavesNothingBehind)
{
    for (SheetKind kind : {SheetKind::Document, SheetKind::Device}) {
        PropertySheet &s = Open(u"KestrelBT", kind);
        ASSERT_TRUE(kind == SheetKind::Document ? s.ActivateTemplate(112) : s.Activate(1));
        if (kind == SheetKind::Document) {
            ASSERT_NE(gpCurrentSettings, nullptr);
        }
        s.Cancel();
        sheet.reset();
        EXPECT_TRUE(gpCurrentContext == nullptr && gpCurrentSettings == nullptr && gPendingPages == 0);
    }
}

TEST_F(SheetTest, CallbackAnswersPerReason)
{
    OEMDEV record = {};
    OPTITEM oemItem = {};
    oemItem.Sel = 42;
    OEMCUIPPARAM param = {};
    param.pOEMDM = &record;
    param.pOEMOptItems = &oemItem;
    param.cOEMOptItems = 1;
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = CPSUICB_REASON_SETACTIVE;
    EXPECT_EQ(OEMDocUICallBack(&cb, &param), CPSUICB_ACTION_OPTIF_CHANGED);
    cb.Reason = CPSUICB_REASON_KILLACTIVE;
    EXPECT_EQ(OEMDocUICallBack(&cb, &param), CPSUICB_ACTION_NONE);
    EXPECT_EQ(record.dwDriverData, 42u);
    // Without current settings nothing is copied, and the items count as applied.
    cb.Reason = CPSUICB_REASON_APPLYNOW;
    record.Speed = 77;
    EXPECT_EQ(OEMDocUICallBack(&cb, &param), CPSUICB_ACTION_ITEMS_APPLIED);
    EXPECT_EQ(record.Speed, 77);
    cb.Reason = CPSUICB_REASON_SEL_CHANGED;
    EXPECT_EQ(OEMDocUICallBack(&cb, &param), CPSUICB_ACTION_NONE);
}

// ---- The Other page --------------------------------------------------------

// The self-test prints three bytes as a job of its own, and a failed write
// still ends the job; the click marks the sheet changed.
TEST_F(SheetTest, SelfTestPrintsThreeBytesAsItsOwnJob)
{
    HWND other = OpenPage(u"KestrelBT", IDD_OTHER);
    standin::spooler::ClearJobs();
    ASSERT_TRUE(standin::ui::Click(other, IDC_SELF_TEST_PRINT));
    auto jobs = standin::spooler::Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(jobs[0].bytes == std::vector<BYTE>({0x1F, 0x11, 0x27}) && jobs[0].pages == 0);
    EXPECT_EQ(sheet->changedCount, 1);
    standin::spooler::ClearJobs();
    standin::FailNext("WritePrinter", 1, 21);  // ERROR_NOT_READY
    ASSERT_TRUE(standin::ui::Click(other, IDC_SELF_TEST_PRINT));
    EXPECT_EQ(standin::spooler::Jobs().size(), 1u);
}

// The unit's buttons for every stored value (one outside the choices checks
// neither). The page is pending from its creation, holds its bit until Apply
// and stores nothing before.
TEST_F(SheetTest, UnitButtonsShowTheStoredUnitAndApplyStoresTheChoice)
{
    for (LONG unit : {0, 1, 3}) {
        REGSTRUCT settings = Defaults();
        settings.Unit = unit;
        StoreRecord(u"KestrelBT", &settings, sizeof(settings));
        HWND page = OpenPage(u"KestrelBT", IDD_OTHER);
        EXPECT_TRUE(Checked(page, IDC_UNIT_MM) == (unit == 0) && Checked(page, IDC_UNIT_INCH) == (unit == 1)) << unit;
        EXPECT_TRUE(gPendingPages & PENDING_OTHER) << "pending from creation";
        if (unit == 1) {
            ASSERT_TRUE(standin::ui::Click(page, IDC_UNIT_MM));
            EXPECT_EQ(gpCurrentSettings->Unit, 0);
            EXPECT_EQ(Stored(u"KestrelBT").Unit, 1) << "nothing stored before Apply";
            ASSERT_TRUE(sheet->Apply());
            EXPECT_TRUE((gPendingPages & PENDING_OTHER) == 0 && Stored(u"KestrelBT").Unit == 0);
        }
        sheet.reset();
    }
}

}  // namespace
