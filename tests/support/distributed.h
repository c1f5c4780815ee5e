// Tests of the distributed printing dialogs: an empty print server that the
// test fills with the printers and forms it needs, the plug-in's resources
// in English, and the dialogs run modally with a script that plays the user.
#pragma once

#include "resources/resource.h"
#include "src/base/module.h"
#include "src/distributed/distlist.h"
#include "tests/support/spooler.h"

#include <algorithm>
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

class DistributedTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        AddForm(u"18 x 100 mm", 18000, 100000);
        AddForm(u"12.5 x 40mm", 12500, 40000);
        AddForm(u"24 x 60mm", 24000, 60000);
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
        if (!paper.empty()) {
            ASSERT_TRUE(standin::spooler::SetDefaultDevMode(name, standin::spooler::MakeDefaultDevMode(name, paper)));
        }
    }

    // Runs the distributed printing dialog for the sheet's printer; `script` acts in it and ends it.
    static INT_PTR RunList(const std::u16string &sheetPrinter, standin::ui::DialogScript script)
    {
        std::u16string name = sheetPrinter;
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        standin::ui::OnDialog(IDD_DISTRIBUTED_PRINTING, std::move(script));
        return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), nullptr, DistributedPrintingProc,
                               reinterpret_cast<LPARAM>(&info));
    }

    struct Entry {
        DWORD checked;
        std::u16string name, comment;
    };
    // A stored list: the header with `count`, then the entries at offset 12,
    // 1044 bytes each: Checked at 0, the name at 4, the comment at 524.
    static std::vector<BYTE> Record(const std::vector<Entry> &entries, LONG count)
    {
        std::vector<BYTE> bytes(12 + entries.size() * 1044);
        const DWORD header[3] = {1, DWORD(count), 0};
        std::memcpy(bytes.data(), header, 12);
        for (size_t i = 0; i < entries.size(); ++i) {
            BYTE *e = bytes.data() + 12 + i * 1044;
            std::memcpy(e, &entries[i].checked, 4);
            std::memcpy(e + 4, entries[i].name.data(), std::min<size_t>(entries[i].name.size(), 260) * 2);
            std::memcpy(e + 524, entries[i].comment.data(), std::min<size_t>(entries[i].comment.size(), 260) * 2);
        }
        return bytes;
    }
    static void Store(const std::vector<BYTE> &bytes)
    {
        ASSERT_TRUE(standin::spooler::SetData(u"Sheet", u"DISTRIBUTEDLIST", REG_BINARY, bytes));
    }
    static std::vector<BYTE> Stored()
    {
        standin::spooler::DataValue value;
        return standin::spooler::GetData(u"Sheet", u"DISTRIBUTEDLIST", value) ? value.bytes : std::vector<BYTE>();
    }
};
