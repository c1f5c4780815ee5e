// The Page Setup page, on the windows the host's sheet makes from its
// template, over the sample print server.
#include "host/text.h"
#include "resources/resource.h"
#include "src/pages/pagesetup.h"
#include "src/settings/settings.h"
#include "tests/support/sheet.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

class PageSetupTest : public SheetTest {
protected:
    HWND OpenPage(const std::u16string &printer) { return SheetTest::OpenPage(printer, IDD_PAGE_SETUP); }
    static LRESULT SelectedIndex(HWND page) { return SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0); }
    static LRESULT Count(HWND page) { return SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_GETCOUNT, 0, 0); }
    static std::u16string Entry(HWND page, LRESULT index)
    {
        WCHAR text[260] = {};
        SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_GETLBTEXT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(text));
        return text;
    }
    // The paper shown, and whether Edit and Delete take it (a user form only).
    static void ExpectPaper(HWND page, const std::u16string &paper, bool userForm)
    {
        EXPECT_EQ(Selected(page), paper);
        EXPECT_EQ(Enabled(page, IDC_PAPER_EDIT), userForm) << Utf8(paper);
        EXPECT_EQ(Enabled(page, IDC_PAPER_DELETE), userForm) << Utf8(paper);
    }
};

// The page opens on the printer's default paper in the list's sorted order;
// a paper number the driver does not name falls back to "50 x 70mm" (which
// every model offers) or, without it, to nothing, not even a paper whose
// name differs only in case. Only a pick names the current paper.
TEST_F(PageSetupTest, OpensOnTheDefaultPaperAndOnlyUserFormsCanBeChanged)
{
    HWND page = OpenPage(u"KestrelBT");
    ExpectPaper(page, u"12 x 40mm", true);
    EXPECT_EQ(Count(page), static_cast<LRESULT>(sheet->Papers().size()));
    for (LRESULT i = 1; i < Count(page); ++i)
        EXPECT_LE(Entry(page, i - 1), Entry(page, i));
    EXPECT_EQ(gszCurrentPrinter, std::u16string(u"KestrelBT"));
    EXPECT_EQ(gszCurrentPaper, std::u16string(u""));

    for (auto [paper, user] : {std::pair<const char16_t *, bool>{u"50 x 70mm", false}, {u"12 x 40mm", true}}) {
        ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, paper));
        ExpectPaper(page, paper, user);
        EXPECT_EQ(gszCurrentPaper, std::u16string(paper));
    }

    // A standard form as the paper the page opens with is locked as well.
    SetDefaultPaperNumber(u"KestrelBT", 9999);
    ExpectPaper(OpenPage(u"KestrelBT"), u"50 x 70mm", false);
    sheet.reset();
    sp::DriverConfig driver;
    ASSERT_TRUE(sp::GetDriver(u"KestrelBT", driver));
    driver.papers.clear();
    ASSERT_TRUE(sp::AddDriver(driver));
    ASSERT_TRUE(sp::RemoveForm(u"50 x 70mm"));
    AddForm(u"50 X 70MM", 12000, 70000);
    page = OpenPage(u"KestrelBT");
    ASSERT_NE(SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(u"50 X 70MM")),
              CB_ERR);
    EXPECT_EQ(SelectedIndex(page), CB_ERR);
}

