#include "src/settings/devmode.h"
#include "src/settings/printer.h"
#include "tests/support/spooler.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

namespace {

class PrinterTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        SpoolerTest::SetUp();
        AddForm(u"18 x 100mm", 18000, 100000);
        AddForm(u"50 x 70mm", 50000, 70000);
        for (const char16_t *name : {u"Shop KestrelBT", u"Back office"}) {
            AddPrinter(name, u"KestrelBT");
            standin::spooler::SetDefaultDevMode(name, standin::spooler::MakeDefaultDevMode(name, u"50 x 70mm"));
        }
    }
};

// Names and numbers find each other (whole name, its case); a slot-filling name is read without writing
// past its 64 units; of two papers sharing those 64 units, the one the driver lists first answers.
TEST_F(PrinterTest, PaperNamesAndNumbers)
{
    const std::u16string full(PAPER_NAME_UNITS, u'w'), twin(PAPER_NAME_UNITS, u't');
    AddForm(full, 18000, 30000);
    AddForm(twin + u" one", 18000, 30000);
    AddForm(twin + u" two", 18000, 30000);
    standin::spooler::DriverConfig twins;
    twins.name = u"Twins";
    twins.minWidth = 1;
    twins.maxWidth = 2;
    ASSERT_TRUE(standin::spooler::AddDriver(twins));
    AddPrinter(u"Bare", u"Twins");
    twins.name = u"Twins listed";
    twins.papers = {twin + u" two", twin + u" one"};
    ASSERT_TRUE(standin::spooler::AddDriver(twins));
    AddPrinter(u"Two", u"Twins listed");
    const struct {
        const char16_t *printer;
        std::u16string name;
        WORD paper;  // 0: none found
    } cases[] = {
        {u"Shop KestrelBT", u"50 x 70mm", PaperOf(u"50 x 70mm")},
        {u"Shop KestrelBT", u"50 X 70MM", 0},
        {u"Shop KestrelBT", u"50 x 70", 0},
        {u"No such printer", u"50 x 70mm", 0},
        {u"Bare", u"50 x 70mm", 0},
        {u"Shop KestrelBT", full, PaperOf(full)},
        {u"Two", twin + u" one", PaperOf(twin + u" two")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        SHORT id = GetPaperIdByName(c.printer, TEXT("USB001"), c.name.c_str());
        EXPECT_EQ(id, c.paper != 0 ? static_cast<SHORT>(c.paper) : -1);
        WCHAR slot[PAPER_NAME_UNITS + 1] = TEXT("stale");
        slot[PAPER_NAME_UNITS] = u'#';
        GetPaperNameById(c.printer, TEXT("USB001"), c.paper != 0 ? id : 9999, slot);
        EXPECT_EQ(std::u16string(slot, wcsnlen(slot, PAPER_NAME_UNITS)),
                  c.paper != 0 ? c.name.substr(0, PAPER_NAME_UNITS) : u"");
        EXPECT_EQ(slot[PAPER_NAME_UNITS], u'#') << "nothing written past the 64-unit slot";
    }
}

TEST_F(PrinterTest, ChangeDefaultPaperReplacesTheFieldMask)
{
    std::vector<BYTE> bytes = standin::spooler::DefaultDevMode(u"Shop KestrelBT");
    auto *devmode = reinterpret_cast<DEVMODEW *>(bytes.data());
    devmode->dmFields = (devmode->dmFields & ~DM_FORMNAME) | 0x200;  // the paper by number, a default source
    devmode->dmOrientation = DMORIENT_LANDSCAPE;
    devmode->dmPaperWidth = 500;
    ASSERT_TRUE(standin::spooler::SetDefaultDevMode(u"Shop KestrelBT", bytes));
    std::vector<BYTE> otherBefore = standin::spooler::DefaultDevMode(u"Back office");
    WCHAR first[NAME_UNITS];
    EXPECT_EQ(CountPrintersUsingPaper(TEXT("50 x 70mm"), TEXT("Back office"), first), 1u) << "named by number";
    EXPECT_EQ(std::u16string(first), u"Shop KestrelBT");

    EXPECT_TRUE(ChangeDefaultPaper(TEXT("Shop KestrelBT"), TEXT("18 x 100mm")));
    std::vector<BYTE> after = standin::spooler::DefaultDevMode(u"Shop KestrelBT");
    ASSERT_EQ(after.size(), bytes.size());
    const DEVMODEW &changed = *reinterpret_cast<const DEVMODEW *>(after.data());
    EXPECT_EQ(changed.dmFields, 0x0000000Fu | DM_FORMNAME);
    EXPECT_EQ(changed.dmPaperSize, static_cast<short>(PaperOf(u"18 x 100mm")));
    EXPECT_EQ(std::u16string(changed.dmFormName), u"18 x 100mm");
    EXPECT_EQ(changed.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(changed.dmPaperWidth, 0);
    EXPECT_EQ(changed.dmPaperLength, 0);
    // The private area went through untouched, and only this printer changed.
    EXPECT_TRUE(std::equal(after.begin() + 220, after.end(), bytes.begin() + 220));
    EXPECT_EQ(standin::spooler::DefaultDevMode(u"Back office"), otherBefore);

    EXPECT_FALSE(ChangeDefaultPaper(TEXT("Shop KestrelBT"), TEXT("no such paper")));
    EXPECT_FALSE(ChangeDefaultPaper(TEXT("Nobody"), TEXT("18 x 100mm")));
    // The spooler's other failures are the fault sweep's; its block is the kernel's.
    standin::FailNext("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(ChangeDefaultPaper(TEXT("Back office"), TEXT("18 x 100mm")));
    EXPECT_EQ(standin::spooler::DefaultDevMode(u"Back office"), otherBefore);
}

// The names are the text comparison's to pin; here, that each model test
// compares the whole driver name.
TEST_F(PrinterTest, ModelTestsCompareTheWholeName)
{
    for (auto [driver, falcon, condor] : {std::tuple{u"FalconBT", TRUE, FALSE},
                                          {u"FalconBT PRO", FALSE, FALSE},
                                          {u"Condor Printer", FALSE, TRUE},
                                          {u"Condor Printer ", FALSE, FALSE},
                                          {u"", FALSE, FALSE}}) {
        lstrcpynW(gszDriverName, driver, NAME_UNITS);
        EXPECT_EQ(IsFalconModel(), falcon);
        EXPECT_EQ(IsCondorModel(), condor);
    }
}

class DefaultDevModeTest : public PrinterTest {
protected:
    // A DEVMODE with a 300-byte private area whose record sits at 412.
    std::vector<BYTE> Devmode(WORD driverExtra)
    {
        std::vector<BYTE> bytes(220 + driverExtra, 0xA5);
        auto *devmode = reinterpret_cast<DEVMODEW *>(bytes.data());
        std::memset(devmode, 0, 220);
        devmode->dmSize = 220;
        devmode->dmDriverExtra = driverExtra;
        devmode->dmSpecVersion = DM_SPECVERSION;
        return bytes;
    }

    REGSTRUCT settings = {};
};

TEST_F(DefaultDevModeTest, OnlyTheCopiedFieldsChange)
{
    SetDefaultSettings(&settings);
    settings.Speed = 1;
    settings.Mirror = 1;
    settings.iQuality = 3;
    settings.BlackLevel = 5;  // not one of the copied fields
    gpCurrentSettings = &settings;
    // The record ends the private area: an odd size puts it at an odd address.
    for (WORD driverExtra : {300, 301, 303}) {
        std::vector<BYTE> before = Devmode(driverExtra);
        ASSERT_TRUE(standin::spooler::SetDefaultDevMode(u"Shop KestrelBT", before));
        EXPECT_TRUE(UpdateDefaultOEMDev(TEXT("Shop KestrelBT")));
        std::vector<BYTE> after = standin::spooler::DefaultDevMode(u"Shop KestrelBT");
        ASSERT_EQ(after.size(), before.size());
        const size_t record = 220 + driverExtra - sizeof(OEMDEV);
        std::vector<BYTE> expected = before;
        for (size_t field : {28, 32, 36, 40, 44, 48, 52, 56, 60, 64, 68, 72, 84, 88, 92, 96, 100, 104})
            std::memcpy(&expected[record + field], &after[record + field], 4);
        EXPECT_EQ(after, expected) << "only the copied fields change, dmDriverExtra " << driverExtra;
        OEMDEV oemDev;
        std::memcpy(&oemDev, after.data() + record, sizeof(oemDev));
        EXPECT_EQ(oemDev.Speed, 1);
        EXPECT_EQ(oemDev.Mirror, 1);
        EXPECT_EQ(oemDev.iQuality, 3);
        EXPECT_EQ(oemDev.Density, 5);
    }
}

TEST_F(DefaultDevModeTest, NothingWrittenWithoutRoomOrSettings)
{
    SetDefaultSettings(&settings);
    // A private area smaller than the record: nothing there is ours.
    std::vector<BYTE> small = Devmode(100);
    ASSERT_TRUE(standin::spooler::SetDefaultDevMode(u"Shop KestrelBT", small));
    gpCurrentSettings = &settings;
    EXPECT_FALSE(UpdateDefaultOEMDev(TEXT("Shop KestrelBT")));
    EXPECT_EQ(standin::spooler::DefaultDevMode(u"Shop KestrelBT"), small);

    // No page has read the settings, or they are not of this version.
    std::vector<BYTE> whole = Devmode(300);
    ASSERT_TRUE(standin::spooler::SetDefaultDevMode(u"Shop KestrelBT", whole));
    gpCurrentSettings = nullptr;
    EXPECT_FALSE(UpdateDefaultOEMDev(TEXT("Shop KestrelBT")));
    settings.Version = 4;
    gpCurrentSettings = &settings;
    EXPECT_FALSE(UpdateDefaultOEMDev(TEXT("Shop KestrelBT")));
    EXPECT_EQ(standin::spooler::DefaultDevMode(u"Shop KestrelBT"), whole);

    // A printer without a default DEVMODE, and one that cannot be read.
    settings.Version = 5;
    ASSERT_TRUE(standin::spooler::SetDefaultDevMode(u"Back office", {}));
    EXPECT_FALSE(UpdateDefaultOEMDev(TEXT("Back office")));
    EXPECT_FALSE(UpdateDefaultOEMDev(TEXT("Nobody")));
}

}  // namespace
