// Dialogs from the project's templates in several languages, dialog-unit
// geometry, DWLP_MSGRESULT, modal loops with scripts, a worker thread
// talking to a modal dialog, the stall guard, message boxes and faults.
#include "platform/linux/user/tests/fixture.h"

#include <atomic>
#include <chrono>
#include <map>

namespace usertest {
namespace {

using standin::ui::Click;
using standin::ui::Describe;
using standin::ui::OnDialog;
using standin::ui::Type;

// The controls of a DLGTEMPLATEEX resource, as the test reads them itself.
struct TemplateItem {
    DWORD style;
    int x, y, cx, cy, id, classOrdinal, titleOrdinal;
};

std::vector<TemplateItem> ReadItems(int templateId, WORD language, bool *present)
{
    HRSRC found = FindResourceExW(Module(), RT_DIALOG, MAKEINTRESOURCEW(templateId), language);
    *present = found != nullptr;
    if (!found)
        return {};
    auto *p = static_cast<const BYTE *>(LockResource(LoadResource(Module(), found)));
    size_t pos = 0;
    auto u16 = [&] {
        WORD v = WORD(p[pos] | p[pos + 1] << 8);
        pos += 2;
        return v;
    };
    auto u32 = [&] {
        DWORD lo = u16();
        return lo | DWORD(u16()) << 16;
    };
    // A sz_Or_Ord: the ordinal, or -1 past a string.
    auto skip = [&] {
        if (p[pos] == 0xFF && p[pos + 1] == 0xFF) {
            pos += 2;
            return int(u16());
        }
        while (u16() != 0) {
        }
        return -1;
    };
    pos = 12;  // version, signature, help id, extended style
    DWORD style = u32();
    int count = u16();
    pos += 8;                // x, y, cx, cy
    skip(), skip(), skip();  // menu, class, title
    if (style & DS_SETFONT) {
        pos += 6;  // point size, weight, italic, charset
        skip();
    }
    std::vector<TemplateItem> items;
    for (int i = 0; i < count; ++i) {
        pos = (pos + 3) & ~size_t(3);
        TemplateItem it{};
        pos += 8;  // help id, extended style
        it.style = u32();
        it.x = short(u16()), it.y = short(u16()), it.cx = short(u16()), it.cy = short(u16());
        it.id = int(u32());
        it.classOrdinal = skip();
        it.titleOrdinal = skip();
        pos += u16();  // creation data
        items.push_back(it);
    }
    return items;
}

class DialogTest : public UserTest {
protected:
    // A popup for the pages to live in, as the host's sheet is.
    HWND Sheet()
    {
        sheetTemplate_ = std::make_unique<Template>(WS_POPUP | WS_CAPTION, 400, 320);
        return Make(*sheetTemplate_);
    }
    std::unique_ptr<Template> sheetTemplate_;
};

const int kTemplates[] = {IDD_ABOUT,         IDD_PAPER_STOCK,          IDD_PAGE_SETUP,   IDD_GRAPHICS,    IDD_OTHER,
                          IDD_PAGE_SETUP_EX, IDD_DISTRIBUTED_PRINTING, IDD_RIBBON_WIDTH, IDD_RIBBON_QUERY};

TEST_F(DialogTest, EveryTemplateBuildsInSeveralLanguagesWithCoherentGeometry)
{
    // Base units: every template is in the shell font, MS Shell Dlg 8, in
    // the CJK languages as in the Latin ones.
    const std::pair<WORD, std::pair<int, int>> languages[] = {
        {0x0409, {6, 13}}, {0x0407, {6, 13}}, {0x0804, {6, 13}}, {0x0411, {6, 13}}};
    const std::map<std::pair<int, int>, int> pictures = {{{IDD_PAGE_SETUP, IDC_DIRECTION_PICTURE}, IDB_LANDSCAPE},
                                                         {{IDD_PAGE_SETUP, IDC_OPTION_PICTURE}, IDB_OPTION_NONE},
                                                         {{IDD_PAGE_SETUP_EX, IDC_DIRECTION_PICTURE}, IDB_PORTRAIT},
                                                         {{IDD_PAGE_SETUP_EX, IDC_OPTION_PICTURE}, IDB_OPTION_HALFCUT},
                                                         {{IDD_GRAPHICS, IDC_SAMPLE_PICTURE}, IDB_SAMPLE_ORIGINAL},
                                                         {{IDD_GRAPHICS, IDC_EFFECT_PICTURE}, IDB_EFFECT_SAMPLE},
                                                         {{IDD_GRAPHICS, IDC_RENDERING_PICTURE}, 0}};
    int built = 0;
    HWND sheet = Sheet();
    for (auto &[language, units] : languages) {
        SetThreadUILanguage(language);
        for (int id : kTemplates) {
            bool present;
            std::vector<TemplateItem> items = ReadItems(id, language, &present);
            if (!present)
                continue;
            SCOPED_TRACE("template " + std::to_string(id) + " language " + std::to_string(language));
            HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), sheet, RecordingProc, 0);
            ASSERT_NE(dlg, nullptr) << GetLastError();
            ++built;
            EXPECT_EQ(standin::ui::TemplateId(dlg), id);
            RECT unit{0, 0, 4, 8};
            MapDialogRect(dlg, &unit);
            EXPECT_EQ(unit.right, units.first);
            EXPECT_EQ(unit.bottom, units.second);
            std::vector<HWND> controls;
            for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                controls.push_back(c);
            ASSERT_EQ(controls.size(), items.size());
            for (size_t i = 0; i < items.size(); ++i) {
                const TemplateItem &it = items[i];
                HWND c = controls[i];
                EXPECT_EQ(GetDlgCtrlID(c), it.id);
                EXPECT_EQ(bool(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE), bool(it.style & WS_VISIBLE));
                RECT want{it.x, it.y, it.cx, it.cy};
                MapDialogRect(dlg, &want);
                RECT got;
                GetWindowRect(c, &got);
                MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&got), 2);
                WCHAR cls[32];
                GetClassNameW(c, cls, 32);
                bool picture = std::u16string(cls) == u"Static" && (it.style & SS_TYPEMASK) == SS_BITMAP;
                bool combo = std::u16string(cls) == u"ComboBox", spin = std::u16string(cls) == UPDOWN_CLASSW;
                bool buddy = i + 1 < items.size() && (items[i + 1].style & UDS_ALIGNRIGHT) &&
                             (GetWindowLongW(controls[i + 1], GWL_STYLE) & UDS_AUTOBUDDY);
                if (!spin) {
                    EXPECT_EQ(got.left, want.left) << it.id;
                    EXPECT_EQ(got.top, want.top) << it.id;
                }
                if (!picture && !spin && !buddy) {
                    EXPECT_EQ(got.right - got.left, want.right) << it.id;
                }
                if (!picture && !combo && !spin) {
                    EXPECT_EQ(got.bottom - got.top, want.bottom) << it.id;
                }
                auto pic = pictures.find({id, it.id});
                if (picture && pic != pictures.end()) {
                    auto image = reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
                    EXPECT_EQ(image ? standin::ui::BitmapResourceId(image) : 0, pic->second) << it.id;
                }
            }
            EXPECT_FALSE(Describe(dlg).empty());
            DestroyWindow(dlg);
        }
    }
    EXPECT_EQ(built, 4 * 7 + 2) << "seven templates in every language, two more in Simplified Chinese";
    DestroyWindow(sheet);
}