TEST_F(PageSetupTest, DeleteAsksThenRemovesTheFormAndTheShownPaperIsTheOneApplied)
{
    AddPrinter(u"No DEVMODE", u"KestrelBT");  // a printer that names no paper at all
    HWND page = OpenPage(u"KestrelBT");
    LRESULT count = Count(page);
    // "18 x 50mm" is the default paper of "KestrelBT PRO" and "Heron".
    ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"18 x 50mm"));
    LRESULT index = SelectedIndex(page);
    ASSERT_GT(index, 0);
    std::u16string before = Entry(page, index - 1);
    gPendingPages = 0;

    // Cancelled at either question: nothing goes, but the sheet counts as
    // changed. The second names one printer that uses it, and how many more.
    // A deletion the spooler refuses keeps the form and its entry, selected.
    const std::tuple<std::vector<int>, bool, bool> rounds[] = {{{IDCANCEL}, false, false},
                                                               {{IDOK, IDNO}, false, false},
                                                               {{IDOK, IDYES}, false, true},
                                                               {{IDOK, IDYES}, true, false}};
    for (const auto &[answers, deleted, refused] : rounds) {
        size_t shown = ui::MessageBoxes().size();
        for (int answer : answers)
            ui::AnswerMessageBox(answer);
        if (refused)
            standin::FailNext("DeleteFormW", 1, ERROR_ACCESS_DENIED);
        ASSERT_TRUE(ui::Click(page, IDC_PAPER_DELETE));
        EXPECT_EQ(std::make_tuple(ui::MessageBoxes().size(), PaperOf(u"18 x 50mm") != 0, Count(page),
                                  SelectedIndex(page), gPendingPages & PENDING_PAGESETUP),
                  std::make_tuple(shown + answers.size(), !deleted, deleted ? count - 1 : count,
                                  deleted ? index - 1 : index, PENDING_PAGESETUP));
    }
    const auto &boxes = ui::MessageBoxes();
    EXPECT_TRUE(boxes[0].text == u"Are you sure to delete this form?" && boxes[0].caption == u"18 x 50mm");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[2].text, u"This form is the default paper of the printer “KestrelBT PRO” and of 1 more printers. "
                             u"Delete it anyway?");
    EXPECT_EQ(boxes[2].owner, page);

    // The entry before is selected and is the paper that Apply stores.
    EXPECT_TRUE(Selected(page) == before && gszCurrentPaper == before);
    ASSERT_TRUE(sheet->Apply());
    EXPECT_EQ(DefaultPaperName(u"KestrelBT"), before);

    // The first entry: the new first is selected, and is current.
    ASSERT_TRUE(ui::Choose(page, IDC_PAPER_LIST, 0));
    std::u16string second = Entry(page, 1);
    ui::AnswerMessageBox(IDOK);
    ui::AnswerMessageBox(IDYES);
    ASSERT_TRUE(ui::Click(page, IDC_PAPER_DELETE));
    EXPECT_TRUE(SelectedIndex(page) == 0 && gszCurrentPaper == second);
}

// A user's choices reach the settings, the pictures and the driver's items;
// special tape clears and locks chain and auto cut, which come back
// unchecked when it goes off.
TEST_F(PageSetupTest, ChoicesReachTheSettingsThePicturesAndTheDriversItems)
{
    HWND page = OpenPage(u"Heron");
    for (auto [button, rotate] : {std::pair<int, LONG>{IDC_LANDSCAPE, 2}, {IDC_PORTRAIT, 0}}) {
        ASSERT_TRUE(ui::Click(page, button));
        EXPECT_EQ(std::make_tuple(gpCurrentSettings->Rotate, Picture(page, IDC_DIRECTION_PICTURE),
                                  sheet->DriverItems().Find("Orientation")->Sel),
                  std::make_tuple(rotate, rotate == 2 ? IDB_LANDSCAPE : IDB_PORTRAIT, rotate == 2 ? 1L : 0L));
    }
    ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"18 x 50mm"));
    POPTITEM paper = sheet->DriverItems().Find("PaperSize");
    EXPECT_EQ(sheet->DriverItems().OptionText(*paper, paper->Sel), u"18 x 50mm");

    ASSERT_TRUE(ui::Click(page, IDC_CHAIN));
    ASSERT_TRUE(ui::Click(page, IDC_AUTO_CUT));
    EXPECT_TRUE(gpCurrentSettings->Chain == 1 && gpCurrentSettings->AutoCut == 1);
    EXPECT_EQ(Picture(page, IDC_OPTION_PICTURE), IDB_OPTION_AUTOCUT_CHAIN);
    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    const REGSTRUCT &r = *gpCurrentSettings;
    EXPECT_TRUE(r.SpecialTape == 1 && r.Chain == 0 && r.AutoCut == 0 &&
                Picture(page, IDC_OPTION_PICTURE) == IDB_SPECIAL_TAPE);
    EXPECT_FALSE(Checked(page, IDC_CHAIN) || Checked(page, IDC_AUTO_CUT) || Enabled(page, IDC_CHAIN) ||
                 Enabled(page, IDC_AUTO_CUT));
    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    EXPECT_TRUE(Enabled(page, IDC_CHAIN) && Enabled(page, IDC_AUTO_CUT));
    EXPECT_FALSE(Checked(page, IDC_CHAIN) || Checked(page, IDC_AUTO_CUT));
}

