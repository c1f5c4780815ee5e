#include "src/core/intrface.h"
#include "src/settings/devmode.h"
#include "tests/support/fixture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using DevModeTest = PluginTest;

constexpr LONG kUntouched = 0x5A5A5A5A;

OEMDEV FilledRecord(LONG fill)
{
    OEMDEV record;
    std::fill_n(reinterpret_cast<LONG *>(&record), sizeof(record) / sizeof(LONG), fill);
    return record;
}

OEMDEV DefaultRecord()
{
    OEMDEV record = FilledRecord(kUntouched);
    SetDefaultOEMDev(&record);
    return record;
}

// A user's record: settings, an option item and a pending paper of its own.
OEMDEV UserRecord()
{
    OEMDEV record = DefaultRecord();
    record.Speed = 2, record.Density = 12, record.Rotate = 3, record.Mirror = 1, record.iQuality = 2;
    record.dwDriverData = 7, record.standardPaperSizeChoose = 4;
    return record;
}

HRESULT CallDevMode(DWORD mode, const OEMDEV *in, OEMDEV *out, OEMDMPARAM *param = nullptr)
{
    OEMDMPARAM local = {};
    OEMDMPARAM &p = param != nullptr ? *param : local;
    p.cbSize = sizeof(p);
    p.pOEMDMIn = const_cast<OEMDEV *>(in);
    p.pOEMDMOut = out;
    p.cbBufSize = sizeof(OEMDEV);
    return hrOEMDevMode(mode, &p);
}

// The record byte for byte: the header ("TFSM" in memory order), then the
// option item, the driver's three pending selections (left as the buffer
// held them), then the twenty job settings from Speed to iQuality.
TEST_F(DevModeTest, SizeAndDefaults)
{
    OEMDMPARAM param = {};
    ASSERT_EQ(CallDevMode(OEMDM_SIZE, nullptr, nullptr, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, 108u);

    OEMDEV out = FilledRecord(kUntouched);
    ASSERT_EQ(CallDevMode(OEMDM_DEFAULT, nullptr, &out), S_OK);
    const LONG k = kUntouched;
    const LONG expected[] = {108, 0x4D534654, 3, 0, k, k, k, 4, 8, 0, 0, 1, 0, 3,
                             0,   0,          0, 0, 0, 2, 6, 0, 0, 0, 0, 0, 0};
    static_assert(sizeof(expected) == sizeof(OEMDEV));
    EXPECT_EQ(std::memcmp(&out, expected, sizeof(out)), 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<BYTE *>(&out) + 4, "TFSM", 4), 0);
}

TEST_F(DevModeTest, MergeTakesWhatTheInputHas)
{
    // A whole record of ours comes through; the pending fields with it.
    OEMDEV in = UserRecord();
    OEMDEV out = DefaultRecord();
    ASSERT_EQ(CallDevMode(OEMDM_MERGE, &in, &out), S_OK);
    EXPECT_EQ(std::memcmp(&in, &out, sizeof(OEMDEV)), 0);

    // A longer record of a later version, at an odd address as other
    // plug-ins' parts before ours leave it: cut to ours, nothing written past.
    in.dmOEMExtra.dwSize = sizeof(OEMDEV) + 16;
    in.dmOEMExtra.dwVersion = 4;
    alignas(8) BYTE inBytes[1 + sizeof(OEMDEV) + 16], outBytes[3 + sizeof(OEMDEV) + 1];
    std::memset(inBytes, 9, sizeof(inBytes));
    std::memcpy(inBytes + 1, &in, sizeof(in));
    OEMDEV defaults = DefaultRecord();
    std::memcpy(outBytes + 3, &defaults, sizeof(defaults));
    outBytes[3 + sizeof(OEMDEV)] = 0xEE;
    ASSERT_EQ(CallDevMode(OEMDM_MERGE, reinterpret_cast<const OEMDEV *>(inBytes + 1),
                          reinterpret_cast<OEMDEV *>(outBytes + 3)),
              S_OK);
    in.dmOEMExtra.dwSize = sizeof(OEMDEV);
    in.dmOEMExtra.dwVersion = 3;
    EXPECT_EQ(std::memcmp(outBytes + 3, &in, sizeof(in)), 0);
    EXPECT_EQ(outBytes[3 + sizeof(OEMDEV)], 0xEE);
}

