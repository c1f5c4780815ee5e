// Bitmaps from the resources as DIB sections of their own depth, device
// bitmaps, the GDI object count, and drawing between memory DCs.
#include "platform/linux/user/tests/fixture.h"

namespace usertest {
namespace {

class GdiTest : public UserTest {
protected:
    // The resource as stored: header, colour table, bottom-up rows.
    static const BYTE *Resource(int id, size_t *size)
    {
        HRSRC r = FindResourceW(Module(), MAKEINTRESOURCEW(id), RT_BITMAP);
        *size = SizeofResource(Module(), r);
        return static_cast<const BYTE *>(LockResource(LoadResource(Module(), r)));
    }
    static HBITMAP Load(int id, UINT flags = LR_CREATEDIBSECTION)
    {
        return static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
    }
};

TEST_F(GdiTest, EightBitResourcesStayEightBitWithTheirColourTable)
{
    HBITMAP bitmap = Load(IDB_LANDSCAPE);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 64);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 64);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 8);
    ASSERT_NE(ds.dsBm.bmBits, nullptr);
    EXPECT_EQ(ds.dsBmih.biHeight, 64) << "bottom-up, as in the resource";

    size_t size;
    const BYTE *res = Resource(IDB_LANDSCAPE, &size);
    DWORD header, used;
    std::memcpy(&header, res, 4);
    std::memcpy(&used, res + 32, 4);
    DWORD colours = used ? used : 256;
    EXPECT_EQ(ds.dsBmih.biClrUsed, colours);
    const BYTE *rows = res + header + 4 * colours;
    EXPECT_EQ(std::memcmp(ds.dsBm.bmBits, rows, 64 * 64), 0) << "the rows as stored, bottom row first";
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(GdiTest, TwentyFourBitResourcesAndDeviceBitmaps)
{
    HBITMAP dib = Load(IDB_EFFECT_SAMPLE);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(dib, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 100);
    EXPECT_EQ(bm.bmHeight, 101);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmWidthBytes, 300) << "DWORD-aligned rows of 3 bytes a pixel";
    size_t size;
    const BYTE *res = Resource(IDB_EFFECT_SAMPLE, &size);
    EXPECT_EQ(std::memcmp(bm.bmBits, res + 40, 300 * 101), 0);
    DeleteObject(dib);
}

TEST_F(GdiTest, MissingBitmapsAndFaultsLeaveNothingBehind)
{
    long start = standin::GetCounters().gdiObjects;
    EXPECT_RESULT_AND_ERROR(Load(999), nullptr, ERROR_RESOURCE_NAME_NOT_FOUND);
    standin::FailNext("LoadImageW", 1, ERROR_OUTOFMEMORY);
    EXPECT_RESULT_AND_ERROR(Load(IDB_PORTRAIT), nullptr, ERROR_OUTOFMEMORY);
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
    HBITMAP next = Load(IDB_PORTRAIT);
    EXPECT_NE(next, nullptr) << "only one call was to fail";
    EXPECT_EQ(standin::GetCounters().gdiObjects, start + 1);
    DeleteObject(next);
}

}  // namespace
}  // namespace usertest
