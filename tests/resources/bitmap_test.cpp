// The bitmaps in the compiled resources, read as the plug-in reads them
// (FindResourceW with RT_BITMAP: a BITMAPINFOHEADER, the palette, the rows).
#include "platform/linux/res/res.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/res_blob.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The bitmaps by size and colour depth.
const struct Size {
    int width, height, bits;
    std::vector<int> ids;
} kSizes[] = {
    {100,
     101,
     8,
     {IDB_SAMPLE_ORIGINAL, IDB_DITHER_ORDERED_LOW, IDB_DITHER_ORDERED_MIDDLE, IDB_DITHER_ORDERED_HIGH,
      IDB_DITHER_NONE_LOW, IDB_DITHER_NONE_MIDDLE, IDB_DITHER_NONE_HIGH, IDB_DITHER_DIFFUSION_LOW,
      IDB_DITHER_DIFFUSION_MIDDLE, IDB_DITHER_DIFFUSION_HIGH}},
    {64, 64, 8, {IDB_LANDSCAPE, IDB_PORTRAIT}},
    {100, 101, 24, {IDB_EFFECT_SAMPLE}},
    {395,
     86,
     8,
     {IDB_SPECIAL_TAPE, IDB_SPECIAL_TAPE_MIRROR, IDB_OPTION_CHAIN, IDB_OPTION_CHAIN_MIRROR, IDB_OPTION_CHAIN_HALFCUT,
      IDB_OPTION_CHAIN_HALFCUT_MIRROR, IDB_OPTION_AUTOCUT_CHAIN, IDB_OPTION_AUTOCUT_CHAIN_MIRROR,
      IDB_OPTION_AUTOCUT_CHAIN_HALFCUT, IDB_OPTION_AUTOCUT_CHAIN_HALFCUT_MIRROR}},
    {395,
     103,
     8,
     {IDB_OPTION_HALFCUT, IDB_OPTION_NONE, IDB_OPTION_MIRROR, IDB_OPTION_HALFCUT_MIRROR, IDB_OPTION_AUTOCUT,
      IDB_OPTION_AUTOCUT_MIRROR, IDB_OPTION_AUTOCUT_HALFCUT, IDB_OPTION_AUTOCUT_HALFCUT_MIRROR}},
    {16, 16, 24, {IDB_WARNING, IDB_BLANK}},
};

uint32_t U32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// A bitmap resource: BITMAPINFOHEADER, palette, bottom-up rows.
struct Dib {
    const uint8_t *data = nullptr;
    size_t size = 0;
    int width() const { return int(U32(data + 4)); }
    int height() const { return int(U32(data + 8)); }
    int bits() const { return U16(data + 14); }
    uint32_t colours() const { return U32(data + 32); }
    size_t stride() const { return size_t((width() * bits() + 31) / 32 * 4); }
    const uint8_t *palette() const { return data + U32(data); }
    const uint8_t *rows() const { return palette() + 4 * colours(); }
    std::vector<uint8_t> pixels() const { return std::vector<uint8_t>(rows(), rows() + stride() * size_t(height())); }
};

class BitmapTest : public standin_testing::LeakCheckTest {
protected:
    static void SetUpTestSuite() { module_ = RegisterPluginResources(); }
    static void TearDownTestSuite() { standin::UnregisterModule(module_); }
    void SetUp() override
    {
        ASSERT_NE(module_, nullptr);
        LeakCheckTest::SetUp();
    }

    static Dib Load(int id)
    {
        Dib dib;
        HRSRC res = FindResourceW(module_, MAKEINTRESOURCEW(id), RT_BITMAP);
        if (!res)
            return dib;
        dib.data = static_cast<const uint8_t *>(LockResource(LoadResource(module_, res)));
        dib.size = SizeofResource(module_, res);
        return dib;
    }
    static HINSTANCE module_;
};
HINSTANCE BitmapTest::module_ = nullptr;

// Each bitmap as an uncompressed bottom-up DIB of its size whose pixels name
// colours of its palette; no two of the same size are alike, each picture
// standing for one choice.
TEST_F(BitmapTest, EveryBitmapHasItsSizeAndFormat)
{
    for (const Size &s : kSizes) {
        for (size_t i = 0; i < s.ids.size(); ++i) {
            SCOPED_TRACE("bitmap " + std::to_string(s.ids[i]));
            Dib dib = Load(s.ids[i]);
            ASSERT_NE(dib.data, nullptr);
            ASSERT_GE(dib.size, 40u);
            // biSize, biWidth, biHeight (positive: bottom-up), biPlanes, biBitCount, BI_RGB.
            EXPECT_EQ(std::vector<long>({long(U32(dib.data)), dib.width(), dib.height(), U16(dib.data + 12), dib.bits(),
                                         long(U32(dib.data + 16))}),
                      std::vector<long>({40, s.width, s.height, 1, s.bits, 0}));
            EXPECT_TRUE(s.bits == 8 ? dib.colours() >= 2 && dib.colours() <= 256 : dib.colours() == 0);
            ASSERT_EQ(dib.size, 40 + 4 * dib.colours() + dib.stride() * size_t(s.height));
            auto px = dib.pixels();
            for (int y = 0; s.bits == 8 && y < s.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    ASSERT_LT(px[dib.stride() * y + x], dib.colours());
            for (size_t j = i + 1; j < s.ids.size(); ++j)
                EXPECT_NE(px, Load(s.ids[j]).pixels()) << s.ids[j];
        }
    }
}

}  // namespace