// The page as it opens, for every model of the standard page and every
// stored direction and option: the direction's radio button and picture
// (neither button for a value outside the choices), the options with special
// tape clearing and locking chain and auto cut, and the boxes the model shows
// (Mirror alone, in Auto Cut's place, but for four models).
TEST_F(PageSetupTest, OpensWithTheStoredValuesAndTheModelsOptions)
{
    const char16_t *models[] = {u"KestrelBT",   u"KestrelBT PRO", u"MerlinBT", u"Osprey", u"Heron",
                                u"HeronBT PRO", u"Plover",        u"Wren",     u"Robin",  u"Condor Printer"};
    static const struct {
        LONG rotate, specialTape, chain, autoCut, mirror;
        int checked;  // 0: neither
        int direction, option;
    } kStored[] = {
        {0, 0, 0, 0, 0, IDC_PORTRAIT, IDB_PORTRAIT, IDB_OPTION_NONE},
        {1, 0, 1, 0, 1, IDC_PORTRAIT, IDB_PORTRAIT, IDB_OPTION_CHAIN_MIRROR},
        {2, 0, 0, 1, 0, IDC_LANDSCAPE, IDB_LANDSCAPE, IDB_OPTION_AUTOCUT},
        {3, 0, 1, 1, 1, IDC_LANDSCAPE, IDB_LANDSCAPE, IDB_OPTION_AUTOCUT_CHAIN_MIRROR},
        {4, 1, 1, 1, 1, 0, IDB_LANDSCAPE, IDB_SPECIAL_TAPE_MIRROR},
        {-1, 1, 0, 0, 0, 0, IDB_LANDSCAPE, IDB_SPECIAL_TAPE},
    };
    RECT autoCut = {};
    bool measured = false;
    for (const char16_t *model : models) {
        std::u16string name = model;
        bool allFour = name == u"Heron" || name == u"HeronBT PRO" || name == u"Osprey" || name == u"Plover";
        for (const auto &s : kStored) {
            SCOPED_TRACE(Utf8(model) + " Rotate " + std::to_string(s.rotate));
            REGSTRUCT stored = Defaults();
            stored.Rotate = s.rotate;
            stored.SpecialTape = s.specialTape;
            stored.Chain = s.chain;
            stored.AutoCut = s.autoCut;
            stored.Mirror = s.mirror;
            StoreRecord(model, &stored, sizeof(stored));
            HWND page = OpenPage(model);
            LONG chain = s.specialTape ? 0 : s.chain, cut = s.specialTape ? 0 : s.autoCut;
            const REGSTRUCT &r = *gpCurrentSettings;
            EXPECT_EQ(std::make_tuple(Checked(page, IDC_PORTRAIT), Checked(page, IDC_LANDSCAPE),
                                      Picture(page, IDC_DIRECTION_PICTURE), r.Rotate,
                                      Picture(page, IDC_OPTION_PICTURE)),
                      std::make_tuple(s.checked == IDC_PORTRAIT, s.checked == IDC_LANDSCAPE, s.direction, s.rotate,
                                      s.option));
            EXPECT_EQ(std::make_tuple(r.Chain, r.AutoCut, Checked(page, IDC_CHAIN), Checked(page, IDC_AUTO_CUT),
                                      Checked(page, IDC_SPECIAL_TAPE), Checked(page, IDC_MIRROR),
                                      Enabled(page, IDC_CHAIN)),
                      std::make_tuple(chain, cut, chain != 0, cut != 0, s.specialTape != 0, s.mirror != 0,
                                      s.specialTape == 0));
            EXPECT_TRUE(Visible(page, IDC_MIRROR));
            for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_SPECIAL_TAPE})
                EXPECT_EQ(Visible(page, id), allFour) << id;
            RECT where = {}, pageRect = {};
            GetWindowRect(GetDlgItem(page, allFour ? IDC_AUTO_CUT : IDC_MIRROR), &where);
            GetWindowRect(page, &pageRect);
            where.left -= pageRect.left;
            where.top -= pageRect.top;
            if (!measured && allFour) {
                autoCut = where;
                measured = true;
            }
            EXPECT_TRUE(!measured || (where.left == autoCut.left && where.top == autoCut.top));
            sheet.reset();
        }
    }
    EXPECT_TRUE(measured);
}