// Convert and merge alike: a foreign record gives the defaults (the
// pending selections kept); an older, shorter one keeps the defaults in its
// missing tail and comes out as a whole record of today's size.
TEST_F(DevModeTest, ForeignOrShorterRecordsGiveTheDefaults)
{
    OEMDEV foreign = UserRecord(), shorter = UserRecord();
    foreign.dmOEMExtra.dwSignature = 0x12345678;
    shorter.dmOEMExtra.dwSize = offsetof(OEMDEV, Density);
    for (DWORD mode : {OEMDM_CONVERT, OEMDM_MERGE}) {
        OEMDEV out = DefaultRecord(), expected = DefaultRecord();
        out.standardOrientationChoose = expected.standardOrientationChoose = 1;
        ASSERT_EQ(CallDevMode(mode, &foreign, &out), S_OK);
        EXPECT_EQ(std::memcmp(&out, &expected, sizeof(out)), 0) << mode;
        out = FilledRecord(kUntouched), out.dmOEMExtra = expected.dmOEMExtra;  // the tail is not what was there
        ASSERT_EQ(CallDevMode(mode, &shorter, &out), S_OK);
        std::memcpy(&expected, &shorter, offsetof(OEMDEV, Density));
        expected.dmOEMExtra.dwSize = sizeof(OEMDEV);
        EXPECT_EQ(std::memcmp(&out, &expected, sizeof(out)), 0) << mode;
    }
}

TEST_F(DevModeTest, MergeBoundsTheOptionItemSelection)
{
    struct Case {
        DWORD in;
        DWORD merged;
        DWORD converted;
    };
    const Case cases[] = {
        {101, 0, 101}, {100, 100, 100}, {DWORD(-5), DWORD(-5), DWORD(-5)}, {0x80000000u, 0x80000000u, 0x80000000u}};
    for (const Case &c : cases) {
        OEMDEV in = UserRecord();
        in.dwDriverData = c.in;
        OEMDEV out = DefaultRecord();
        ASSERT_EQ(CallDevMode(OEMDM_MERGE, &in, &out), S_OK);
        EXPECT_EQ(out.dwDriverData, c.merged) << c.in;
        out = DefaultRecord();
        ASSERT_EQ(CallDevMode(OEMDM_CONVERT, &in, &out), S_OK);
        EXPECT_EQ(out.dwDriverData, c.converted) << c.in;
    }
}

TEST_F(DevModeTest, InvalidCallsWriteNothing)
{
    OEMDEV in = UserRecord();
    OEMDEV out = FilledRecord(kUntouched);
    const OEMDEV before = out;
    for (DWORD mode : {0u, 5u, 0xFFFFFFFFu}) {
        EXPECT_RESULT_AND_ERROR(CallDevMode(mode, &in, &out), E_FAIL, ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(std::memcmp(&out, &before, sizeof(out)), 0);

    EXPECT_RESULT_AND_ERROR(hrOEMDevMode(OEMDM_SIZE, nullptr), E_FAIL, ERROR_INVALID_PARAMETER);
    // Defaults with nowhere to put them are refused, not written through null.
    EXPECT_RESULT_AND_ERROR(CallDevMode(OEMDM_DEFAULT, nullptr, nullptr), E_FAIL, ERROR_INVALID_PARAMETER);

    // Convert and merge without an input record take nothing from it and
    // still succeed; merge makes the output's header valid all the same.
    EXPECT_EQ(CallDevMode(OEMDM_CONVERT, nullptr, &out), S_OK);
    EXPECT_EQ(std::memcmp(&out, &before, sizeof(out)), 0);
    EXPECT_EQ(CallDevMode(OEMDM_MERGE, nullptr, &out), S_OK);
    EXPECT_EQ(out.dmOEMExtra.dwSize, 108u);
    EXPECT_EQ(out.dmOEMExtra.dwSignature, OEMDEV_SIGNATURE);
    EXPECT_EQ(out.dwDriverData, 0u) << "0x5A5A5A5A is above 100";
    EXPECT_EQ(std::memcmp(&out.standardPaperSizeChoose, &before.standardPaperSizeChoose, sizeof(OEMDEV) - 16), 0);
    EXPECT_FALSE(MakeOEMDevmodeValid(nullptr));
}

TEST_F(DevModeTest, RecordInsideAWholeDevmode)
{
    std::vector<BYTE> buffer(PUBLIC_DEVMODE_SIZE + 300);
    auto *devmode = reinterpret_cast<DEVMODEW *>(buffer.data());
    devmode->dmSize = PUBLIC_DEVMODE_SIZE;
    devmode->dmDriverExtra = 300;
    EXPECT_EQ(reinterpret_cast<BYTE *>(FindOEMDevInDevmode(devmode, buffer.size())), buffer.data() + 412);
    // Not enough bytes behind it, a private area smaller than the record, a
    // short public part: no record there.
    EXPECT_EQ(FindOEMDevInDevmode(devmode, buffer.size() - 1), nullptr);
    devmode->dmDriverExtra = 107;
    EXPECT_EQ(FindOEMDevInDevmode(devmode, buffer.size()), nullptr);
    devmode->dmDriverExtra = 108;
    devmode->dmSize = 156;
    EXPECT_EQ(FindOEMDevInDevmode(devmode, buffer.size()), nullptr);
}

}  // namespace
