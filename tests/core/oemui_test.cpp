#include "src/core/intrface.h"
#include "tests/support/fakes.h"

#include <cstring>

namespace {

class OemUiTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        IClassFactory *factory = nullptr;
        ASSERT_EQ(DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&ui)), S_OK);
        factory->Release();
        ClearDebug();
    }
    void TearDown() override
    {
        if (ui != nullptr) {
            EXPECT_EQ(ui->Release(), 0u);
        }
        PluginTest::TearDown();
    }

    IPrintOemUI *ui = nullptr;
};

constexpr DWORD kMagic = 0xDEADBEEF;

TEST_F(OemUiTest, GetInfoModes)
{
    DWORD value[2] = {kMagic, kMagic};
    DWORD needed = kMagic;

    // The answers themselves: the Wine smoke and the host's info command.
    ASSERT_EQ(ui->GetInfo(OEMGI_GETSIGNATURE, value, sizeof(value), &needed), S_OK);
    EXPECT_EQ(value[1], kMagic) << "only the first four bytes belong to the answer";

    // Unknown mode: refused before the needed size is touched.
    needed = kMagic;
    EXPECT_RESULT_AND_ERROR(ui->GetInfo(OEMGI_GETINTERFACEVERSION, value, 4, &needed), E_FAIL, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(needed, kMagic);

    // Helper interfaces: the buffer is checked first.
    EXPECT_RESULT_AND_ERROR(ui->GetInfo(OEMGI_GETREQUESTEDHELPERINTERFACES, value, 2, &needed), E_FAIL,
                            ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, 4u);
    EXPECT_RESULT_AND_ERROR(ui->GetInfo(OEMGI_GETREQUESTEDHELPERINTERFACES, value, 4, &needed), E_FAIL,
                            ERROR_NOT_SUPPORTED);
    EXPECT_EQ(needed, 0u);

    EXPECT_RESULT_AND_ERROR(ui->GetInfo(OEMGI_GETSIGNATURE, nullptr, 4, &needed), E_FAIL, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, 4u);

    EXPECT_RESULT_AND_ERROR(ui->GetInfo(OEMGI_GETSIGNATURE, value, 4, nullptr), E_FAIL, ERROR_INVALID_PARAMETER);
}

TEST_F(OemUiTest, QueryColorProfileNeeds32Bytes)
{
    BYTE buffer[64];
    std::memset(buffer, 0xCC, sizeof(buffer));
    ULONG size = 32;
    FLONG flags = 0;
    ASSERT_EQ(ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buffer, &size, &flags),
              S_OK);
    EXPECT_EQ(size, 32u);
    EXPECT_EQ(flags, static_cast<FLONG>(QCP_PROFILEDISK));
    EXPECT_EQ(std::memcmp(buffer, TEXT("OEMPROFILE.icm"), 15 * sizeof(WCHAR)), 0);
    EXPECT_EQ(buffer[32], 0xCC) << "nothing written past the given size";

    size = 31;
    flags = 0;
    SetLastError(kMagicDead);
    EXPECT_EQ(ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buffer, &size, &flags),
              E_FAIL);
    EXPECT_EQ(size, 32u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    size = 64;
    EXPECT_RESULT_AND_ERROR(
        ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, nullptr, &size, &flags), E_FAIL,
        ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 32u);

    // Another query mode: nothing written at all.
    size = 64;
    EXPECT_EQ(ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_SOURCEPROFILE + 1, buffer, &size, &flags),
              E_FAIL);
    EXPECT_EQ(size, 64u);

    // No size to read: refused, not dereferenced.
    EXPECT_RESULT_AND_ERROR(
        ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buffer, nullptr, &flags), E_FAIL,
        ERROR_INVALID_PARAMETER);
}

TEST_F(OemUiTest, PublishDriverInterfaceKeepsTheFirstHelper)
{
    FakeDriverUI first, second;
    FakeUnknown other;

    EXPECT_EQ(ui->PublishDriverInterface(&other), E_FAIL);
    EXPECT_EQ(ui->PublishDriverInterface(nullptr), E_FAIL);
    EXPECT_EQ(ui->PublishDriverInterface(&first), S_OK);
    EXPECT_EQ(first.refs, 2);
    EXPECT_EQ(ui->PublishDriverInterface(&second), S_OK);
    EXPECT_EQ(second.queries, 0);
    EXPECT_EQ(second.refs, 1);

    // The reference goes with the object.
    EXPECT_EQ(ui->Release(), 0u);
    ui = nullptr;
    EXPECT_EQ(first.refs, 1);
}

// Every event succeeds; the printer is named to the debugger on install
// and when it comes back online, never otherwise.
TEST_F(OemUiTest, PrinterEventsNameThePrinterOnlyOnInstallAndBackOnline)
{
    PRINTER_EVENT_ATTRIBUTES_INFO online = {sizeof(online), PRINTER_ATTRIBUTE_WORK_OFFLINE | 0x40, 0x40};
    PRINTER_EVENT_ATTRIBUTES_INFO offline = {sizeof(offline), 0x40, PRINTER_ATTRIBUTE_WORK_OFFLINE};
    PRINTER_EVENT_ATTRIBUTES_INFO stays = {sizeof(stays), 0x40, 0x40 | PRINTER_ATTRIBUTE_SHARED};
    const struct {
        INT event;
        const PRINTER_EVENT_ATTRIBUTES_INFO *info;
        bool named;
    } cases[] = {
        {PRINTER_EVENT_INITIALIZE, nullptr, true},           {PRINTER_EVENT_ATTRIBUTES_CHANGED, &online, true},
        {PRINTER_EVENT_ATTRIBUTES_CHANGED, &offline, false}, {PRINTER_EVENT_ATTRIBUTES_CHANGED, &stays, false},
        {PRINTER_EVENT_ATTRIBUTES_CHANGED, nullptr, false},  {PRINTER_EVENT_DELETE, nullptr, false},
    };
    WCHAR name[] = TEXT("KestrelBT");
    for (const auto &c : cases) {
        ClearDebug();
        EXPECT_EQ(ui->PrinterEvent(name, c.event, 0, reinterpret_cast<LPARAM>(c.info)), S_OK);
        EXPECT_EQ(Debug().find("KestrelBTKestrelBT") != std::string::npos, c.named) << c.event << "\n" << Debug();
    }
}

}  // namespace
