// The ribbon query: the progress dialog over a list as the distributed
// printing dialog fills it, its worker asking the bidi ports; BidiCmdtoPrinter.
#include "host/propsheet.h"
#include "host/text.h"
#include "src/distributed/distributed.h"
#include "tests/support/distributed.h"
#include "tests/support/fakes.h"

#include <map>

namespace {

namespace sp = standin::spooler;
namespace ui = standin::ui;

const std::u16string kNoAnswer = u"\u2014\u2014";
const std::vector<BYTE> kRibbonCommand = {0x1F, 0x11, 0x3F};

// What the progress bar and the list hear: the bar's range and its position
// after every step; the cells set on the list, and how many of them from
// another thread. The progress dialog counts the rows before it sets up its
// bar: the bar is watched from then.
struct Watch {
    WNDPROC bar = nullptr, list = nullptr;
    int low = -1, high = -1;
    std::vector<int> steps;
    DWORD listThread = 0;
    const RIBBONQUERY *query = nullptr;
    int setItems = 0, fromOtherThreads = 0;
} gWatch;

LRESULT CALLBACK WatchBar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(gWatch.bar, hwnd, message, wParam, lParam);
    if (message == PBM_SETRANGE) {
        gWatch.low = LOWORD(lParam);
        gWatch.high = HIWORD(lParam);
    } else if (message == PBM_STEPIT) {
        gWatch.steps.push_back(static_cast<int>(CallWindowProcW(gWatch.bar, hwnd, PBM_GETPOS, 0, 0)));
    }
    return result;
}

LRESULT CALLBACK WatchList(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_SETITEMW || message == LVM_SETITEMTEXTW) {
        ++gWatch.setItems;
        gWatch.fromOtherThreads += GetCurrentThreadId() != gWatch.listThread;
    }
    if (message == LVM_GETITEMCOUNT && gWatch.bar == nullptr && gWatch.query != nullptr &&
        gWatch.query->Progress != nullptr) {
        HWND bar = GetDlgItem(gWatch.query->Progress, IDC_RIBBON_PROGRESS);
        gWatch.bar = WNDPROC(SetWindowLongPtrW(bar, GWLP_WNDPROC, LONG_PTR(WatchBar)));
    }
    return CallWindowProcW(gWatch.list, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK OwnerProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class RibbonQueryTest : public DistributedTest {
protected:
    void SetUp() override
    {
        DistributedTest::SetUp();
        sp::LoadSample();
        gWatch = Watch();
        // The distributed printing dialog's template holds the list; the
        // test fills it as that dialog does.
        owner = CreateDialogParamW(ghInstance, MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), nullptr, OwnerProc, 0);
        ASSERT_NE(owner, nullptr);
        list = GetDlgItem(owner, IDC_DISTRIBUTED_LIST);
        ASSERT_NE(list, nullptr);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_CHECKBOXES);
        for (int column = 0; column < 7; ++column) {
            LVCOLUMNW col = {};
            col.mask = LVCF_WIDTH;
            col.cx = column == 0 ? 20 : column == 1 ? 160 : 100;
            ASSERT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col)), column);
        }
        gWatch.listThread = GetCurrentThreadId();
        gWatch.list = WNDPROC(SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(WatchList)));
        sp::ClearBidiExchanges();
    }

    void TearDown() override
    {
        if (owner != nullptr)
            DestroyWindow(owner);
        EXPECT_TRUE(ui::Stalls().empty()) << "a modal loop or a message waited too long";
        DistributedTest::TearDown();
    }

    // A row as the distributed printing dialog makes it: no answer yet.
    void AddRow(const std::u16string &printer, const std::u16string &width = kNoAnswer, int image = 0,
                const std::u16string &type = kNoAnswer)
    {
        int row = ListView_GetItemCount(list);
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = 1;
        ASSERT_EQ(ListView_InsertItem(list, &item), row);
        SetCell(row, 1, printer, -1);
        SetCell(row, 3, width, image);
        SetCell(row, 4, type, -1);
        SetCell(row, 5, u"USB", -1);
    }
    void SetCell(int row, int column, const std::u16string &text, int image)
    {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = const_cast<LPWSTR>(text.c_str());
        item.iImage = image;
        ASSERT_TRUE(ListView_SetItem(list, &item));
    }

    // The row's printer, width and ribbon type, each with its image if it has one.
    std::u16string Cells(int row)
    {
        std::u16string cells;
        for (int column : {1, 3, 4}) {
            int image = -1;
            std::u16string text = ListCell(list, row, column, &image);
            std::string shown = image >= 0 ? " (img " + std::to_string(image) + ")" : "";
            cells += (column == 1 ? u"" : u" | ") + text + std::u16string(shown.begin(), shown.end());
        }
        return cells;
    }

    // Runs the progress dialog to its end.
    INT_PTR Run()
    {
        gWatch.bar = nullptr;
        gWatch.steps.clear();
        gWatch.low = gWatch.high = -1;
        query = RIBBONQUERY{owner, IDC_DISTRIBUTED_LIST, nullptr};
        gWatch.query = &query;
        INT_PTR result = DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_QUERY), owner, GetRibbonDataProc,
                                         reinterpret_cast<LPARAM>(&query));
        gWatch.query = nullptr;
        return result;
    }

    // How often each printer was asked.
    static std::map<std::u16string, int> Asked()
    {
        std::map<std::u16string, int> asked;
        for (const sp::BidiExchange &e : sp::BidiExchanges()) {
            EXPECT_EQ(e.schema, u"\\Printer.WR");
            EXPECT_EQ(e.action, u"Get");
            EXPECT_EQ(e.type, DWORD(BIDI_BLOB));
            EXPECT_EQ(e.input, kRibbonCommand);
            ++asked[e.printer];
        }
        return asked;
    }

    HWND owner = nullptr;
    HWND list = nullptr;
    RIBBONQUERY query = {};
};