TEST_F(DialogTest, APageMovesAControlWhereAnotherWasAsThePageSetupPageDoes)
{
    HWND sheet = Sheet();
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_PAGE_SETUP), sheet, RecordingProc, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(GetWindowLongW(page, GWL_STYLE) & WS_CAPTION) << "a DS_CONTROL page has no caption";
    RECT autoCut, pageRect, mirror;
    GetWindowRect(Item(page, IDC_AUTO_CUT), &autoCut);
    GetWindowRect(page, &pageRect);
    ShowWindow(Item(page, IDC_AUTO_CUT), SW_HIDE);
    ASSERT_TRUE(SetWindowPos(Item(page, IDC_MIRROR), nullptr, autoCut.left - pageRect.left, autoCut.top - pageRect.top,
                             0, 0, SWP_NOSIZE | SWP_SHOWWINDOW));
    GetWindowRect(Item(page, IDC_MIRROR), &mirror);
    EXPECT_EQ(mirror.left, autoCut.left);
    EXPECT_EQ(mirror.top, autoCut.top);
    std::string text = Describe(page);
    EXPECT_NE(text.find("dialog 110 \"Page Setup\""), std::string::npos) << text;
    EXPECT_NE(text.find("1041 check [ ] \"Auto Cut\" hidden"), std::string::npos) << text;
    EXPECT_NE(text.find("1073 picture bitmap 196"), std::string::npos) << text;
    EXPECT_NE(text.find("1071 radio ( ) \"Portrait\""), std::string::npos) << text;
    DestroyWindow(sheet);
}

