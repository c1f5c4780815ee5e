// Tests of the property pages: the sample print server, the plug-in's
// resources as its module, an OEM UI object, and the host's property sheet
// around it. Every window the test made must be gone at its end.
#pragma once

#include "host/propsheet.h"
#include "host/text.h"
#include "resources/resource.h"
#include "src/core/intrface.h"
#include "src/base/module.h"
#include "tests/support/spooler.h"

#include <memory>

using host::DriverOptionItems;
using host::PropertySheet;
using host::SheetKind;
using host::Utf8;

class SheetTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        standin::spooler::LoadSample();
        IClassFactory *factory = nullptr;
        ASSERT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&ui)), S_OK);
        factory->Release();
    }

    void TearDown() override
    {
        sheet.reset();
        if (ui != nullptr) {
            EXPECT_EQ(ui->Release(), 0u);
        }
        ui = nullptr;
        UiTest::TearDown();
    }

    // Opens a sheet of a printer of the sample server.
    PropertySheet &Open(const std::u16string &printer, SheetKind kind = SheetKind::Document)
    {
        sheet = std::make_unique<PropertySheet>(ui, kind, printer, ghInstance);
        std::string error;
        EXPECT_TRUE(sheet->Open(error)) << error;
        return *sheet;
    }

    // The page of the template as it opens, with nothing left pending on the
    // driver's page, which would move into it when it is shown.
    HWND OpenPage(const std::u16string &printer, int templateId)
    {
        PropertySheet &s = Open(printer);
        for (const char *keyword : {"PaperSize", "Orientation", "Resolution"})
            if (POPTITEM item = s.DriverItems().Find(keyword))
                item->Sel = -1;
        EXPECT_TRUE(s.ActivateTemplate(templateId));
        return s.ActiveWindow();
    }

    // The page's controls as the user sees them.
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
    static bool Visible(HWND page, int id) { return IsWindowVisible(GetDlgItem(page, id)) != FALSE; }
    static int Picture(HWND page, int id)
    {
        return standin::ui::BitmapResourceId(
            reinterpret_cast<HBITMAP>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    }
    // The paper list's selected entry, empty without one.
    static std::u16string Selected(HWND page)
    {
        LRESULT index = SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0);
        WCHAR text[260] = {};
        if (index != CB_ERR)
            SendDlgItemMessageW(page, IDC_PAPER_LIST, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::vector<int> Templates() const
    {
        std::vector<int> ids;
        for (const auto &page : sheet->Pages())
            if (!page.driverPage)
                ids.push_back(page.templateId);
        return ids;
    }

    IPrintOemUI *ui = nullptr;
    std::unique_ptr<PropertySheet> sheet;
};