TEST_F(RibbonQueryTest, EverySampleFalconPrinterIsAskedUnlessOfflineOrOnTheFilePort)
{
    // The first answer takes a while: the user tries to close the dialog
    // meanwhile, and cannot.
    ASSERT_TRUE(sp::SetBidiReply(u"FalconBT", sp::AnswerWith(sp::RibbonStatus(1, 24), 150)));
    bool tried = false;
    ui::OnDialog(IDD_RIBBON_QUERY, [&tried](HWND dialog) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        tried = true;
    });
    const char16_t *printers[] = {
        u"FalconBT",           u"FalconBT (2)",    u"FalconBT (12 mm)",          u"FalconBT (silent)",
        u"FalconBT (offline)", u"FalconBT (file)", u"FalconBT (lower-case file)"};
    for (const char16_t *printer : printers)
        AddRow(printer);
    // Skipped rows keep what they showed, an earlier answer included.
    SetCell(4, 3, u"20 mm", -1);
    SetCell(4, 4, u"BZ", -1);
    gWatch.setItems = 0;

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(tried);

    const std::u16string none = u" | " + kNoAnswer + u" (img 0) | " + kNoAnswer;
    const std::u16string expected[] = {u"24 mm | BNZ", u"36 mm | BZ", u"12 mm | BZ", none,
                                       u"20 mm | BZ",  none,          u"9 mm | BNZ"};
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(Cells(row), printers[row] + (expected[row] == none ? none : u" | " + expected[row])) << row;
    std::map<std::u16string, int> asked = Asked();
    EXPECT_EQ(asked, (std::map<std::u16string, int>{{u"FalconBT", 1},
                                                    {u"FalconBT (2)", 1},
                                                    {u"FalconBT (12 mm)", 1},
                                                    {u"FalconBT (silent)", 2},
                                                    {u"FalconBT (lower-case file)", 1}}));

    // Range 0 .. 10 x rows, one step of 10 for every row, skipped or not.
    EXPECT_EQ(gWatch.low, 0);
    EXPECT_EQ(gWatch.high, 70);
    EXPECT_EQ(gWatch.steps, (std::vector<int>{10, 20, 30, 40, 50, 60, 70}));
    // Two cells for each asked row, all set on the list's own thread.
    EXPECT_EQ(gWatch.setItems, 10);
    EXPECT_EQ(gWatch.fromOtherThreads, 0);
}