// The notification codes of WM_COMMAND the page takes (a click, a new
// selection, the driver's own 0x300) and those it leaves alone.
TEST_F(PageSetupTest, TakesOnlyItsCommandCodes)
{
    HWND page = OpenPage(u"Heron");
    for (WORD code : {0, 1, 0x300, 2, 3, 5, 0x400}) {
        bool taken = code == 0 || code == 1 || code == 0x300;
        gPendingPages = 0;
        int changed = sheet->changedCount;
        CheckDlgButton(page, IDC_MIRROR, gpCurrentSettings->Mirror ? BST_UNCHECKED : BST_CHECKED);
        LONG before = gpCurrentSettings->Mirror;
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_MIRROR, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_MIRROR)));
        EXPECT_EQ(gpCurrentSettings->Mirror != before, taken) << code;
        EXPECT_EQ(sheet->changedCount - changed, taken ? 1 : 0) << code;
        EXPECT_EQ(gPendingPages, taken ? PENDING_PAGESETUP : 0) << code;
    }
}

// New marks the sheet changed once, Edit twice, whether the dialog saved or
// not, and the page pending; the dialog opens in the stored unit; a saved form is then the one added and selected,
// a cancelled dialog leaves the list. A new form of the longest name a
// DEVMODE carries (a longer one cannot be typed) is Apply's paper whole.
TEST_F(PageSetupTest, NewAndEditMarkTheSheetChanged)
{
    REGSTRUCT inches = Defaults();
    inches.Unit = 1;
    StoreRecord(u"KestrelBT", &inches, sizeof(inches));
    HWND page = OpenPage(u"KestrelBT");
    LRESULT count = Count(page);
    const std::u16string longest(CCHFORMNAME - 1, u'n');
    for (auto [button, times] : {std::pair<int, int>{IDC_PAPER_EDIT, 2}, {IDC_PAPER_NEW, 1}})
        for (int close : {IDCANCEL, IDC_STOCK_OK}) {
            ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"12 x 80mm"));
            int changed = sheet->changedCount;
            ui::OnDialog(IDD_PAPER_STOCK, [&, close, button = button](HWND dialog) {
                // The dialog is for the model and the unit: KestrelBT's four widths, in inches.
                EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_STOCK_WIDTH, CB_GETCOUNT, 0, 0), 4);
                EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_STOCK_LENGTH_UNIT)), u"in");
                if (button == IDC_PAPER_NEW) {
                    EXPECT_TRUE(ui::Type(dialog, IDC_STOCK_NAME, longest + u"xyz"));
                }
                ui::Click(dialog, close);
            });
            ASSERT_TRUE(ui::Click(page, button));
            EXPECT_EQ(sheet->changedCount - changed, times) << button << " " << close;
            bool made = button == IDC_PAPER_NEW && close == IDC_STOCK_OK;
            EXPECT_EQ(std::make_tuple(Count(page), gPendingPages & PENDING_PAGESETUP, Selected(page),
                                      std::u16string(gszCurrentPaper)),
                      std::make_tuple(count + (made ? 1 : 0), PENDING_PAGESETUP, made ? longest : u"12 x 80mm",
                                      made ? longest : u"12 x 80mm"));
            count = Count(page);
            gPendingPages = 0;
        }
    ASSERT_TRUE(sheet->Apply());
    std::vector<BYTE> devmode = sp::DefaultDevMode(u"KestrelBT");
    EXPECT_EQ(std::u16string(reinterpret_cast<const DEVMODEW *>(devmode.data())->dmFormName), longest);
    EXPECT_EQ(DefaultPaperName(u"KestrelBT"), longest);
}

// Each option counts whatever number it holds; special tape has pictures of
// its own.
TEST_F(PageSetupTest, OptionPictureOfEveryCombination)
{
    const int expected[16] = {219, 220, 216, 221, 222, 223, 224, 226, 227, 228, 229, 230, 231, 232, 233, 234};
    for (int index = 0; index < 16; ++index) {
        REGSTRUCT settings = Defaults();
        settings.Mirror = index & 1;
        settings.HalfCut = (index >> 1) & 1;
        settings.Chain = (index >> 2) & 1;
        settings.AutoCut = (index >> 3) & 1;
        EXPECT_EQ(OptionBitmapId(settings), expected[index]) << index;
        settings.SpecialTape = 1;
        EXPECT_EQ(OptionBitmapId(settings), settings.Mirror ? 208 : 207) << index;
    }
}

