// The ribbon width dialog: the row's texts, the printer's own papers with
// its default paper selected, the comment's limit, and what OK and Cancel
// hand back and change.
#include "tests/support/distributed.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

struct Shown {
    std::u16string caption, currentWidth, ribbonType, port, comment, selected;
    std::vector<std::u16string> papers;
    std::string described;
};

class RibbonWidthTest : public DistributedTest {
protected:
    void SetUp() override
    {
        DistributedTest::SetUp();
        AddForm(u"18 x 100 mm", 18000, 100000);
        AddForm(u"12.5 x 40mm", 12500, 40000);
        AddForm(u"9 x 40mm", 9000, 40000);
        AddForm(u"24 x 60mm", 24000, 60000);
        AddForm(u"A4", 210000, 297000);  // wider than the model takes
        AddPrinterWith(u"Falcon", u"FalconBT", u"24 x 60mm", u"USB010");
        AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm", u"USB011");
    }

    static RIBBONPARAM Param(const std::u16string &printer, const std::u16string &comment = u"")
    {
        RIBBONPARAM param = {};
        Copy(param.PrinterName, printer);
        Copy(param.SetWidth, u"7 mm");
        Copy(param.CurrentWidth, u"24 mm");
        Copy(param.RibbonType, u"BNZ");
        Copy(param.Comment, comment);
        return param;
    }
    template <size_t N>
    static void Copy(WCHAR (&to)[N], const std::u16string &text)
    {
        std::memset(to, 0, sizeof(to));
        std::memcpy(to, text.data(), std::min(text.size(), N - 1) * sizeof(WCHAR));
    }

    static INT_PTR Run(RIBBONPARAM &param, ui::DialogScript script)
    {
        ui::OnDialog(IDD_RIBBON_WIDTH, std::move(script));
        return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_WIDTH), nullptr, RibbonWidthProc,
                               reinterpret_cast<LPARAM>(&param));
    }

    static Shown Read(HWND dialog)
    {
        Shown s;
        s.caption = ui::Text(dialog);
        s.currentWidth = ui::Text(GetDlgItem(dialog, IDC_RIBBON_CURRENT_WIDTH));
        s.ribbonType = ui::Text(GetDlgItem(dialog, IDC_RIBBON_TYPE));
        s.port = ui::Text(GetDlgItem(dialog, IDC_RIBBON_PORT));
        s.comment = ui::Text(GetDlgItem(dialog, IDC_RIBBON_COMMENT));
        HWND combo = GetDlgItem(dialog, IDC_RIBBON_SET_WIDTH);
        LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0), selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            WCHAR text[260] = {};
            SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            s.papers.push_back(text);
            if (i == selected)
                s.selected = text;
        }
        s.described = ui::Describe(dialog);
        return s;
    }

    // Opens the dialog, reads it and cancels.
    static Shown Look(RIBBONPARAM param)
    {
        Shown shown;
        Run(param, [&](HWND dialog) {
            shown = Read(dialog);
            ui::Click(dialog, IDCANCEL);
        });
        return shown;
    }
};

TEST_F(RibbonWidthTest, ShowsTheRowThePortAndThePrintersPapersWithItsDefaultSelected)
{
    Shown s = Look(Param(u"Falcon", u"by the door"));
    EXPECT_EQ(s.caption, u"Falcon");
    EXPECT_EQ(s.currentWidth, u"24 mm");
    EXPECT_EQ(s.ribbonType, u"BNZ");
    EXPECT_EQ(s.port, u"USB010");
    EXPECT_EQ(s.comment, u"by the door");
    // The forms the model's widths take, sorted by the list.
    const std::vector<std::u16string> papers = {u"12.5 x 40mm", u"18 x 100 mm", u"24 x 60mm", u"9 x 40mm"};
    EXPECT_EQ(s.papers, papers);
    EXPECT_EQ(s.selected, u"24 x 60mm");
    EXPECT_NE(s.described.find("limit 255"), std::string::npos) << s.described;
    EXPECT_TRUE(Logged("UI:  pdm->dmPaperSize is " + std::to_string(PaperOf(u"24 x 60mm"))));
}

