// The Graphics page: its pictures chosen from the record, the pixel
// operation of the brightness and contrast preview, and the page on the
// windows the host's sheet makes from its template.
#include "resources/resource.h"
#include "src/pages/graphicspage.h"
#include "tests/support/sheet.h"

#include <algorithm>
#include <vector>

namespace {

namespace ui = standin::ui;

// The bytes of a DIB section, row padding included.
std::vector<BYTE> BitsOf(HBITMAP bitmap)
{
    BITMAP bm = {};
    if (GetObjectW(bitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmBits == nullptr)
        return {};
    const BYTE *bits = static_cast<const BYTE *>(bm.bmBits);
    return std::vector<BYTE>(bits, bits + size_t(bm.bmHeight) * size_t(bm.bmWidthBytes));
}

// The sample photograph as the module holds it.
std::vector<BYTE> SampleBits()
{
    HANDLE sample =
        LoadImageW(ghInstance, MAKEINTRESOURCEW(IDB_EFFECT_SAMPLE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    std::vector<BYTE> bits = BitsOf(static_cast<HBITMAP>(sample));
    DeleteObject(sample);
    return bits;
}

BYTE Grey(int blue, int green, int red) { return BYTE((11 * blue + 58 * green + 31 * red) / 100); }

// ---- The rendering picture -------------------------------------------------------

class GraphicsPictureTest : public PluginTest {
protected:
    void SetUp() override
    {
        ghInstance = PluginResources();
        PluginTest::SetUp();
    }

    static int DitherPicture(LONG gray, LONG blackLevel, LONG grayLevel)
    {
        REGSTRUCT record = {};
        record.Gray = gray;
        record.BlackLevel = blackLevel;
        record.GrayLevel = grayLevel;
        HBITMAP bitmap = GetDitherBitmap(record);
        int id = bitmap != nullptr ? ui::BitmapResourceId(bitmap) : 0;
        DeleteObject(bitmap);
        return id;
    }
};

TEST_F(GraphicsPictureTest, EachModeHasItsOwnLevelSteps)
{
    EXPECT_EQ(DitherPicture(3, 2, 6), 0) << "no picture for a mode outside the choices";
    EXPECT_EQ(DitherPicture(-1, 2, 6), 0);
    // Levels 0 to 7: the trackbar's 1..6 and one past each end.
    const int none[] = {184, 184, 185, 185, 185, 186, 186, 186};
    const int ordered[] = {178, 178, 178, 179, 179, 180, 180, 180};
    const int diffusion[] = {190, 190, 190, 191, 191, 192, 192, 192};
    for (LONG level = 0; level <= 7; ++level) {
        // The other mode's level is set far off, so using it would show.
        EXPECT_EQ(DitherPicture(0, level, 99), none[level]) << "None, level " << level;
        EXPECT_EQ(DitherPicture(1, -9, level), ordered[level]) << "Ordered, level " << level;
        EXPECT_EQ(DitherPicture(2, -9, level), diffusion[level]) << "Error Diffusion, level " << level;
    }
}

// ---- The pixel operation ---------------------------------------------------------

// Two pixels in a row of 6 bytes padded to 8. Means: blue (10 + 21) / 2 =
// 15 in integers (15.5 exactly), green 150, red 125. The padding bytes are
// large so that counting them would move the means.
constexpr BYTE kTwoPixels[] = {10, 100, 250, 21, 200, 0, 0xFF, 0xFF};
constexpr BYTE kUntouched = 0xAB, U = kUntouched;

std::vector<BYTE> Adjusted(const std::vector<BYTE> &source, LONG width, LONG height, LONG stride, double offset,
                           double factor)
{
    std::vector<BYTE> out(source.size(), kUntouched);
    AdjustBrightnessContrast(source.data(), out.data(), width, height, stride, offset, factor);
    return out;
}

// Each channel moves around its integer mean by the factor, then by the
// offset, clamped and truncated; rows are read at their stride and their
// padding is not written.
TEST_F(GraphicsPictureTest, PixelsMoveAroundTheIntegerMeans)
{
    const std::vector<BYTE> two(std::begin(kTwoPixels), std::end(kTwoPixels));
    // Three pixels a row, rows 12 bytes apart: blue 0..5 over six pixels,
    // mean 2 (2.5); green mean 15, red 5.
    const std::vector<BYTE> odd = {0, 0, 0, 1, 0, 0, 2, 0,  0,  0xEE, 0xEE, 0xEE,
                                   3, 0, 0, 4, 0, 0, 5, 90, 30, 0xEE, 0xEE, 0xEE};
    struct Case {
        const char *name;
        std::vector<BYTE> source;
        LONG width, height, stride;
        double offset, factor;
        std::vector<BYTE> expected;
    } cases[] = {
        {"brightness 0, contrast 10", two, 2, 1, 8, 0, 1.0, {10, 100, 250, 21, 200, 0, U, U}},
        // Blue 15 - 8 - 7.5 = -0.5 clamps to 0, and 15 - 8 + 9 = 16 (with
        // the exact mean 15.5 it would be 15); red 117 + 187.5 to 255.
        {"brightness -2, contrast 15", two, 2, 1, 8, -8, 1.5, {0, 67, 255, 16, 217, 0, U, U}},
        {"brightness 1, contrast 5", two, 2, 1, 8, 4, 0.5, {16, 129, 191, 22, 179, 66, U, U}},
        {"brightness 5, contrast 10", {235, 240, 250, 0, 19, 100}, 2, 1, 6, 20, 1.0, {255, 255, 255, 20, 39, 120}},
        {"odd width", odd, 3, 2, 12, 0, 2.0, {0, 0, 0, 0, 0, 0, 2, 0,   0,  U, U, U,
                                              4, 0, 0, 6, 0, 0, 8, 165, 55, U, U, U}},
        {"long stride", {10, 20, 30, 0xEE, 30, 40, 50, 0xEE}, 1, 2, 4, 0, 0.0, {20, 30, 40, U, 20, 30, 40, U}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Adjusted(c.source, c.width, c.height, c.stride, c.offset, c.factor), c.expected) << c.name;
}

// Sizes that hold no pixels do nothing; channel sums past 32 bits do not wrap.
TEST_F(GraphicsPictureTest, SizesThatHoldNoPixelsDoNothingAndLargeOnesDoNotWrap)
{
    const std::vector<BYTE> two(std::begin(kTwoPixels), std::end(kTwoPixels)), untouched(two.size(), kUntouched);
    struct Case {
        LONG width, height, stride;
    } cases[] = {
        {0, 1, 8},          {2, 0, 8},  {0, 0, 0},
        {-1, 1, 8},         {2, -1, 8}, {2, 1, 5},  // a row of two pixels needs 6 bytes
        {2, 1, -8},                                 // rows running backwards are not followed
        {0x7FFFFFFF, 1, 8},                         // width x 3 past a 32-bit value
    };
    for (const Case &c : cases)
        EXPECT_EQ(Adjusted(two, c.width, c.height, c.stride, 20, 1.5), untouched)
            << c.width << " x " << c.height << ", stride " << c.stride;
    std::vector<BYTE> out(untouched);
    AdjustBrightnessContrast(nullptr, out.data(), 2, 1, 8, 0, 1.0);
    EXPECT_EQ(out, untouched);
    AdjustBrightnessContrast(kTwoPixels, nullptr, 2, 1, 8, 0, 1.0);

    // 4096 x 4113 white pixels: each channel sums to 4,295,946,240, past
    // 32 bits. With factor 0 every value becomes its mean: 255, where a
    // wrapped sum would give 0.
    const LONG width = 4096, height = 4113, stride = width * 3;
    std::vector<BYTE> bits(size_t(stride) * height, 255);
    AdjustBrightnessContrast(bits.data(), bits.data(), width, height, stride, 0, 0.0);
    EXPECT_EQ(bits.front(), 255);
    EXPECT_EQ(bits.back(), 255);
}

// ---- The brightness and contrast preview -----------------------------------------

TEST_F(GraphicsPictureTest, PreviewIsTheSampleAdjustedThenGrey)
{
    const std::vector<BYTE> sample = SampleBits();
    ASSERT_EQ(sample.size(), 101u * 300u) << "100 x 101 pixels, 24 bits, rows of 300 bytes";
    bool coloured = false;
    for (size_t i = 0; i < sample.size(); i += 3)
        coloured |= sample[i] != sample[i + 1] || sample[i + 1] != sample[i + 2];
    EXPECT_TRUE(coloured) << "the sample is a colour picture";

    // Brightness 0 (contrast 10) leaves the colours, brightness 5 adds 20 to
    // every channel, clamped, before the grey; each call starts again from
    // the resource.
    for (int added : {0, 20, 0}) {
        HBITMAP preview = GetEffectBitmap(added / 4, 10);
        ASSERT_NE(preview, nullptr);
        std::vector<BYTE> bits = BitsOf(preview);
        DeleteObject(preview);
        ASSERT_EQ(bits.size(), sample.size());
        auto up = [&](size_t k) { return std::min(sample[k] + added, 255); };
        for (size_t i = 0; i < bits.size(); ++i) {
            size_t pixel = i - i % 3;
            ASSERT_EQ(bits[i], Grey(up(pixel), up(pixel + 1), up(pixel + 2))) << "byte " << i << ", +" << added;
        }
    }
}

// ---- The page ----------------------------------------------------------------------

class GraphicsPageTest : public SheetTest {
protected:
    // The printer's stored record with the page's fields set.
    void StoreGraphics(const std::u16string &printer, LONG gray, LONG blackLevel, LONG grayLevel, LONG brightness,
                       LONG contrast)
    {
        REGSTRUCT settings = Defaults();
        settings.Gray = gray;
        settings.BlackLevel = blackLevel;
        settings.GrayLevel = grayLevel;
        settings.Brightness = brightness;
        settings.Contrast = contrast;
        StoreRecord(printer, &settings, sizeof(settings));
    }

    HWND OpenGraphics(const std::u16string &printer) { return OpenPage(printer, IDD_GRAPHICS); }

    static HBITMAP Picture(HWND page, int id)
    {
        return reinterpret_cast<HBITMAP>(SendDlgItemMessageW(page, id, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    static int PictureId(HWND page, int id) { return ui::BitmapResourceId(Picture(page, id)); }
    static LONG Position(HWND page, int id) { return LONG(SendDlgItemMessageW(page, id, TBM_GETPOS, 0, 0)); }

    // The rendering mode shown: the index of the checked button, -1 for none.
    static LONG Mode(HWND page)
    {
        for (int id : {IDC_DITHER_NONE, IDC_DITHER_ORDERED, IDC_DITHER_DIFFUSION})
            if (Checked(page, id))
                return id - IDC_DITHER_NONE;
        return -1;
    }
    // A key pressed and released on a trackbar, in two steps.
    static void KeyDown(HWND page, int id, WPARAM key) { SendDlgItemMessageW(page, id, WM_KEYDOWN, key, 0); }
    static void KeyUp(HWND page, int id, WPARAM key) { SendDlgItemMessageW(page, id, WM_KEYUP, key, 0); }
};

// The page opens on the stored record: the trackbars' ranges and positions,
// the sample, the preview computed for the stored brightness and contrast,
// nothing changed. Then the rendering mode and the effect trackbar, one row a
// step: None keeps its level in BlackLevel, Ordered and Error Diffusion share
// GrayLevel; the trackbar shows the level of the mode shown, Reset puts 2
// into None's and 6 into the other's. A mode outside the choices checks no
// button and a move then belongs to no mode's level. Every step marks the
// page changed once.
TEST_F(GraphicsPageTest, EffectTrackbarFollowsTheLevelOfTheModeShown)
{
    struct Step {
        int control;  // 0: as the page opens
        LONG slide;
        LONG gray, blackLevel, grayLevel, position;
        int picture;  // -1: none, 0: not checked
    };
    struct Story {
        const char16_t *printer;
        std::vector<Step> steps;  // the first: the stored record as it opens
    } stories[] = {
        {u"Wren",
         {{0, 0, 1, 3, 5, 5, IDB_DITHER_ORDERED_HIGH},
          {IDC_DITHER_DIFFUSION, 0, 2, 3, 5, 5, IDB_DITHER_DIFFUSION_HIGH},
          {IDC_DITHER_NONE, 0, 0, 3, 5, 3, IDB_DITHER_NONE_MIDDLE},
          {IDC_EFFECT_TRACKBAR, 1, 0, 1, 5, 1, IDB_DITHER_NONE_LOW},
          {IDC_DITHER_ORDERED, 0, 1, 1, 5, 5, IDB_DITHER_ORDERED_HIGH},
          {IDC_EFFECT_TRACKBAR, 2, 1, 1, 2, 2, IDB_DITHER_ORDERED_LOW}}},
        {u"Robin",
         {{0, 0, 0, 5, 1, 5, IDB_DITHER_NONE_HIGH},
          {IDC_EFFECT_RESET, 0, 0, 2, 6, 2, IDB_DITHER_NONE_MIDDLE},
          {IDC_DITHER_ORDERED, 0, 1, 2, 6, 6, IDB_DITHER_ORDERED_HIGH},
          {IDC_EFFECT_TRACKBAR, 3, 1, 2, 3, 3, IDB_DITHER_ORDERED_MIDDLE},
          {IDC_EFFECT_RESET, 0, 1, 2, 6, 6, IDB_DITHER_ORDERED_HIGH},
          {IDC_DITHER_DIFFUSION, 0, 2, 2, 6, 6, IDB_DITHER_DIFFUSION_HIGH},
          {IDC_EFFECT_TRACKBAR, 3, 2, 2, 3, 3, IDB_DITHER_DIFFUSION_MIDDLE},
          {IDC_EFFECT_RESET, 0, 2, 2, 6, 6, IDB_DITHER_DIFFUSION_HIGH}}},
        {u"KestrelBT", {{0, 0, 3, 2, 5, 5, -1}, {IDC_EFFECT_TRACKBAR, 1, 3, 2, 5, 1, 0}}},
    };
    for (const Story &story : stories) {
        const Step &stored = story.steps[0];
        StoreGraphics(story.printer, stored.gray, stored.blackLevel, stored.grayLevel, 3, 7);
        HWND page = OpenGraphics(story.printer);
        std::vector<LRESULT> ranges;
        for (int id : {IDC_EFFECT_TRACKBAR, IDC_BRIGHTNESS_TRACKBAR, IDC_CONTRAST_TRACKBAR})
            ranges.insert(ranges.end(), {SendDlgItemMessageW(page, id, TBM_GETRANGEMIN, 0, 0),
                                         SendDlgItemMessageW(page, id, TBM_GETRANGEMAX, 0, 0)});
        EXPECT_EQ(ranges, (std::vector<LRESULT>{1, 6, -5, 5, 5, 15}));
        EXPECT_EQ(PictureId(page, IDC_SAMPLE_PICTURE), IDB_SAMPLE_ORIGINAL);
        HBITMAP expected = GetEffectBitmap(3, 7);
        EXPECT_EQ(BitsOf(Picture(page, IDC_EFFECT_PICTURE)), BitsOf(expected));
        DeleteObject(expected);
        EXPECT_EQ(std::u16string(gszCurrentPrinter), story.printer);
        EXPECT_TRUE(gPendingPages == 0 && sheet->changedCount == 0) << "showing the page changes nothing";
        for (size_t i = 0; i < story.steps.size(); ++i) {
            const Step &step = story.steps[i];
            SCOPED_TRACE(Utf8(story.printer) + ", step " + std::to_string(i));
            ASSERT_TRUE(step.control == IDC_EFFECT_TRACKBAR ? ui::Slide(page, step.control, step.slide)
                                                            : step.control == 0 || ui::Click(page, step.control));
            const REGSTRUCT &r = *gpCurrentSettings;
            EXPECT_EQ(
                std::make_tuple(Mode(page), r.Gray, r.BlackLevel, r.GrayLevel, Position(page, IDC_EFFECT_TRACKBAR)),
                std::make_tuple(step.gray > 2 ? -1 : step.gray, step.gray, step.blackLevel, step.grayLevel,
                                step.position));
            EXPECT_TRUE(step.picture == 0 || PictureId(page, IDC_RENDERING_PICTURE) == step.picture);
        }
        // Brightness and contrast are left as stored.
        EXPECT_EQ(std::make_tuple(Position(page, IDC_BRIGHTNESS_TRACKBAR), Position(page, IDC_CONTRAST_TRACKBAR),
                                  gpCurrentSettings->Brightness, gpCurrentSettings->Contrast),
                  std::make_tuple(3, 7, 3, 7));
        EXPECT_TRUE(sheet->changedCount == int(story.steps.size() - 1) && (gPendingPages & PENDING_GRAPHICS));
        sheet.reset();
    }
}

// A click (0), an accelerator (1) and 0x300 are taken, other codes left
// alone. From an accelerator Reset does not reset, yet the page counts as
// changed, as it does for any control.
TEST_F(GraphicsPageTest, CommandCodesItAnswers)
{
    StoreGraphics(u"Heron", 0, 4, 4, 0, 10);
    HWND page = OpenGraphics(u"Heron");
    for (auto [control, code, blackLevel, gray, changed] :
         {std::tuple<int, WORD, LONG, LONG, int>{IDC_EFFECT_RESET, 5, 4, 0, 0},
          {IDC_DITHER_ORDERED, 0x301, 4, 0, 0},
          {IDC_EFFECT_RESET, 1, 4, 0, 1},
          {IDC_EFFECT_RESET, 0x300, 2, 0, 2},
          {IDC_DITHER_DIFFUSION, 1, 2, 2, 3},
          {IDC_BRIGHTNESS_TRACKBAR, 0, 2, 2, 4}}) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(control, code), LPARAM(GetDlgItem(page, control)));
        EXPECT_EQ(std::make_tuple(gpCurrentSettings->BlackLevel, gpCurrentSettings->Gray, sheet->changedCount,
                                  (gPendingPages & PENDING_GRAPHICS) != 0),
                  std::make_tuple(blackLevel, gray, changed, changed > 0))
            << control << ", code " << code;
    }
}

// A key held down on a trackbar moves its thumb; the record and the pictures
// wait for the release, as for a position set by program with a
// notification. Letting go of any trackbar reads all three.
TEST_F(GraphicsPageTest, TrackbarsCountOnlyWhenLetGo)
{
    StoreGraphics(u"Plover", 0, 3, 6, 0, 10);
    HWND page = OpenGraphics(u"Plover");
    KeyDown(page, IDC_EFFECT_TRACKBAR, VK_RIGHT);
    EXPECT_EQ(std::make_tuple(Position(page, IDC_EFFECT_TRACKBAR), gpCurrentSettings->BlackLevel,
                              PictureId(page, IDC_RENDERING_PICTURE), sheet->changedCount),
              std::make_tuple(4L, 3L, IDB_DITHER_NONE_MIDDLE, 0));
    KeyDown(page, IDC_EFFECT_TRACKBAR, VK_END);
    KeyUp(page, IDC_EFFECT_TRACKBAR, VK_END);
    EXPECT_EQ(std::make_tuple(gpCurrentSettings->BlackLevel, gpCurrentSettings->GrayLevel,
                              PictureId(page, IDC_RENDERING_PICTURE), sheet->changedCount),
              std::make_tuple(6L, 6L, IDB_DITHER_NONE_HIGH, 1));

    HBITMAP shownBefore = Picture(page, IDC_EFFECT_PICTURE);
    SendDlgItemMessageW(page, IDC_BRIGHTNESS_TRACKBAR, TBM_SETPOSNOTIFY, 0, 4);
    EXPECT_TRUE(gpCurrentSettings->Brightness == 0 && Picture(page, IDC_EFFECT_PICTURE) == shownBefore);
    KeyDown(page, IDC_CONTRAST_TRACKBAR, VK_LEFT);
    KeyUp(page, IDC_CONTRAST_TRACKBAR, VK_LEFT);
    EXPECT_TRUE(gpCurrentSettings->Contrast == 9 && gpCurrentSettings->Brightness == 4);
    HBITMAP expected = GetEffectBitmap(4, 9);
    EXPECT_EQ(BitsOf(Picture(page, IDC_EFFECT_PICTURE)), BitsOf(expected));
    DeleteObject(expected);
    KeyDown(page, IDC_BRIGHTNESS_TRACKBAR, VK_PRIOR);
    EXPECT_TRUE(Position(page, IDC_BRIGHTNESS_TRACKBAR) == 2 && gpCurrentSettings->Brightness == 4);
    KeyUp(page, IDC_BRIGHTNESS_TRACKBAR, VK_PRIOR);
    EXPECT_TRUE(gpCurrentSettings->Brightness == 2 && sheet->changedCount == 3);
}

}  // namespace