// Apply on Page Setup and on Graphics: Page Setup's paper becomes the
// printer's default first; the page's own pending bit goes, then the record
// is written whole, unless another page still holds changes. A record the
// printer does not take is said, over the page, and leaves the page changed
// for Apply to try again.
TEST_F(PageSetupTest, ApplyStoresThePaperClearsThePageThenWritesTheRecord)
{
    using Bits = decltype(gPendingPages);
    struct Case {
        int page;
        Bits otherPending;
        bool refused;
    } cases[] = {{IDD_PAGE_SETUP, 0, false},
                 {IDD_PAGE_SETUP, PENDING_GRAPHICS, false},
                 {IDD_GRAPHICS, 0, false},
                 {IDD_GRAPHICS, PENDING_OTHER, false},
                 {IDD_PAGE_SETUP, 0, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page) + ", pending " + std::to_string(c.otherPending) +
                     (c.refused ? ", refused" : ""));
        HWND page = SheetTest::OpenPage(u"KestrelBT", c.page);
        std::u16string paper = DefaultPaperName(u"KestrelBT");
        Bits own = c.page == IDD_PAGE_SETUP ? PENDING_PAGESETUP : PENDING_GRAPHICS;
        if (c.page == IDD_PAGE_SETUP) {
            ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"18 x 50mm"));
            ASSERT_TRUE(ui::Click(page, IDC_MIRROR));
        } else {
            ASSERT_TRUE(ui::Click(page, IDC_DITHER_DIFFUSION));
            ASSERT_TRUE(ui::Slide(page, IDC_BRIGHTNESS_TRACKBAR, -3));
        }
        REGSTRUCT before = Stored(u"KestrelBT"), shown = *gpCurrentSettings;
        gPendingPages |= c.otherPending;
        if (c.refused)
            standin::FailNext("SetPrinterDataW", SETTINGS_WRITE_ATTEMPTS, ERROR_ACCESS_DENIED);
        NMHDR apply = {GetParent(page), 0, static_cast<UINT>(PSN_APPLY)};
        SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
        EXPECT_EQ(gPendingPages, c.otherPending | (c.refused ? own : 0));
        EXPECT_EQ(DefaultPaperName(u"KestrelBT"), c.page == IDD_PAGE_SETUP ? u"18 x 50mm" : paper);
        EXPECT_EQ(Bytes(Stored(u"KestrelBT")), Bytes(c.otherPending != 0 || c.refused ? before : shown));
        if (c.refused) {
            ASSERT_EQ(ui::MessageBoxes().size(), 1u);
            EXPECT_EQ(Utf8(ui::MessageBoxes()[0].text),
                      "The settings could not be saved to the printer. Press Apply to try again. Error code: 5");
            EXPECT_EQ(ui::MessageBoxes()[0].owner, page);
            ASSERT_TRUE(sheet->Apply());
            EXPECT_EQ(Bytes(Stored(u"KestrelBT")), Bytes(shown));
        }
        gPendingPages = 0;
        sheet.reset();
    }
}

// ---- The extended model's page: half cut, special tape that keeps the other
// marks, print quality and the distributed printing switch.

class ExtendedPageTest : public SheetTest {
protected:
    // The page over a stored record of the defaults with the given fields.
    HWND OpenPage(LONG specialTape = 0, LONG chain = 0, LONG halfCut = 0, LONG quality = 0, LONG distributed = 0)
    {
        REGSTRUCT stored = Defaults();
        stored.SpecialTape = specialTape;
        stored.Chain = chain;
        stored.HalfCut = halfCut;
        stored.iQuality = quality;
        stored.Distributed = distributed;
        StoreRecord(u"FalconBT", &stored, sizeof(stored));
        return SheetTest::OpenPage(u"FalconBT", IDD_PAGE_SETUP_EX);
    }
    static int Picture(HWND page) { return SheetTest::Picture(page, IDC_OPTION_PICTURE); }
};