// Each row's reply decides its cells: the type byte 1 is "BNZ", any other
// "BZ", the width byte in mm. A reply that is not a ribbon block (a byte
// short or long, another header, empty, failed) is asked for twice, then
// shows the warning. A first attempt that fails before the port (the first
// row's) is tried again.
TEST_F(RibbonQueryTest, TheRepliesDecideTheCells)
{
    std::vector<BYTE> block = sp::RibbonStatus(1, 24);
    std::vector<BYTE> wrongHeader = block, shortBlock(block.begin(), block.end() - 1), longBlock = block;
    wrongHeader[1] = 0x41;
    longBlock.push_back(0);
    sp::BidiReply failing = sp::AnswerWith(block);
    failing.error = E_FAIL;
    const std::u16string none = kNoAnswer + u" (img 0) | " + kNoAnswer;
    struct Case {
        sp::BidiReply reply;
        int asked;
        std::u16string cells;
    } cases[] = {{sp::AnswerWith(sp::RibbonStatus(1, 12)), 1, u"12 mm | BNZ"},
                 {sp::AnswerWith(sp::RibbonStatus(0, 24)), 1, u"24 mm | BZ"},
                 {sp::AnswerWith(sp::RibbonStatus(2, 18)), 1, u"18 mm | BZ"},
                 {sp::AnswerWith(sp::RibbonStatus(0xFF, 255)), 1, u"255 mm | BZ"},
                 {sp::AnswerWith(sp::RibbonStatus(1, 0)), 1, u"0 mm | BNZ"},
                 {sp::AnswerWith(shortBlock), 2, none},
                 {sp::AnswerWith(longBlock), 2, none},
                 {sp::AnswerWith(wrongHeader), 2, none},
                 {sp::AnswerWith({}), 2, none},
                 {failing, 2, none}};
    std::map<std::u16string, int> asked;
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::u16string name = u"Falcon " + std::u16string(1, char16_t(u'A' + i));
        AddPrinter(name, u"FalconBT");
        ASSERT_TRUE(sp::SetBidiReply(name, cases[i].reply));
        AddRow(name, u"old", -1, u"old");
        asked[name] = cases[i].asked;
    }
    standin::FailNext("SendRecv", 1, 21);  // ERROR_NOT_READY
    EXPECT_EQ(Run(), 0);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Cells(int(i)), u"Falcon " + std::u16string(1, char16_t(u'A' + i)) + u" | " + cases[i].cells);
    EXPECT_EQ(Asked(), asked);
}

// Ports slower than the bidi timeout ahead of one that answers: within the
// sheet's bound for the query every row is asked. Ended early by the guard,
// the worker (on its own copy of the query) stops before its next printer.
TEST_F(RibbonQueryTest, SlowPortsHoldNoRowBackAndAnEarlyEndStopsTheWorker)
{
    sp::SetBidiTimeout(150);
    const char16_t *slow[] = {u"FalconBT (silent)", u"Slow A", u"Slow B"};
    for (const char16_t *name : slow) {
        if (name[0] == u'S')
            AddPrinter(name, u"FalconBT");
        ASSERT_TRUE(sp::SetBidiReply(name, sp::AnswerWith(sp::RibbonStatus(1, 24), 60000)));
        AddRow(name, u"old", -1, u"old");
    }
    AddRow(u"FalconBT (12 mm)", u"old", -1, u"old");
    for (bool bounded : {false, true}) {
        SCOPED_TRACE(bounded ? "within the query's bound" : "ended by the guard");
        ui::ResetAutomation();
        ui::SetStallTimeout(bounded ? 100 : 20);
        if (bounded)
            host::GuardRibbonQuery();
        sp::ClearBidiExchanges();
        INT_PTR result = [this] {
            RIBBONQUERY local = {owner, IDC_DISTRIBUTED_LIST, nullptr};
            return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_QUERY), owner, GetRibbonDataProc,
                                   reinterpret_cast<LPARAM>(&local));
        }();
        for (int wait = 0; wait < 500 && standin::RunningThreads() > 0; ++wait) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(10);
        }
        ASSERT_EQ(standin::RunningThreads(), 0) << "the worker ended";
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(Cells(row),
                      slow[row] + (bounded ? u" | " + kNoAnswer + u" (img 0) | " + kNoAnswer : u" | old | old"))
                << "the answer came after the dialog went";
        EXPECT_EQ(Cells(3), bounded ? u"FalconBT (12 mm) | 12 mm | BZ" : u"FalconBT (12 mm) | old | old");
        if (bounded) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(Asked(), (std::map<std::u16string, int>{
                                   {slow[0], 2}, {slow[1], 2}, {slow[2], 2}, {u"FalconBT (12 mm)", 1}}));
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(ui::Stalls(), std::vector<int>{IDD_RIBBON_QUERY});
            EXPECT_EQ(Asked(), (std::map<std::u16string, int>{{slow[0], 2}})) << "no printer after the first";
        }
    }
    ui::ResetAutomation();
}

TEST_F(RibbonQueryTest, AnEmptyListEndsAtOnceRowsThatCannotBeOpenedKeepTheirCellsAndStillStep)
{
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(gWatch.high, 0);
    EXPECT_NE(query.Progress, nullptr) << "the dialog names itself in the query";
    EXPECT_TRUE(sp::BidiExchanges().empty());

    AddRow(u"No Such Printer", u"old", -1, u"old");
    AddRow(u"FalconBT");
    AddRow(u"FalconBT (2)", u"old", -1, u"old");
    // The third row's fetch fails: the second row's size query and fetch,
    // then the third's size query come first.
    standin::FailNext("GetPrinterW", 1, ERROR_NOT_ENOUGH_MEMORY, 3);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Cells(0), u"No Such Printer | old | old");
    EXPECT_EQ(Cells(1), u"FalconBT | 24 mm | BNZ");
    EXPECT_EQ(Cells(2), u"FalconBT (2) | old | old");
    EXPECT_EQ(gWatch.steps.size(), 3u);
    EXPECT_EQ(Asked(), (std::map<std::u16string, int>{{u"FalconBT", 1}}));
}

