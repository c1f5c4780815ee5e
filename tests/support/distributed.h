// Tests of the distributed printing dialogs: an empty print server that the
// test fills with the printers and forms it needs, the plug-in's resources
// in English, and the dialogs run modally with a script that plays the user.
#pragma once

#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "resources/resource.h"
#include "src/base/module.h"
#include "src/distributed/distlist.h"
#include "tests/support/spooler.h"

#include <cstring>
#include <string>
#include <vector>

// A list view cell's text, and its image through image.
inline std::u16string ListCell(HWND list, int row, int column, int *image = nullptr)
{
    WCHAR text[300] = {};
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 300;
    EXPECT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (image != nullptr)
        *image = item.iImage;
    return text;
}

class DistributedTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        ghInstance = PluginResources();
        SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        standin::ui::ResetAutomation();
        SpoolerTest::SetUp();
        AddForm(u"18 x 100 mm", 18000, 100000);
        AddForm(u"12.5 x 40mm", 12500, 40000);
        AddForm(u"24 x 60mm", 24000, 60000);
    }
    void TearDown() override
    {
        standin::ui::ResetAutomation();
        SpoolerTest::TearDown();
        SetThreadUILanguage(0);
    }

    // A local printer; `paper` names the form of its default DEVMODE (empty:
    // the printer has none).
    static void AddPrinterWith(const std::u16string &name, const std::u16string &driver, const std::u16string &paper,
                               const std::u16string &port = u"USB001")
    {
        standin::spooler::PrinterConfig config;
        config.name = name;
        config.port = port;
        config.driver = driver;
        ASSERT_TRUE(standin::spooler::AddPrinter(config));
        if (paper.empty())
            return;
        ASSERT_TRUE(standin::spooler::SetDefaultDevMode(name, standin::spooler::MakeDefaultDevMode(name, paper)));
    }

    // The public part of the printer's default DEVMODE.
    static DEVMODEW DefaultDevMode(const std::u16string &printer)
    {
        DEVMODEW dm = {};
        std::vector<BYTE> bytes = standin::spooler::DefaultDevMode(printer);
        if (bytes.size() >= sizeof(dm))
            std::memcpy(&dm, bytes.data(), sizeof(dm));
        return dm;
    }

    // How many debugger lines are exactly this.
    static size_t Lines(const std::string &line)
    {
        size_t n = 0;
        for (size_t i = 0; i < standin::DebugCaptureCount(); ++i)
            n += line == standin::DebugCaptureLine(i) ? 1 : 0;
        return n;
    }
};