// Every option box shows. Special tape, stored or clicked, only locks chain,
// auto cut and half cut: their marks and fields stay for when it goes off,
// the picture with them.
TEST_F(ExtendedPageTest, SpecialTapeLocksTheOtherBoxesButKeepsTheirMarks)
{
    HWND page = OpenPage(1, 1, 1);
    for (int id : {IDC_CHAIN, IDC_MIRROR, IDC_AUTO_CUT, IDC_SPECIAL_TAPE, IDC_HALF_CUT})
        EXPECT_TRUE(Visible(page, id)) << id;
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_TRUE(!Enabled(page, id) && Checked(page, id) == (id != IDC_AUTO_CUT)) << id;
    EXPECT_TRUE(Checked(page, IDC_SPECIAL_TAPE) && Picture(page) == IDB_SPECIAL_TAPE);
    EXPECT_EQ(gpCurrentSettings->Chain, 1) << "the fields stay as stored";
    ASSERT_TRUE(ui::Click(page, IDC_MIRROR));
    EXPECT_EQ(Picture(page), IDB_SPECIAL_TAPE_MIRROR);

    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_TRUE(Checked(page, IDC_CHAIN) && Checked(page, IDC_HALF_CUT));
    EXPECT_EQ(Picture(page), IDB_OPTION_CHAIN_HALFCUT_MIRROR);
    gPendingPages = 0;
    ASSERT_TRUE(ui::Click(page, IDC_HALF_CUT));
    EXPECT_TRUE(gpCurrentSettings->HalfCut == 0 && Picture(page) == IDB_OPTION_CHAIN_MIRROR);
    EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);

    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    EXPECT_TRUE(gpCurrentSettings->Chain == 1 && Checked(page, IDC_CHAIN)) << "nothing cleared";
}

// The stored print quality shows; a quality picked goes to the driver's
// resolution item, and a resolution picked on the driver's page comes back
// into the list.
TEST_F(ExtendedPageTest, QualityGoesToTheDriversResolutionItemAndComesBack)
{
    HWND page = OpenPage(0, 0, 0, 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCOUNT, 0, 0), 4);

    ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
    ASSERT_TRUE(sheet->ActivateTemplate(IDD_PAGE_SETUP_EX));
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(gpCurrentSettings->iQuality, 1);

    ASSERT_TRUE(ui::ChooseText(page, IDC_QUALITY_LIST, u"High Speed"));
    EXPECT_EQ(gpCurrentSettings->iQuality, 3);
    EXPECT_EQ(sheet->DriverItems().Find("Resolution")->Sel, 3);
}

// The setting button is there only with the switch on, as stored or as
// clicked. After the distributed printing dialog the printer's default paper
// is selected again, a paper number the driver does not name falling back to
// "18 x 100mm"; it is the paper Apply stores, and not the user's to change
// or delete.
TEST_F(ExtendedPageTest, TheSwitchAndTheDefaultPaperAfterTheDistributedDialog)
{
    for (LONG distributed : {0, 1}) {
        SCOPED_TRACE(distributed ? "stored on, the default paper unnamed" : "stored off, the default paper named");
        if (distributed)
            SetDefaultPaperNumber(u"FalconBT", 9999);
        const std::u16string initial = distributed ? u"18 x 100mm" : DefaultPaperName(u"FalconBT");
        ASSERT_FALSE(initial.empty());
        HWND page = OpenPage(0, 0, 0, 0, distributed);
        EXPECT_EQ(Selected(page), initial);
        std::vector<LONG> states = {distributed, 1 - distributed, distributed};
        if (distributed == 0)
            states.push_back(1);
        for (size_t i = 0; i < states.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(ui::Click(page, IDC_DISTRIBUTED));
            }
            EXPECT_EQ(Checked(page, IDC_DISTRIBUTED), states[i] == 1);
            EXPECT_EQ(Enabled(page, IDC_SETTING_VALUE), states[i] == 1);
            EXPECT_EQ(gpCurrentSettings->Distributed, states[i]);
        }
        ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"24 x 60mm"));
        ui::OnDialog(IDD_DISTRIBUTED_PRINTING, [](HWND dialog) { ui::Click(dialog, IDCANCEL); });
        gPendingPages = 0;
        ASSERT_TRUE(ui::Click(page, IDC_SETTING_VALUE));
        EXPECT_EQ(Selected(page), initial);
        EXPECT_EQ(std::u16string(gszCurrentPaper), initial);
        EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);
        EXPECT_FALSE(Enabled(page, IDC_PAPER_EDIT) || Enabled(page, IDC_PAPER_DELETE));
        ASSERT_TRUE(sheet->Apply());
        std::vector<BYTE> devmode = sp::DefaultDevMode(u"FalconBT");
        EXPECT_EQ(std::u16string(reinterpret_cast<const DEVMODEW *>(devmode.data())->dmFormName), initial);
        sheet.reset();
    }
}

}  // namespace