// ---- BidiCmdtoPrinter on its own -------------------------------------------

DWORD Send(const char16_t *printer, BYTE **reply)
{
    return BidiCmdtoPrinter(printer, kRibbonCommand.data(), DWORD(kRibbonCommand.size()), reply);
}

// The reply in the process heap (any length and its use are the ribbon
// query's to show); a caller's single-threaded apartment is kept.
TEST_F(RibbonQueryTest, BidiARibbonReplyIsCopiedToTheProcessHeap)
{
    BYTE *reply = nullptr;
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_EQ(Send(u"FalconBT", &reply), 16u);
    EXPECT_EQ(standin::ComInitCount(), 1);
    CoUninitialize();
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, reply), 16u);
    EXPECT_EQ(std::vector<BYTE>(reply, reply + 16), sp::RibbonStatus(1, 24));
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, reply));
}

// No answer, an empty one, a printer that cannot be bound or none named: no
// reply, and the out pointer left alone; without one the call is refused.
TEST_F(RibbonQueryTest, BidiWithoutAReplyTheOutPointerIsLeftAlone)
{
    ASSERT_TRUE(sp::SetBidiReply(u"FalconBT (2)", sp::AnswerWith({})));
    for (const char16_t *printer : {u"FalconBT (silent)", u"FalconBT (2)", u"No Such Printer", u""}) {
        BYTE sentinel = 0;
        BYTE *reply = &sentinel;
        EXPECT_EQ(Send(*printer != 0 ? printer : nullptr, &reply), 0u) << host::Utf8(printer);
        EXPECT_EQ(reply, &sentinel) << host::Utf8(printer);
    }
    EXPECT_EQ(standin::ComInitCount(), 0);
    EXPECT_EQ(Send(u"FalconBT", nullptr), 0u);
}

// The bidi classes as a log of what is done to them: which access the
// binding asks for and the order things are let go.
std::vector<std::string> gBidiLog;

template <typename I>
struct Logged : TestObject<I> {
    Logged(const IID &iid, const char *name) : TestObject<I>(iid), name(name) {}
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = TestObject<I>::Release();
        if (left == 0)
            gBidiLog.push_back(std::string("release ") + name);
        return left;
    }
    const char *name;
};

struct LoggedSpl : Logged<IBidiSpl> {
    LoggedSpl() : Logged(IID_IBidiSpl, "spooler object") {}
    STDMETHODIMP BindDevice(LPCWSTR, DWORD access) override
    {
        gBidiLog.push_back("bind, access " + std::to_string(access));
        return S_OK;
    }
    STDMETHODIMP UnbindDevice() override
    {
        gBidiLog.push_back("unbind");
        return S_OK;
    }
    STDMETHODIMP SendRecv(LPCWSTR, IBidiRequest *) override { return S_OK; }
    STDMETHODIMP MultiSendRecv(LPCWSTR, IBidiRequestContainer *) override { return E_NOTIMPL; }
} gSpl;

struct LoggedRequest : Logged<IBidiRequest> {
    LoggedRequest() : Logged(IID_IBidiRequest, "request") {}
    STDMETHODIMP SetSchema(LPCWSTR) override { return S_OK; }
    STDMETHODIMP SetInputData(DWORD, const BYTE *, UINT) override { return S_OK; }
    STDMETHODIMP GetResult(HRESULT *) override { return S_OK; }
    STDMETHODIMP GetOutputData(DWORD, LPWSTR *, DWORD *, BYTE **, ULONG *) override { return E_INVALIDARG; }
    STDMETHODIMP GetEnumCount(DWORD *) override { return E_NOTIMPL; }
} gRequest;

TEST_F(RibbonQueryTest, BidiTheBindingAsksForUserAccessAndIsUndoneBeforeTheObjectsGo)
{
    standin::RegisterClass(CLSID_BidiSpl, [](REFIID riid, void **ppv) { return gSpl.QueryInterface(riid, ppv); });
    standin::RegisterClass(CLSID_BidiRequest,
                           [](REFIID riid, void **ppv) { return gRequest.QueryInterface(riid, ppv); });
    gSpl.refs = gRequest.refs = 0;
    BYTE *reply = nullptr;
    EXPECT_EQ(Send(u"FalconBT", &reply), 0u);
    standin::RegisterBidiClasses();
    // BIDI_ACCESS_USER is 2 (BIDI_ACCESS_ADMINISTRATOR 1).
    EXPECT_EQ(gBidiLog,
              (std::vector<std::string>{"bind, access 2", "unbind", "release spooler object", "release request"}));
}

}  // namespace
