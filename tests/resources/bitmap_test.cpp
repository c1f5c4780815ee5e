// The bitmaps in the compiled resources, read as the plug-in reads them
// (FindResourceW with RT_BITMAP: a BITMAPINFOHEADER, the palette, the rows).
#include "platform/linux/res/res.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/res_blob.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Expected {
    int id;
    const char *file;  // the generator's output file
    int width, height, bits;
};

const Expected kBitmaps[] = {
    {IDB_SAMPLE_ORIGINAL, "sample_original.bmp", 100, 101, 8},
    {IDB_DITHER_ORDERED_LOW, "dither_ordered_low.bmp", 100, 101, 8},
    {IDB_DITHER_ORDERED_MIDDLE, "dither_ordered_middle.bmp", 100, 101, 8},
    {IDB_DITHER_ORDERED_HIGH, "dither_ordered_high.bmp", 100, 101, 8},
    {IDB_DITHER_NONE_LOW, "dither_none_low.bmp", 100, 101, 8},
    {IDB_DITHER_NONE_MIDDLE, "dither_none_middle.bmp", 100, 101, 8},
    {IDB_DITHER_NONE_HIGH, "dither_none_high.bmp", 100, 101, 8},
    {IDB_DITHER_DIFFUSION_LOW, "dither_diffusion_low.bmp", 100, 101, 8},
    {IDB_DITHER_DIFFUSION_MIDDLE, "dither_diffusion_middle.bmp", 100, 101, 8},
    {IDB_DITHER_DIFFUSION_HIGH, "dither_diffusion_high.bmp", 100, 101, 8},
    {IDB_LANDSCAPE, "landscape.bmp", 64, 64, 8},
    {IDB_PORTRAIT, "portrait.bmp", 64, 64, 8},
    {IDB_EFFECT_SAMPLE, "effect_sample.bmp", 100, 101, 24},
    {IDB_SPECIAL_TAPE, "special_tape.bmp", 395, 86, 8},
    {IDB_SPECIAL_TAPE_MIRROR, "special_tape_mirror.bmp", 395, 86, 8},
    {IDB_OPTION_HALFCUT, "option_halfcut.bmp", 395, 103, 8},
    {IDB_OPTION_NONE, "option_none.bmp", 395, 103, 8},
    {IDB_OPTION_MIRROR, "option_mirror.bmp", 395, 103, 8},
    {IDB_OPTION_HALFCUT_MIRROR, "option_halfcut_mirror.bmp", 395, 103, 8},
    {IDB_OPTION_CHAIN, "option_chain.bmp", 395, 86, 8},
    {IDB_OPTION_CHAIN_MIRROR, "option_chain_mirror.bmp", 395, 86, 8},
    {IDB_OPTION_CHAIN_HALFCUT, "option_chain_halfcut.bmp", 395, 86, 8},
    {IDB_OPTION_CHAIN_HALFCUT_MIRROR, "option_chain_halfcut_mirror.bmp", 395, 86, 8},
    {IDB_OPTION_AUTOCUT, "option_autocut.bmp", 395, 103, 8},
    {IDB_OPTION_AUTOCUT_MIRROR, "option_autocut_mirror.bmp", 395, 103, 8},
    {IDB_OPTION_AUTOCUT_HALFCUT, "option_autocut_halfcut.bmp", 395, 103, 8},
    {IDB_OPTION_AUTOCUT_HALFCUT_MIRROR, "option_autocut_halfcut_mirror.bmp", 395, 103, 8},
    {IDB_OPTION_AUTOCUT_CHAIN, "option_autocut_chain.bmp", 395, 86, 8},
    {IDB_OPTION_AUTOCUT_CHAIN_MIRROR, "option_autocut_chain_mirror.bmp", 395, 86, 8},
    {IDB_OPTION_AUTOCUT_CHAIN_HALFCUT, "option_autocut_chain_halfcut.bmp", 395, 86, 8},
    {IDB_OPTION_AUTOCUT_CHAIN_HALFCUT_MIRROR, "option_autocut_chain_halfcut_mirror.bmp", 395, 86, 8},
    {IDB_WARNING, "warning.bmp", 16, 16, 24},
    {IDB_BLANK, "blank.bmp", 16, 16, 24},
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
    // The grey level (0..255) of pixel (x, y), y counted from the top.
    int Grey(int x, int y) const
    {
        const uint8_t *row = rows() + stride() * size_t(height() - 1 - y);
        const uint8_t *c = bits() == 8 ? palette() + 4 * row[x] : row + 3 * x;
        return (c[0] + c[1] + c[2]) / 3;
    }
    double MeanGrey() const
    {
        double sum = 0;
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                sum += Grey(x, y);
        return sum / (width() * height());
    }
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

TEST_F(BitmapTest, EveryBitmapHasItsSizeAndFormat)
{
    for (const Expected &e : kBitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(e.id));
        Dib dib = Load(e.id);
        ASSERT_NE(dib.data, nullptr);
        // Language-neutral, once: every language of the UI finds it.
        WORD langs[4] = {0xFFFF};
        EXPECT_EQ(standin::ResourceLanguages(module_, RT_BITMAP, MAKEINTRESOURCEW(e.id), langs, 4), 1u);
        EXPECT_EQ(langs[0], 0);
        ASSERT_GE(dib.size, 40u);
        EXPECT_EQ(U32(dib.data), 40u);  // biSize: a BITMAPINFOHEADER
        EXPECT_EQ(dib.width(), e.width);
        EXPECT_EQ(dib.height(), e.height);  // positive: bottom-up rows
        EXPECT_EQ(U16(dib.data + 12), 1);   // biPlanes
        EXPECT_EQ(dib.bits(), e.bits);
        EXPECT_EQ(U32(dib.data + 16), 0u);  // BI_RGB
        if (e.bits == 8) {
            EXPECT_GE(dib.colours(), 2u);
            EXPECT_LE(dib.colours(), 256u);
        } else {
            EXPECT_EQ(dib.colours(), 0u);
        }
        EXPECT_EQ(dib.size, 40 + 4 * dib.colours() + dib.stride() * size_t(e.height));
        if (e.bits == 8) {
            auto px = dib.pixels();
            for (int y = 0; y < e.height; ++y)
                for (int x = 0; x < e.width; ++x)
                    ASSERT_LT(px[dib.stride() * y + x], dib.colours());
        }
    }
}

