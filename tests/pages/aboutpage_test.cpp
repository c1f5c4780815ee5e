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
}

}  // namespace
