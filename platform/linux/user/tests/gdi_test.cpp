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
    EXPECT_EQ(ds.dsBm.bmType, 0);
    EXPECT_EQ(ds.dsBm.bmWidth, 64);
    EXPECT_EQ(ds.dsBm.bmHeight, 64);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 64);
    EXPECT_EQ(ds.dsBm.bmPlanes, 1);
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

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<RGBQUAD> table(colours);
    EXPECT_EQ(GetDIBColorTable(dc, 0, colours, table.data()), colours);
    EXPECT_EQ(std::memcmp(table.data(), res + header, 4 * colours), 0);
    // The pixel at the top left is the first one of the last stored row.
    const RGBQUAD &q = table[rows[63 * 64]];
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    EXPECT_FALSE(DeleteObject(bitmap)) << "still selected into a DC";
    SelectObject(dc, old);
    DeleteDC(dc);
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

    // Without LR_CREATEDIBSECTION the platform gives a bitmap of the screen's
    // depth whose bits the caller cannot reach; the colours are the same.
    HBITMAP ddb = Load(IDB_EFFECT_SAMPLE, 0);
    BITMAP device{};
    GetObjectW(ddb, sizeof device, &device);
    EXPECT_EQ(device.bmBits, nullptr);
    EXPECT_EQ(device.bmBitsPixel, 32);
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectW(ddb, sizeof ds, &ds), int(sizeof(BITMAP))) << "no DIBSECTION for a device bitmap";
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HGDIOBJ oldA = SelectObject(a, dib), oldB = SelectObject(b, ddb);
    for (POINT p : {POINT{0, 0}, POINT{99, 0}, POINT{50, 50}, POINT{0, 100}})
        EXPECT_EQ(GetPixel(a, p.x, p.y), GetPixel(b, p.x, p.y)) << p.x << "," << p.y;
    const BYTE *top = res + 40 + 300 * 100;  // the last stored row is the top one
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(top[2], top[1], top[0]));
    SelectObject(a, oldA);
    SelectObject(b, oldB);
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(dib);
    DeleteObject(ddb);
}

TEST_F(GdiTest, MissingBitmapsAndFaultsLeaveNothingBehind)
{
    long start = standin::GetCounters().gdiObjects;
    SetLastError(kMagic);
    EXPECT_EQ(Load(999), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)) << "the resource part's error";
    standin::FailNext("LoadImageW", 1, ERROR_OUTOFMEMORY);
    EXPECT_RESULT_AND_ERROR(Load(IDB_PORTRAIT), nullptr, ERROR_OUTOFMEMORY);
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
    HBITMAP next = Load(IDB_PORTRAIT);
    EXPECT_NE(next, nullptr) << "only one call was to fail";
    EXPECT_EQ(standin::GetCounters().gdiObjects, start + 1);
    DeleteObject(next);
    SetLastError(kMagic);
    EXPECT_EQ(LoadImageW(Module(), MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND)) << "the module has no icons";
}

TEST_F(GdiTest, StockObjectsAreNotCountedAndNeverDeleted)
{
    long start = standin::GetCounters().gdiObjects;
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_TRUE(DeleteObject(face));
    EXPECT_EQ(GetObjectType(white), DWORD(OBJ_BRUSH));
    LOGBRUSH lb{};
    GetObjectW(face, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);

    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start + 1);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_FAILS_WITH(DeleteObject(red), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
}

TEST_F(GdiTest, MemoryDcsDrawAndCompatibleBitmapsFollowTheirDc)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
    BITMAP bm{};
    GetObjectW(mono, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1) << "a fresh memory DC holds a monochrome bitmap";
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 8, 8);
    GetObjectW(colour, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);

    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP topDown = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    DIBSECTION ds{};
    GetObjectW(topDown, sizeof ds, &ds);
    EXPECT_EQ(ds.dsBm.bmHeight, 8);
    EXPECT_EQ(ds.dsBmih.biHeight, -8);
    HGDIOBJ old = SelectObject(dc, colour);
    RECT r{2, 2, 6, 6};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &r, blue);
    HDC other = CreateCompatibleDC(nullptr);
    HGDIOBJ otherOld = SelectObject(other, topDown);
    EXPECT_TRUE(BitBlt(other, 0, 0, 8, 8, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(static_cast<DWORD *>(bits)[3 * 8 + 3], 0x000000FFu) << "blue in the first row is row 0 of a top-down DIB";
    EXPECT_EQ(GetPixel(other, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(other, colour), nullptr) << "a bitmap is selected into one DC at a time";
    SelectObject(other, otherOld);
    SelectObject(dc, old);
    for (HGDIOBJ o : {HGDIOBJ(mono), HGDIOBJ(colour), HGDIOBJ(topDown), HGDIOBJ(blue)})
        EXPECT_TRUE(DeleteObject(o));
    DeleteDC(other);
    DeleteDC(dc);
}

}  // namespace
}  // namespace usertest
