// The Graphics page: dithering, the Effect level, brightness and contrast,
// with the rendering and brightness/contrast previews.
#include "src/pages/graphicspage.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/unique.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pageprocs.h"
#include "src/settings/printer.h"
#include "src/settings/settings.h"

namespace {

constexpr LONG kEffectMin = 1;
constexpr LONG kEffectMax = 6;
constexpr LONG kBrightnessMin = -5;
constexpr LONG kBrightnessMax = 5;
constexpr LONG kContrastMin = 5;
constexpr LONG kContrastMax = 15;

// What Reset gives each dithering mode's Effect level.
constexpr LONG kResetBlackLevel = 2;
constexpr LONG kResetGrayLevel = 6;

// WM_COMMAND codes the page answers: a click, an accelerator, and 0x300,
// which Reset also takes.
constexpr WORD kCodeAccelerator = 1;
constexpr WORD kCodeChange = 0x300;

// One row per dithering mode: the darkest picture up to `lowUpTo`, the
// middle one up to 4, the lightest above. None's dark picture holds only
// level 1; the dithered modes' holds 1 and 2.
struct DitherPictures {
    LONG lowUpTo;
    WORD low, middle, high;
};
constexpr DitherPictures kDitherPictures[] = {
    {1, IDB_DITHER_NONE_LOW, IDB_DITHER_NONE_MIDDLE, IDB_DITHER_NONE_HIGH},
    {2, IDB_DITHER_ORDERED_LOW, IDB_DITHER_ORDERED_MIDDLE, IDB_DITHER_ORDERED_HIGH},
    {2, IDB_DITHER_DIFFUSION_LOW, IDB_DITHER_DIFFUSION_MIDDLE, IDB_DITHER_DIFFUSION_HIGH},
};

HBITMAP LoadPicture(WORD bitmapId)
{
    return static_cast<HBITMAP>(
        LoadImageW(ghInstance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The control hands back the bitmap it showed; it is ours to delete.
void ShowPicture(HWND hDlg, int pictureId, HBITMAP bitmap)
{
    unique_gdiobj previous(reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageW(hDlg, pictureId, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap))));
}

// The level belongs to the dithering mode shown: BlackLevel for None,
// GrayLevel for the two dithered modes.
LONG EffectLevel(const REGSTRUCT &settings) { return settings.Gray == 0 ? settings.BlackLevel : settings.GrayLevel; }

LONG TrackPosition(HWND hDlg, int id) { return static_cast<LONG>(SendDlgItemMessageW(hDlg, id, TBM_GETPOS, 0, 0)); }

void SetTrackPosition(HWND hDlg, int id, LONG position) { SendDlgItemMessageW(hDlg, id, TBM_SETPOS, TRUE, position); }

void SetTrackRange(HWND hDlg, int id, LONG low, LONG high, LONG position)
{
    SendDlgItemMessageW(hDlg, id, TBM_SETRANGEMIN, FALSE, low);
    SendDlgItemMessageW(hDlg, id, TBM_SETRANGEMAX, FALSE, high);
    SetTrackPosition(hDlg, id, position);
}

// The rendering preview and the Effect trackbar follow the record.
void ShowRendering(HWND hDlg, const REGSTRUCT &settings)
{
    ShowPicture(hDlg, IDC_RENDERING_PICTURE, GetDitherBitmap(settings));
    SetTrackPosition(hDlg, IDC_EFFECT_TRACKBAR, EffectLevel(settings));
}

void ShowDithering(HWND hDlg, LONG gray)
{
    if (gray >= 0 && gray <= 2) {
        CheckRadioButton(hDlg, IDC_DITHER_NONE, IDC_DITHER_DIFFUSION, IDC_DITHER_NONE + gray);
        return;
    }
    for (int id = IDC_DITHER_NONE; id <= IDC_DITHER_DIFFUSION; ++id)
        CheckDlgButton(hDlg, id, BST_UNCHECKED);
}

// Bytes of a 24-bit row of `width` pixels, in 64 bits so that no width can
// wrap it.
LONGLONG PixelBytes(LONG width) { return static_cast<LONGLONG>(width) * 3; }

// Every pixel becomes its grey: blue, green and red weighted 11, 58 and 31.
void TurnGrey(BYTE *pBits, LONG width, LONG height, LONG stride)
{
    for (LONG y = 0; y < height; ++y) {
        BYTE *pixel = pBits + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (LONG x = 0; x < width; ++x, pixel += 3) {
            BYTE grey = static_cast<BYTE>((11 * pixel[0] + 58 * pixel[1] + 31 * pixel[2]) / 100);
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
}

void InitGraphicsPage(HWND hDlg, LPARAM lParam)
{
    PPAGECONTEXT context = TakePageContext(hDlg, lParam);
    if (context == nullptr)
        return;
    MakeCurrentContext(context);

    SpoolerBlock info = FetchPrinterInfo2(context->hPrinter);
    if (const auto *printer = info.As<PRINTER_INFO_2W>()) {
        lstrcpynW(gszCurrentPrinter, printer->pPrinterName != nullptr ? printer->pPrinterName : TEXT(""), NAME_UNITS);
        lstrcpynW(gszCurrentPort, printer->pPortName != nullptr ? printer->pPortName : TEXT(""), NAME_UNITS);
    }

    ReadWriteSettings(context, FALSE);
    const REGSTRUCT &settings = context->Settings;
    ShowDithering(hDlg, settings.Gray);
    ShowPicture(hDlg, IDC_RENDERING_PICTURE, GetDitherBitmap(settings));
    SetTrackRange(hDlg, IDC_EFFECT_TRACKBAR, kEffectMin, kEffectMax, EffectLevel(settings));
    SetTrackRange(hDlg, IDC_BRIGHTNESS_TRACKBAR, kBrightnessMin, kBrightnessMax, settings.Brightness);
    SetTrackRange(hDlg, IDC_CONTRAST_TRACKBAR, kContrastMin, kContrastMax, settings.Contrast);
    ShowPicture(hDlg, IDC_EFFECT_PICTURE, GetEffectBitmap(settings.Brightness, settings.Contrast));
}

void OnGraphicsCommand(HWND hDlg, REGSTRUCT &settings, WPARAM wParam)
{
    WORD code = HIWORD(wParam);
    if (code != BN_CLICKED && code != kCodeAccelerator && code != kCodeChange)
        return;
    switch (LOWORD(wParam)) {
    case IDC_EFFECT_RESET:
        if (code == kCodeAccelerator)
            break;
        // Only the Effect levels: brightness and contrast stay.
        settings.BlackLevel = kResetBlackLevel;
        settings.GrayLevel = kResetGrayLevel;
        ShowRendering(hDlg, settings);
        break;
    case IDC_DITHER_NONE:
    case IDC_DITHER_ORDERED:
    case IDC_DITHER_DIFFUSION:
        settings.Gray = LOWORD(wParam) - IDC_DITHER_NONE;
        ShowRendering(hDlg, settings);
        break;
    default:
        break;
    }
    MarkSheetChanged(hDlg);
    gPendingPages |= PENDING_GRAPHICS;
}

// A trackbar counts once it is let go (TB_ENDTRACK, after a drag or a key);
// the moves before are only the thumb's. The three trackbars are read
// together, whichever moved.
void OnGraphicsScroll(HWND hDlg, REGSTRUCT &settings, WPARAM wParam)
{
    if (LOWORD(wParam) != TB_ENDTRACK)
        return;
    LONG effect = TrackPosition(hDlg, IDC_EFFECT_TRACKBAR);
    if (settings.Gray == 0)
        settings.BlackLevel = effect;
    else if (settings.Gray == 1 || settings.Gray == 2)
        settings.GrayLevel = effect;
    ShowPicture(hDlg, IDC_RENDERING_PICTURE, GetDitherBitmap(settings));

    settings.Brightness = TrackPosition(hDlg, IDC_BRIGHTNESS_TRACKBAR);
    settings.Contrast = TrackPosition(hDlg, IDC_CONTRAST_TRACKBAR);
    ShowPicture(hDlg, IDC_EFFECT_PICTURE, GetEffectBitmap(settings.Brightness, settings.Contrast));

    MarkSheetChanged(hDlg);
    gPendingPages |= PENDING_GRAPHICS;
}

}  // namespace

HBITMAP GetDitherBitmap(const REGSTRUCT &record)
{
    WARNING(TEXT("UI:  bmp level is (g,b,g,r)(%d,%d,%d,%d)"), record.Gray, record.BlackLevel, record.GrayLevel,
            record.Reverse);
    if (record.Gray < 0 || record.Gray > 2)
        return nullptr;
    const DitherPictures &pictures = kDitherPictures[record.Gray];
    LONG level = EffectLevel(record);
    if (level <= pictures.lowUpTo)
        return LoadPicture(pictures.low);
    return LoadPicture(level <= 4 ? pictures.middle : pictures.high);
}

void AdjustBrightnessContrast(const BYTE *pSource, BYTE *pDest, LONG width, LONG height, LONG stride, double offset,
                              double factor)
{
    if (pSource == nullptr || pDest == nullptr || width <= 0 || height <= 0 || stride < PixelBytes(width))
        return;
    auto row = [stride](auto *bits, LONG y) { return bits + static_cast<size_t>(y) * static_cast<size_t>(stride); };

    // Both buffers are in memory whole, so the pixel count and 255 times it
    // are far below 2^64.
    ULONGLONG sums[3] = {0, 0, 0};
    for (LONG y = 0; y < height; ++y) {
        const BYTE *pixel = row(pSource, y);
        for (LONG x = 0; x < width; ++x, pixel += 3) {
            sums[0] += pixel[0];
            sums[1] += pixel[1];
            sums[2] += pixel[2];
        }
    }
    const ULONGLONG count = static_cast<ULONGLONG>(width) * static_cast<ULONGLONG>(height);
    int means[3];
    for (int c = 0; c < 3; ++c)
        means[c] = static_cast<int>(sums[c] / count);

    for (LONG y = 0; y < height; ++y) {
        const BYTE *in = row(pSource, y);
        BYTE *out = row(pDest, y);
        for (LONG i = 0; i < width * 3; ++i) {
            int mean = means[i % 3];
            double v = mean + offset + static_cast<double>(in[i] - mean) * factor;
            // Written so that a NaN ends at 0 as well.
            v = v > 255.0 ? 255.0 : (v >= 0.0 ? v : 0.0);
            out[i] = static_cast<BYTE>(v);
        }
    }
}

HBITMAP GetEffectBitmap(LONG brightness, LONG contrast)
{
    unique_gdiobj bitmap(LoadPicture(IDB_EFFECT_SAMPLE));
    if (!bitmap)
        return nullptr;
    // The preview is computed for a 24-bit DIB section only; any other
    // picture would show what the user did not choose, so none is shown.
    BITMAP description = {};
    if (GetObjectW(bitmap.get(), sizeof(description), &description) != sizeof(description) ||
        description.bmBits == nullptr || description.bmBitsPixel != 24 || description.bmWidth <= 0 ||
        description.bmHeight <= 0 || description.bmWidthBytes < PixelBytes(description.bmWidth))
        return nullptr;

    const size_t size = static_cast<size_t>(description.bmHeight) * static_cast<size_t>(description.bmWidthBytes);
    unique_heap_block adjusted(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
    if (!adjusted)
        return nullptr;
    BYTE *bits = static_cast<BYTE *>(description.bmBits);
    AdjustBrightnessContrast(bits, static_cast<BYTE *>(adjusted.get()), description.bmWidth, description.bmHeight,
                             description.bmWidthBytes, 4.0 * brightness, contrast / 10.0);
    CopyMemory(bits, adjusted.get(), size);
    adjusted.reset();

    TurnGrey(bits, description.bmWidth, description.bmHeight, description.bmWidthBytes);
    return static_cast<HBITMAP>(bitmap.Take());
}

INT_PTR CALLBACK GraphicsPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_INITDIALOG:
        InitGraphicsPage(hDlg, lParam);
        break;
    case WM_DESTROY:
        // The pictures never delete their bitmaps: the page takes them back.
        ReleasePictures(hDlg, {IDC_SAMPLE_PICTURE, IDC_RENDERING_PICTURE, IDC_EFFECT_PICTURE});
        break;
    case WM_COMMAND:
        if (PPAGECONTEXT context = PageContextOf(hDlg)) {
            MakeCurrentContext(context);
            OnGraphicsCommand(hDlg, context->Settings, wParam);
        }
        break;
    case WM_HSCROLL:
        // The settings current as they stand: the page that was touched last.
        if (gpCurrentSettings != nullptr)
            OnGraphicsScroll(hDlg, *gpCurrentSettings, wParam);
        break;
    case WM_NOTIFY:
        if (PPAGECONTEXT context = PageContextOf(hDlg)) {
            MakeCurrentContext(context);
            if (reinterpret_cast<const NMHDR *>(lParam)->code == static_cast<UINT>(PSN_APPLY))
                return ApplyPageSettings(hDlg, context, PENDING_GRAPHICS);
        }
        break;
    default:
        break;
    }
    return FALSE;
}
