#include "src/core/intrface.h"
#include "src/settings/settings.h"
#include "tests/support/spooler.h"

namespace {

class SettingsTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        SpoolerTest::SetUp();
        AddPrinter(u"KestrelBT", u"KestrelBT");
        context.hPrinter = OpenForUse(u"KestrelBT");
    }
    void TearDown() override
    {
        ClosePrinter(context.hPrinter);
        SpoolerTest::TearDown();
    }

    PAGECONTEXT context = {};
};

TEST_F(SettingsTest, InvalidStoredValuesAreReplacedByTheDefaults)
{
    REGSTRUCT user = Defaults();
    user.Mirror = 1;
    REGSTRUCT oldVersion = user;
    oldVersion.Version = 4;
    std::vector<BYTE> longer = Bytes(user), shorter = Bytes(user), dword = {5, 0, 0, 0};
    longer.resize(120);
    shorter.resize(64);
    struct Case {
        const char *what;
        std::vector<BYTE> bytes;
        DWORD type;
    };
    const Case cases[] = {{"nothing stored", {}, REG_NONE},
                          {"120 bytes", longer, REG_BINARY},
                          {"64 bytes", shorter, REG_BINARY},
                          {"a REG_DWORD", Bytes(user), REG_DWORD},
                          {"version 4", Bytes(oldVersion), REG_BINARY},
                          {"a bare DWORD", dword, REG_DWORD}};
    for (const Case &c : cases) {
        standin::spooler::RemoveData(u"KestrelBT", u"OrvoPrinterData");
        if (c.type != REG_NONE)
            StoreRecord(u"KestrelBT", c.bytes.data(), c.bytes.size(), c.type);
        context.nReads = 0;
        ReadWriteSettings(&context, FALSE);
        EXPECT_EQ(Bytes(context.Settings), Bytes(Defaults())) << c.what;
        EXPECT_EQ(context.nReads, 1u) << c.what;
        EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(Defaults())) << c.what << ": the defaults are stored";
    }
}

// Reading cuts the speed but repairs nothing in storage; the write stores
// the sheet's copy, cut speed included, and the reserved fields as zero.
TEST_F(SettingsTest, SpeedIsCutOnReadingButNotInStorage)
{
    REGSTRUCT stored = Defaults();
    stored.Speed = 5;  // above the fastest, 4
    stored.Density = 9;
    for (LONG &reserved : stored.Reserved)
        reserved = 0x55;
    StoreRecord(u"KestrelBT", &stored, sizeof(stored));

    ReadWriteSettings(&context, FALSE);
    EXPECT_EQ(context.Settings.Speed, 4);
    EXPECT_EQ(context.Settings.Density, 9);
    EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(stored));

    // Later reads only count.
    context.Settings.Density = 1;
    ReadWriteSettings(&context, FALSE);
    EXPECT_EQ(context.nReads, 2u);
    EXPECT_EQ(context.Settings.Density, 1);

    ReadWriteSettings(&context, TRUE);
    REGSTRUCT expected = Defaults();
    expected.Speed = 4;
    expected.Density = 1;
    EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(expected));
}

TEST_F(SettingsTest, WriteWaitsForTheLastPendingPage)
{
    ReadWriteSettings(&context, FALSE);
    context.Settings.Mirror = 1;
    for (BYTE pending : {PENDING_GRAPHICS, PENDING_OTHER, PENDING_PAGESETUP}) {
        gPendingPages = pending;
        ReadWriteSettings(&context, TRUE);
        EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(Defaults()));
    }
    gPendingPages = 0;
    ReadWriteSettings(&context, TRUE);
    EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(context.Settings));
}

// A failed read (no full access, the spooler's error) leaves the copy unread and the record stored; a
// copy never read is never stored; the next page's read takes the user's settings.
TEST_F(SettingsTest, AFailedReadKeepsTheUsersSettings)
{
    REGSTRUCT user = Defaults();
    user.Contrast = 14;
    user.Unit = 1;
    StoreRecord(u"KestrelBT", &user, sizeof(user));
    for (DWORD error :
         {DWORD(0), DWORD(ERROR_NOT_ENOUGH_MEMORY), DWORD(ERROR_INVALID_HANDLE), DWORD(ERROR_ACCESS_DENIED)}) {
        context.nReads = 0;
        context.Settings = REGSTRUCT{};
        if (error == 0)
            ASSERT_TRUE(standin::spooler::SetRefuseFullAccess(u"KestrelBT", true));
        else
            standin::FailNext("GetPrinterDataW", 1, error);
        ReadWriteSettings(&context, FALSE);
        ASSERT_TRUE(standin::spooler::SetRefuseFullAccess(u"KestrelBT", false));
        EXPECT_EQ(context.nReads, 0u) << error;
        EXPECT_EQ(Bytes(context.Settings), Bytes(REGSTRUCT{})) << error;
        ReadWriteSettings(&context, TRUE);
        EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(user)) << error;
    }
    ReadWriteSettings(&context, FALSE);
    EXPECT_EQ(context.nReads, 1u);
    EXPECT_EQ(Bytes(context.Settings), Bytes(user));
}

// Five attempts in all: four refusals still store the record, five give
// up, and a spooler that never takes it leaves the old one.
TEST_F(SettingsTest, FailingStoreIsRetriedThenGivenUp)
{
    ReadWriteSettings(&context, FALSE);
    for (auto [refusals, stored] : {std::pair{2, true}, {4, true}, {5, false}, {-1, false}}) {
        REGSTRUCT before = Stored(u"KestrelBT");
        context.Settings.Chain = !before.Chain;
        standin::FailNext("SetPrinterDataW", refusals, ERROR_ACCESS_DENIED);
        ReadWriteSettings(&context, TRUE);
        standin::ClearFaults();
        EXPECT_EQ(Stored(u"KestrelBT").Chain, stored ? context.Settings.Chain : before.Chain) << refusals;
    }
}

// Installing stores the defaults over the user's record; a spooler that
// refuses the value leaves it, and the event succeeds all the same (a
// printer without full access: the host's install command).
TEST_F(SettingsTest, InstallStoresTheDefaults)
{
    REGSTRUCT user = Defaults();
    user.Contrast = 15;
    user.Unit = 1;
    IClassFactory *factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
    IPrintOemUI *ui = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&ui)), S_OK);
    factory->Release();
    WCHAR name[] = TEXT("KestrelBT");
    for (bool refused : {false, true}) {
        StoreRecord(u"KestrelBT", &user, sizeof(user));
        if (refused)
            standin::FailNext("SetPrinterDataW", 1, ERROR_ACCESS_DENIED);
        EXPECT_EQ(ui->PrinterEvent(name, PRINTER_EVENT_INITIALIZE, 0, 0), S_OK);
        EXPECT_EQ(StoredRecord(u"KestrelBT"), Bytes(refused ? user : Defaults()));
    }
    ui->Release();
}

}  // namespace