// Each picture stands for one choice: no two of the same size are alike.
TEST_F(BitmapTest, PicturesAreAllDifferent)
{
    for (size_t i = 0; i < std::size(kBitmaps); ++i)
        for (size_t j = i + 1; j < std::size(kBitmaps); ++j) {
            Dib a = Load(kBitmaps[i].id), b = Load(kBitmaps[j].id);
            if (a.width() != b.width() || a.height() != b.height())
                continue;
            EXPECT_NE(a.pixels(), b.pixels()) << kBitmaps[i].id << " and " << kBitmaps[j].id;
        }
}

// The renderings are black and white dots; low is the darkest, high the lightest.
TEST_F(BitmapTest, RenderingsAreDotsFromDarkToLight)
{
    const int levels[][3] = {{IDB_DITHER_NONE_LOW, IDB_DITHER_NONE_MIDDLE, IDB_DITHER_NONE_HIGH},
                             {IDB_DITHER_ORDERED_LOW, IDB_DITHER_ORDERED_MIDDLE, IDB_DITHER_ORDERED_HIGH},
                             {IDB_DITHER_DIFFUSION_LOW, IDB_DITHER_DIFFUSION_MIDDLE, IDB_DITHER_DIFFUSION_HIGH}};
    for (auto &mode : levels) {
        double previous = -1;
        for (int id : mode) {
            SCOPED_TRACE("bitmap " + std::to_string(id));
            Dib dib = Load(id);
            ASSERT_NE(dib.data, nullptr);
            for (int y = 0; y < dib.height(); ++y)
                for (int x = 0; x < dib.width(); ++x) {
                    int g = dib.Grey(x, y);
                    ASSERT_TRUE(g == 0 || g == 255) << x << "," << y;
                }
            double mean = dib.MeanGrey();
            EXPECT_GT(mean, previous + 10);
            previous = mean;
        }
    }
    // Dithering keeps the middle tones: the ordered and diffused renderings
    // at the middle level are about as light as the sample.
    double sample = Load(IDB_SAMPLE_ORIGINAL).MeanGrey();
    EXPECT_NEAR(Load(IDB_DITHER_ORDERED_MIDDLE).MeanGrey(), sample, 12);
    EXPECT_NEAR(Load(IDB_DITHER_DIFFUSION_MIDDLE).MeanGrey(), sample, 12);
}

// The brightness preview is a colour picture, not grey.
TEST_F(BitmapTest, EffectSampleHasColour)
{
    Dib dib = Load(IDB_EFFECT_SAMPLE);
    ASSERT_NE(dib.data, nullptr);
    int coloured = 0;
    for (int y = 0; y < dib.height(); ++y) {
        const uint8_t *row = dib.rows() + dib.stride() * size_t(y);
        for (int x = 0; x < dib.width(); ++x)
            coloured += row[3 * x] != row[3 * x + 1] || row[3 * x + 1] != row[3 * x + 2];
    }
    EXPECT_GT(coloured, dib.width() * dib.height() / 2);
}

// A fresh run of the generator writes the very bytes the build embedded.
TEST_F(BitmapTest, GeneratorIsDeterministic)
{
    char dir[] = "/tmp/bmpgen_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string command = std::string("'") + ORVOUI_BMPGEN + "' '" + dir + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Expected &e : kBitmaps) {
        SCOPED_TRACE(e.file);
        std::string path = std::string(dir) + "/" + e.file;
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        std::remove(path.c_str());
        ASSERT_GT(file.size(), 14u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(U32(&file[2]), file.size());
        Dib dib = Load(e.id);
        ASSERT_NE(dib.data, nullptr);
        EXPECT_EQ(U32(&file[10]), 14 + 40 + 4 * dib.colours());  // bfOffBits
        EXPECT_TRUE(std::vector<uint8_t>(file.begin() + 14, file.end()) ==
                    std::vector<uint8_t>(dib.data, dib.data + dib.size));
    }
    rmdir(dir);
}

}  // namespace