TEST_F(RibbonWidthTest, DefaultPaperFallsBackToEighteenByHundredOrNothing)
{
    SetDefaultPaperNumber(u"Falcon", 9999);
    EXPECT_EQ(Look(Param(u"Falcon")).selected, u"18 x 100 mm");

    // Without that paper nothing is selected, not even a name that differs
    // only in letter case.
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    AddForm(u"18 X 100 MM", 18000, 100000);
    Shown s = Look(Param(u"Falcon"));
    EXPECT_EQ(s.papers.size(), 4u);
    EXPECT_EQ(s.selected, u"");

    // A printer without a default DEVMODE: the papers, none selected.
    AddPrinterWith(u"Bare", u"FalconBT", u"");
    ClearDebug();
    s = Look(Param(u"Bare"));
    EXPECT_EQ(s.papers.size(), 4u);
    EXPECT_EQ(s.selected, u"");
    EXPECT_TRUE(Logged("pdm is null"));
}

TEST_F(RibbonWidthTest, OkHandsBackTheWidthAndCommentAndSetsThatPrintersPaper)
{
    RIBBONPARAM param = Param(u"Falcon", u"old");
    INT_PTR result = Run(param, [](HWND dialog) {
        EXPECT_TRUE(ui::ChooseText(dialog, IDC_RIBBON_SET_WIDTH, u"12.5 x 40mm"));
        EXPECT_TRUE(ui::Type(dialog, IDC_RIBBON_COMMENT, u"new"));
        ui::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::u16string(param.SetWidth), u"13 mm");
    EXPECT_EQ(std::u16string(param.Comment), u"new");
    EXPECT_EQ(std::u16string(param.CurrentWidth), u"24 mm") << "an input only";
    DEVMODEW dm = DefaultDevMode(u"Falcon");
    EXPECT_EQ(dm.dmPaperSize, SHORT(PaperOf(u"12.5 x 40mm")));
    EXPECT_EQ(dm.dmFields, DWORD(DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH));
    EXPECT_EQ(DefaultDevMode(u"Sheet").dmPaperSize, SHORT(PaperOf(u"24 x 60mm"))) << "only the row's printer";
    EXPECT_TRUE(Logged("ok"));

    // The comment takes 255 characters at most.
    param = Param(u"Falcon");
    Run(param, [](HWND dialog) {
        ui::Type(dialog, IDC_RIBBON_COMMENT, std::u16string(300, u'x'));
        ui::Click(dialog, IDOK);
    });
    EXPECT_EQ(std::u16string(param.Comment), std::u16string(255, u'x'));
    EXPECT_EQ(std::u16string(param.SetWidth), u"13 mm") << "the paper chosen before is the default now";
}

TEST_F(RibbonWidthTest, WithoutAPaperOrAPrinterOkKeepsTheWidthAndCancelKeepsEverything)
{
    // Nothing selected: the comment comes back, the width stays as it was
    // and no printer setting changes.
    SetDefaultPaperNumber(u"Falcon", 9999);
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    RIBBONPARAM param = Param(u"Falcon");
    EXPECT_EQ(Run(param,
                  [](HWND dialog) {
                      ui::Type(dialog, IDC_RIBBON_COMMENT, u"kept");
                      ui::Click(dialog, IDOK);
                  }),
              1);
    EXPECT_EQ(std::u16string(param.SetWidth), u"7 mm");
    EXPECT_EQ(std::u16string(param.Comment), u"kept");
    EXPECT_EQ(DefaultDevMode(u"Falcon").dmPaperSize, 9999);

    // A printer that is not there: only the row's texts, no papers.
    param = Param(u"Missing", u"row comment");
    Shown s = Look(param);
    EXPECT_EQ(s.caption, u"Missing");
    EXPECT_EQ(s.currentWidth, u"24 mm");
    EXPECT_EQ(s.port, u"");
    EXPECT_TRUE(s.papers.empty());
    EXPECT_EQ(Run(param, [](HWND dialog) { ui::Click(dialog, IDOK); }), 1);
    EXPECT_EQ(std::u16string(param.SetWidth), u"7 mm");
    EXPECT_EQ(std::u16string(param.Comment), u"row comment");

    // Cancel hands back the block as it came.
    param = Param(u"Falcon", u"before");
    const RIBBONPARAM before = param;
    ClearDebug();
    EXPECT_EQ(Run(param,
                  [](HWND dialog) {
                      ui::ChooseText(dialog, IDC_RIBBON_SET_WIDTH, u"9 x 40mm");
                      ui::Type(dialog, IDC_RIBBON_COMMENT, u"after");
                      ui::Click(dialog, IDCANCEL);
                  }),
              0);
    EXPECT_EQ(std::memcmp(&param, &before, sizeof(param)), 0);
    EXPECT_EQ(DefaultDevMode(u"Falcon").dmPaperSize, 9999);
    EXPECT_TRUE(Logged("cancel"));
}

}  // namespace
