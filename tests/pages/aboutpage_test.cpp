// The About page, on the windows the host's sheet makes from its template.
#include "host/text.h"
#include "resources/resource.h"
#include "tests/support/sheet.h"

#include <cstring>

namespace {

namespace ui = standin::ui;

std::u16string ItemText(HWND page, int id) { return ui::Text(GetDlgItem(page, id)); }

// ---- The About page ------------------------------------------------------------

TEST_F(SheetTest, AboutShowsThreeWordsOfTheDriverVersion)
{
    ASSERT_TRUE(standin::spooler::SetDriverVersion(u"FalconBT", (DWORDLONG(2) << 48) | (DWORDLONG(1) << 32) |
                                                                    (DWORDLONG(9) << 16) | 7));
    PropertySheet &s = Open(u"FalconBT", SheetKind::Device);
    ASSERT_TRUE(s.Activate(1));
    HWND about = s.ActiveWindow();
    EXPECT_EQ(ItemText(about, IDC_ABOUT_VERSION), u"Ver:Build_2.1.9");
    WCHAR copyright[256] = {};
    LoadStringW(ghInstance, IDS_COPYRIGHT, copyright, 256);
    EXPECT_EQ(ItemText(about, IDC_ABOUT_COPYRIGHT), std::u16string(copyright));
    EXPECT_NE(Debug().find("UI:  DevicePropAboutProc:verson:00090007,00020001,00020001"), std::string::npos);
}

TEST_F(SheetTest, AboutKeepsItsPlaceholdersWithoutDriverData)
{
    PropertySheet &s = Open(u"KestrelBT", SheetKind::Device);
    HWND plain = nullptr;
    {
        // The placeholders as the template has them, from a page that is never initialised.
        plain = CreateDialogParamW(
            ghInstance, MAKEINTRESOURCEW(IDD_ABOUT), s.SheetWindow(),
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(plain, nullptr);
    }
    standin::FailNext("GetPrinterDriverW", 1, ERROR_UNKNOWN_PRINTER_DRIVER);
    ASSERT_TRUE(s.Activate(1));
    EXPECT_EQ(ItemText(s.ActiveWindow(), IDC_ABOUT_VERSION), ItemText(plain, IDC_ABOUT_VERSION));
    EXPECT_EQ(ItemText(s.ActiveWindow(), IDC_ABOUT_COPYRIGHT), ItemText(plain, IDC_ABOUT_COPYRIGHT));
    DestroyWindow(plain);
}

}  // namespace