TEST_F(DialogTest, NotificationResultsGoThroughDwlpMsgResult)
{
    HWND sheet = Sheet();
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.lParam = 1234;
    LPARAM given = 0;
    Rec().handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            given = reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam;
            SetWindowLongPtrW(h, DWLP_USER, given);
        }
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == PSN_APPLY) {
            SetWindowLongPtrW(h, DWLP_MSGRESULT, PSNRET_INVALID);
            return TRUE;
        }
        return FALSE;
    };
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_OTHER), sheet, RecordingProc, LPARAM(&psp));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(given, 1234);
    EXPECT_EQ(GetWindowLongPtrW(page, DWLP_USER), 1234);
    PSHNOTIFY apply{};
    apply.hdr = NMHDR{sheet, 0, PSN_APPLY};
    EXPECT_EQ(SendMessageW(page, WM_NOTIFY, 0, LPARAM(&apply)), PSNRET_INVALID);
    EXPECT_EQ(GetWindowLongPtrW(page, DWLP_MSGRESULT), PSNRET_INVALID);
    PSHNOTIFY active{};
    active.hdr = NMHDR{sheet, 0, PSN_SETACTIVE};
    EXPECT_EQ(SendMessageW(page, WM_NOTIFY, 0, LPARAM(&active)), 0);
    EXPECT_EQ(GetWindowLongPtrW(page, DWLP_MSGRESULT), 0) << "reset before each message";
    DestroyWindow(sheet);
}

TEST_F(DialogTest, AScriptPlaysTheUserOfAModalDialogWhileItsOwnerIsDisabled)
{
    HWND sheet = Sheet();
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_PAGE_SETUP), sheet, RecordingProc, 0);
    ShowWindow(page, SW_SHOW);
    std::u16string typed;
    OnDialog(IDD_PAPER_STOCK, [&](HWND dlg) {
        EXPECT_FALSE(IsWindowEnabled(sheet)) << "the owner is disabled";
        EXPECT_FALSE(Click(page, IDC_CHAIN)) << "the page under a modal dialog takes no clicks";
        EXPECT_EQ(GetParent(dlg), sheet) << "owned by the top-level window";
        EXPECT_TRUE(Type(dlg, IDC_STOCK_LENGTH, u"12.50"));
        typed = standin::ui::Text(GetDlgItem(dlg, IDC_STOCK_LENGTH));
        EXPECT_TRUE(Click(dlg, IDC_STOCK_OK));
    });
    Rec().handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND && LOWORD(wParam) == IDC_STOCK_OK && standin::ui::TemplateId(h) == IDD_PAPER_STOCK) {
            EndDialog(h, 1);
            return TRUE;
        }
        return FALSE;
    };
    long windows = standin::ui::WindowCount();
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PAPER_STOCK), page, RecordingProc, 0), 1);
    EXPECT_EQ(typed, u"12.50");
    EXPECT_TRUE(IsWindowEnabled(sheet)) << "enabled again";
    EXPECT_EQ(standin::ui::WindowCount(), windows) << "the dialog is destroyed";
    EXPECT_TRUE(standin::ui::Stalls().empty());

    // Without a script the guard sends IDCANCEL after the stall period.
    standin::ui::SetStallTimeout(20);
    Rec().handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
            EndDialog(h, 0);
        return FALSE;
    };
    ClearEvents();
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PAPER_STOCK), page, RecordingProc, 0), 0);
    ASSERT_FALSE(Events(WM_COMMAND).empty());
    EXPECT_EQ(Events(WM_COMMAND).back().id, IDCANCEL);
    EXPECT_TRUE(standin::ui::Stalls().empty()) << "it ended on IDCANCEL";
    DestroyWindow(sheet);
}

TEST_F(DialogTest, ADialogThatIgnoresCancelIsEndedAndRecorded)
{
    standin::ui::SetStallTimeout(20);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_RIBBON_QUERY), nullptr, RecordingProc, 0), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(standin::ui::Stalls(), std::vector<int>{IDD_RIBBON_QUERY});
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<UINT>{BN_CLICKED})) << "IDCANCEL once";
}

struct Query {
    HWND owner;
    int listId;
    HWND progress;
    std::u16string readBack;
};

