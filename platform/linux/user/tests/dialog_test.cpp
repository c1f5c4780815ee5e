// Dialogs from the project's templates in several languages, dialog-unit
// geometry, DWLP_MSGRESULT, modal loops with scripts, the stall guard,
// message boxes and faults.
#include "platform/linux/user/tests/fixture.h"

#include <chrono>
#include <map>

namespace usertest {
namespace {

using standin::ui::Click;
using standin::ui::OnDialog;
using standin::ui::Type;

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

// What the templates hold is read in tests/resources; here, that each one
// builds as many visible controls as it lists, in the shell font's base
// units, with the pictures it names loaded.
TEST_F(DialogTest, EveryTemplateBuildsInSeveralLanguages)
{
    const std::map<std::pair<int, int>, int> pictures = {{{IDD_PAGE_SETUP, IDC_DIRECTION_PICTURE}, IDB_LANDSCAPE},
                                                         {{IDD_PAGE_SETUP, IDC_OPTION_PICTURE}, IDB_OPTION_NONE},
                                                         {{IDD_PAGE_SETUP_EX, IDC_DIRECTION_PICTURE}, IDB_PORTRAIT},
                                                         {{IDD_PAGE_SETUP_EX, IDC_OPTION_PICTURE}, IDB_OPTION_HALFCUT},
                                                         {{IDD_GRAPHICS, IDC_SAMPLE_PICTURE}, IDB_SAMPLE_ORIGINAL},
                                                         {{IDD_GRAPHICS, IDC_EFFECT_PICTURE}, IDB_EFFECT_SAMPLE}};
    int built = 0;
    HWND sheet = Sheet();
    for (WORD language : {0x0409, 0x0407, 0x0804, 0x0411}) {
        SetThreadUILanguage(language);
        for (int id : kTemplates) {
            HRSRC found = FindResourceExW(Module(), RT_DIALOG, MAKEINTRESOURCEW(id), language);
            if (!found)
                continue;
            SCOPED_TRACE("template " + std::to_string(id) + " language " + std::to_string(language));
            auto *bytes = static_cast<const BYTE *>(LockResource(LoadResource(Module(), found)));
            size_t listed = bytes[16] | bytes[17] << 8;  // DLGTEMPLATEEX cDlgItems
            HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), sheet, RecordingProc, 0);
            ASSERT_NE(dlg, nullptr) << GetLastError();
            ++built;
            EXPECT_EQ(standin::ui::TemplateId(dlg), id);
            RECT unit{0, 0, 4, 8};
            MapDialogRect(dlg, &unit);
            EXPECT_EQ(unit.right, 6);
            EXPECT_EQ(unit.bottom, 13);
            size_t controls = 0;
            for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++controls) {
                EXPECT_TRUE(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) << GetDlgCtrlID(c);
                auto pic = pictures.find({id, GetDlgCtrlID(c)});
                if (pic != pictures.end()) {
                    auto image = reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
                    EXPECT_EQ(image ? standin::ui::BitmapResourceId(image) : 0, pic->second) << pic->first.second;
                }
            }
            EXPECT_EQ(controls, listed);
            DestroyWindow(dlg);
        }
    }
    EXPECT_EQ(built, 4 * 7 + 2) << "seven templates in every language, two more in Simplified Chinese";
    DestroyWindow(sheet);
}

// Controls sit where their dialog units map to, in the dialog's client area.
TEST_F(DialogTest, ControlsArePlacedInDialogUnits)
{
    Template t(WS_POPUP | WS_CAPTION);
    t.Add(kEdit, nullptr, ES_AUTOHSCROLL, 20, u"", 10, 12, 60, 14);
    t.Add(kStatic, nullptr, SS_LEFT, 21, u"text", 7, 30, 33, 9);
    HWND dlg = Make(t);
    for (int id : {20, 21}) {
        RECT want = id == 20 ? RECT{10, 12, 60, 14} : RECT{7, 30, 33, 9}, got;
        MapDialogRect(dlg, &want);
        GetWindowRect(Item(dlg, id), &got);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&got), 2);
        EXPECT_EQ(got.left, want.left) << id;
        EXPECT_EQ(got.top, want.top) << id;
        EXPECT_EQ(got.right - got.left, want.right) << id;
        EXPECT_EQ(got.bottom - got.top, want.bottom) << id;
    }
    DestroyWindow(dlg);
}

TEST_F(DialogTest, NotificationResultsGoThroughDwlpMsgResult)
{
    HWND sheet = Sheet();
    Rec().handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == PSN_APPLY) {
            SetWindowLongPtrW(h, DWLP_MSGRESULT, PSNRET_INVALID);
            return TRUE;
        }
        return FALSE;
    };
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_OTHER), sheet, RecordingProc, 0);
    ASSERT_NE(page, nullptr);
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

// A box takes the answer queued for it, else its default button; the owner
// is the caller's, disabled while the box is up.
TEST_F(DialogTest, MessageBoxesAreRecordedAndAnswered)
{
    HWND sheet = Sheet();
    standin::ui::AnswerMessageBox(IDCANCEL);
    const struct {
        HWND owner;
        const char16_t *caption;
        UINT type;
        int answer;
    } rows[] = {{nullptr, u"queued", MB_OKCANCEL, IDCANCEL},
                {nullptr, u"50 x 70mm", MB_OKCANCEL, IDOK},
                {sheet, u"", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, IDNO},
                {sheet, nullptr, MB_OK | MB_DEFBUTTON2, IDOK}};
    for (const auto &row : rows)
        EXPECT_EQ(MessageBoxW(row.owner, u"text", row.caption, row.type), row.answer) << row.type;
    auto boxes = standin::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes[i].owner, rows[i].owner) << i;
        EXPECT_EQ(boxes[i].type, rows[i].type) << i;
        EXPECT_EQ(boxes[i].answer, rows[i].answer) << i;
    }
    EXPECT_EQ(boxes[1].caption, u"50 x 70mm");
    EXPECT_EQ(boxes[3].caption, u"Error") << "the platform's caption for none";
    EXPECT_TRUE(IsWindowEnabled(sheet)) << "enabled again once the box is gone";
    DestroyWindow(sheet);
    standin::FailNext("MessageBoxW");
    EXPECT_EQ(MessageBoxW(nullptr, u"f", u"", MB_OK), 0);
    EXPECT_EQ(standin::ui::MessageBoxes().size(), 4u);
}

TEST_F(DialogTest, FaultsFailAsThePlatformDoes)
{
    HWND sheet = Sheet();
    standin::FailNext("CreateDialogParamW", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_RESULT_AND_ERROR(CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_OTHER), sheet, RecordingProc, 0), nullptr,
                            ERROR_NOT_ENOUGH_MEMORY);
    standin::FailNext("DialogBoxParamW", 1, ERROR_OUTOFMEMORY);
    EXPECT_RESULT_AND_ERROR(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PAPER_STOCK), sheet, RecordingProc, 0), -1,
                            ERROR_OUTOFMEMORY);
    EXPECT_TRUE(IsWindowEnabled(sheet));
    DestroyWindow(sheet);
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
    DestroyWindow(dlg);
}

}  // namespace
}  // namespace usertest
