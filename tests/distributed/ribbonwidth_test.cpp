// The ribbon width dialog: the row's texts, the printer's own papers with
// its default paper selected, the comment's limit, and what OK and Cancel
// hand back and change.
#include "tests/support/distributed.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

class RibbonWidthTest : public DistributedTest {
protected:
    void SetUp() override
    {
        DistributedTest::SetUp();
        AddForm(u"9 x 40mm", 9000, 40000);
        AddForm(u"A4", 210000, 297000);  // wider than the model takes
        AddPrinterWith(u"Falcon", u"FalconBT", u"24 x 60mm", u"USB010");
        AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm", u"USB011");
    }

    template <size_t N>
    static void Copy(WCHAR (&to)[N], const std::u16string &text)
    {
        std::memcpy(to, text.data(), std::min(text.size(), N - 1) * sizeof(WCHAR));
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

    static INT_PTR Run(RIBBONPARAM &param, ui::DialogScript script)
    {
        ui::OnDialog(IDD_RIBBON_WIDTH, std::move(script));
        return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_WIDTH), nullptr, RibbonWidthProc,
                               reinterpret_cast<LPARAM>(&param));
    }
    // What the dialog shows on opening, as the window part describes it.
    static std::string Shown(RIBBONPARAM param)
    {
        std::string shown;
        EXPECT_EQ(Run(param,
                      [&](HWND dialog) {
                          shown = ui::Describe(dialog);
                          ui::Click(dialog, IDCANCEL);
                      }),
                  0);
        return shown;
    }
    static bool Has(const std::string &shown, const std::string &part)
    {
        bool found = shown.find(part) != std::string::npos;
        EXPECT_TRUE(found) << part << " not in\n" << shown;
        return found;
    }
};

TEST_F(RibbonWidthTest, ShowsTheRowThePortAndThePrintersPapersWithItsDefaultSelected)
{
    std::string shown = Shown(Param(u"Falcon", u"by the door"));
    Has(shown, "dialog 238 \"Falcon\"");
    Has(shown, "1095 text \"24 mm\"");
    Has(shown, "1096 text \"BNZ\"");
    Has(shown, "1097 text \"USB010\"");
    Has(shown, "950 edit \"by the door\" limit 255");
    // The forms the model's widths take, in the list's order; the default
    // paper selected.
    Has(shown, "1038 combo \"24 x 60mm\" [4]: \"12.5 x 40mm\", \"18 x 100 mm\", \"24 x 60mm\"*, \"9 x 40mm\"");

    // A paper the driver does not name: the fallback; without it nothing,
    // not even a name that differs in letter case.
    SetDefaultPaperNumber(u"Falcon", 9999);
    Has(Shown(Param(u"Falcon")), "\"18 x 100 mm\"*");
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    AddForm(u"18 X 100 MM", 18000, 100000);
    EXPECT_EQ(Shown(Param(u"Falcon")).find("*"), std::string::npos);

    // No default DEVMODE: the papers, none selected.
    AddPrinterWith(u"Bare", u"FalconBT", u"");
    shown = Shown(Param(u"Bare"));
    Has(shown, "[4]");
    EXPECT_EQ(shown.find("*"), std::string::npos);

    // A printer that is not there: only the row's texts.
    shown = Shown(Param(u"Missing", u"row comment"));
    Has(shown, "dialog 238 \"Missing\"");
    Has(shown, "1095 text \"24 mm\"");
    Has(shown, "1038 combo \"\" [0]");
}

TEST_F(RibbonWidthTest, OkHandsBackTheWidthAndCommentAndSetsThatPrintersPaper)
{
    RIBBONPARAM param = Param(u"Falcon", u"old");
    EXPECT_EQ(Run(param,
                  [](HWND dialog) {
                      ui::ChooseText(dialog, IDC_RIBBON_SET_WIDTH, u"12.5 x 40mm");
                      ui::Type(dialog, IDC_RIBBON_COMMENT, std::u16string(300, u'x'));
                      ui::Click(dialog, IDOK);
                  }),
              1);
    EXPECT_TRUE(std::u16string(param.SetWidth) == u"13 mm");
    EXPECT_TRUE(std::u16string(param.Comment) == std::u16string(255, u'x')) << "255 characters at most";
    EXPECT_TRUE(std::u16string(param.CurrentWidth) == u"24 mm");
    EXPECT_EQ(DefaultPaperName(u"Falcon"), u"12.5 x 40mm");
    EXPECT_EQ(reinterpret_cast<const DEVMODEW *>(sp::DefaultDevMode(u"Falcon").data())->dmFields,
              DWORD(DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME));
    EXPECT_EQ(DefaultPaperName(u"Sheet"), u"24 x 60mm") << "only the row's printer";

    // Nothing selected, or no such printer: the comment comes back, the width
    // stays and no paper changes.
    SetDefaultPaperNumber(u"Falcon", 9999);
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    for (const char16_t *printer : {u"Falcon", u"Missing"}) {
        param = Param(printer, u"before");
        EXPECT_EQ(Run(param,
                      [](HWND dialog) {
                          ui::Type(dialog, IDC_RIBBON_COMMENT, u"kept");
                          ui::Click(dialog, IDOK);
                      }),
                  1);
        EXPECT_TRUE(std::u16string(param.SetWidth) == u"7 mm");
        EXPECT_TRUE(std::u16string(param.Comment) == u"kept");
    }
    EXPECT_EQ(DefaultPaperName(u"Falcon"), u"") << "the paper number the driver does not name stays";
}

}  // namespace