DWORD WINAPI RibbonWorker(LPVOID p)
{
    auto *q = static_cast<Query *>(p);
    HWND list = GetDlgItem(q->owner, q->listId);
    HWND bar = GetDlgItem(q->progress, IDC_RIBBON_PROGRESS);
    int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; ++r) {
        ListView_SetItemText(list, r, 3, u"24 mm");
        WCHAR text[16];
        ListView_GetItemText(list, r, 3, text, 16);
        q->readBack = text;
        SendMessageW(bar, PBM_STEPIT, 0, 0);
    }
    SendMessageW(q->owner, WM_APP, 0, 0);
    EndDialog(q->progress, 0);  // from the worker's thread
    return 0;
}

TEST_F(DialogTest, AWorkerTalksToAListUnderAModalDialogAndEndsIt)
{
    HWND distributed =
        CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), nullptr, RecordingProc, 0);
    ASSERT_NE(distributed, nullptr);
    HWND list = GetDlgItem(distributed, IDC_DISTRIBUTED_LIST);
    for (int c = 0; c < 7; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = 100;
        col.iSubItem = c;
        ListView_InsertColumn(list, c, &col);
    }
    for (int r = 0; r < 2; ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<LPWSTR>(u"");
        ListView_InsertItem(list, &item);
    }
    Query query{distributed, IDC_DISTRIBUTED_LIST, nullptr, {}};
    HANDLE worker = nullptr;
    int range = -1;
    Rec().handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_INITDIALOG && standin::ui::TemplateId(h) == IDD_RIBBON_QUERY) {
            auto *q = reinterpret_cast<Query *>(lParam);
            q->progress = h;
            SendDlgItemMessageW(h, IDC_RIBBON_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 20));
            worker = CreateThread(nullptr, 16384, RibbonWorker, q, 0, nullptr);
            EXPECT_FALSE(IsWindowEnabled(distributed));
        }
        if (msg == WM_APP)
            return TRUE;
        if (msg == WM_COMMAND)
            return TRUE;  // the progress dialog cannot be closed by the user
        if (msg == WM_DESTROY && standin::ui::TemplateId(h) == IDD_RIBBON_QUERY)
            range = int(SendDlgItemMessageW(h, IDC_RIBBON_PROGRESS, PBM_GETPOS, 0, 0));
        return FALSE;
    };
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_RIBBON_QUERY), distributed, RecordingProc, LPARAM(&query)),
              0);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), DWORD(WAIT_OBJECT_0));
    CloseHandle(worker);
    EXPECT_EQ(query.readBack, u"24 mm");
    WCHAR text[16];
    ListView_GetItemText(list, 1, 3, text, 16);
    EXPECT_EQ(std::u16string(text), u"24 mm");
    EXPECT_EQ(range, 20) << "two steps of 10";
    std::vector<Event> app = Events(WM_APP);
    ASSERT_EQ(app.size(), 1u);
    EXPECT_EQ(app[0].thread, GetCurrentThreadId()) << "handled on the dialog's thread";
    EXPECT_TRUE(IsWindowEnabled(distributed));
    EXPECT_TRUE(standin::ui::Stalls().empty());
    DestroyWindow(distributed);
}

TEST_F(DialogTest, MessageBoxesAreRecordedAndAnswered)
{
    EXPECT_EQ(MessageBoxW(nullptr, u"Are you sure to delete this form?", u"50 x 70mm", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, u"b", nullptr, MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    standin::ui::AnswerMessageBox(IDCANCEL);
    standin::ui::AnswerMessageBox(IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"c", u"", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Printable Height: 10.00~1000.00 mm", "", MB_OK), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"e", u"", MB_OK | MB_DEFBUTTON2), IDOK) << "no second button";
    auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].caption, u"50 x 70mm");
    EXPECT_EQ(boxes[0].type, UINT(MB_OKCANCEL));
    EXPECT_EQ(boxes[1].caption, u"Error") << "the platform's caption for none";
    EXPECT_EQ(boxes[2].answer, IDCANCEL);
    EXPECT_EQ(boxes[3].text, u"Printable Height: 10.00~1000.00 mm");
    EXPECT_EQ(boxes[3].owner, nullptr);
    // The owner is recorded as the caller gave it.
    HWND sheet = Sheet();
    EXPECT_EQ(MessageBoxA(sheet, "owned", "", MB_OK), IDOK);
    boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[5].owner, sheet);
    EXPECT_TRUE(IsWindowEnabled(sheet)) << "enabled again once the box is gone";
    DestroyWindow(sheet);
    standin::FailNext("MessageBoxW");
    EXPECT_EQ(MessageBoxW(nullptr, u"f", u"", MB_OK), 0);
    EXPECT_EQ(standin::ui::MessageBoxes().size(), 6u);
    standin::ui::ResetAutomation();
    EXPECT_TRUE(standin::ui::MessageBoxes().empty());
}

TEST_F(DialogTest, FaultsAndMissingTemplatesFailAsThePlatformDoes)
{
    HWND sheet = Sheet();
    standin::FailNext("CreateDialogParamW", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_RESULT_AND_ERROR(CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_OTHER), sheet, RecordingProc, 0), nullptr,
                            ERROR_NOT_ENOUGH_MEMORY);
    standin::FailNext("DialogBoxParamW", 1, ERROR_OUTOFMEMORY);
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PAPER_STOCK), sheet, RecordingProc, 0), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_OUTOFMEMORY));
    standin::FailNext("CreateWindowExW", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_RESULT_AND_ERROR(
        CreateWindowExW(0, WC_BUTTONW, u"x", WS_CHILD, 0, 0, 10, 10, sheet, nullptr, nullptr, nullptr), nullptr,
        ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_RESULT_AND_ERROR(CreateDialogParamW(Module(), MAKEINTRESOURCEW(999), sheet, RecordingProc, 0), nullptr,
                            ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(999), sheet, RecordingProc, 0), -1);
    HWND stale = Sheet();
    DestroyWindow(stale);
    EXPECT_RESULT_AND_ERROR(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PAPER_STOCK), stale, RecordingProc, 0), 0,
                            ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(IsWindowEnabled(sheet));
    DestroyWindow(sheet);
}

TEST_F(DialogTest, PlainDialogTemplatesAreReadToo)
{
    // A DLGTEMPLATE (no DIALOGEX): style first, WORD ids, no font weight.
    std::vector<WORD> w;
    auto dword = [&](DWORD v) { w.push_back(WORD(v)), w.push_back(WORD(v >> 16)); };
    auto text = [&](const char16_t *s) {
        for (; *s; ++s)
            w.push_back(*s);
        w.push_back(0);
    };
    dword(WS_POPUP | DS_SETFONT), dword(0);
    w.insert(w.end(), {1, 0, 0, 100, 50});  // one item, x, y, cx, cy
    w.insert(w.end(), {0, 0});              // no menu, the dialog class
    text(u"Plain");
    w.push_back(9);
    text(u"Segoe UI");
    if (w.size() % 2)
        w.push_back(0);
    dword(BS_AUTOCHECKBOX | WS_CHILD | WS_VISIBLE), dword(0);
    w.insert(w.end(), {10, 10, 60, 10, 1085, 0xFFFF, 0x0080});
    text(u"Half Cut");
    w.push_back(0);  // no creation data
    HWND dlg = CreateDialogIndirectParamW(Module(), reinterpret_cast<const DLGTEMPLATE *>(w.data()), nullptr,
                                          RecordingProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(standin::ui::Text(dlg), u"Plain");
    EXPECT_EQ(standin::ui::TemplateId(dlg), -1);
    EXPECT_NE(Describe(dlg).find("1085 check [ ] \"Half Cut\""), std::string::npos) << Describe(dlg);
    RECT unit{0, 0, 4, 8};
    MapDialogRect(dlg, &unit);
    EXPECT_EQ(unit.right, 7) << "Segoe UI 9";
    EXPECT_EQ(unit.bottom, 15);
    DestroyWindow(dlg);
}

TEST_F(DialogTest, EndDialogHidesAModelessDialogAndCloseMeansCancel)
{
    Template t(WS_POPUP | WS_VISIBLE);
    t.Add(kButton, nullptr, BS_PUSHBUTTON, IDCANCEL, u"Cancel", 10, 10, 50, 14);
    HWND dlg = Make(t);
    EXPECT_TRUE(IsWindowVisible(dlg));
    ClearEvents();
    SendMessageW(dlg, WM_CLOSE, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(dlg, &m))
            DispatchMessageW(&m);
    ASSERT_EQ(Events(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Events(WM_COMMAND)[0].id, IDCANCEL);
    EXPECT_TRUE(EndDialog(dlg, 3));
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_TRUE(IsWindow(dlg)) << "a modeless dialog is only hidden";
    HWND plain = CreateWindowExW(0, WC_BUTTONW, u"", WS_CHILD, 0, 0, 1, 1, dlg, nullptr, nullptr, nullptr);
    EXPECT_FAILS_WITH(EndDialog(plain, 1), ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(dlg);
}

}  // namespace
}  // namespace usertest
