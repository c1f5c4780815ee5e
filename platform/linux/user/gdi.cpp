// gdi32 of the stand-in: bitmaps (DIB sections loaded from RT_BITMAP
// resources, device bitmaps), brushes, fonts and device contexts that draw
// into memory bitmaps only. Every live object that is not a stock object
// counts in standin::Counters::gdiObjects.
#include "platform/linux/crt/crt.h"
#include "platform/linux/res/res.h"
#include "platform/linux/user/internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unordered_map>

namespace standin::user {

namespace {

enum class Type { Bitmap, Brush, Pen, Font, Dc, MemDc, Palette };

struct Object {
    Type type;
    bool stock = false;
    int selections = 0;  // DCs that have it selected
    // Bitmaps. A device bitmap (dib false) has no bits pointer for the caller.
    int width = 0, height = 0, bpp = 0;
    LONG stride = 0;
    bool dib = false, topDown = false;
    DWORD compression = BI_RGB;
    DWORD masks[3] = {0, 0, 0};
    std::vector<BYTE> bits;
    std::vector<RGBQUAD> colors;
    int resourceId = 0;
    // Brushes and pens.
    COLORREF color = 0;
    UINT brushStyle = BS_SOLID;
    // Fonts.
    LOGFONTW font{};
    // DCs.
    HWND window = nullptr;
    HGDIOBJ selected[4] = {nullptr, nullptr, nullptr, nullptr};  // bitmap, brush, pen, font
    COLORREF textColor = 0, backColor = RGB(255, 255, 255);
    int backMode = OPAQUE;
};
using ObjectPtr = std::shared_ptr<Object>;

struct Gdi {
    std::mutex lock;
    std::unordered_map<HGDIOBJ, ObjectPtr> objects;
    uintptr_t next = 0x40000000;
    HGDIOBJ stock[DC_PEN + 1] = {};
    HGDIOBJ sysBrushes[COLOR_MENUBAR + 1] = {};
    HGDIOBJ defaultBitmap = nullptr;
};

Gdi &G()
{
    static Gdi *gdi = new Gdi;
    return *gdi;
}

HGDIOBJ AddLocked(ObjectPtr object)
{
    Gdi &g = G();
    g.next += 4;
    auto h = reinterpret_cast<HGDIOBJ>(g.next);
    if (!object->stock)
        standin::CountAdd(&standin::Counters::gdiObjects, 1);
    g.objects[h] = std::move(object);
    return h;
}

HGDIOBJ Add(ObjectPtr object)
{
    std::lock_guard<std::mutex> lock(G().lock);
    return AddLocked(std::move(object));
}

ObjectPtr FindLocked(HGDIOBJ h)
{
    auto &objects = G().objects;
    auto it = objects.find(h);
    return it == objects.end() ? nullptr : it->second;
}

ObjectPtr FindObject(HGDIOBJ h)
{
    std::lock_guard<std::mutex> lock(G().lock);
    return FindLocked(h);
}

LONG Stride(int width, int bpp) { return LONG((width * bpp + 31) / 32 * 4); }

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// Bitmap object with zeroed bits. Device bitmaps are kept top-down.
ObjectPtr NewBitmap(int width, int height, int bpp, bool dib, bool topDown)
{
    auto b = std::make_shared<Object>();
    b->type = Type::Bitmap;
    b->width = width;
    b->height = height;
    b->bpp = bpp;
    b->dib = dib;
    b->topDown = topDown || !dib;
    b->stride = dib ? Stride(width, bpp) : LONG((width * bpp + 15) / 16 * 2);
    b->bits.assign(size_t(b->stride) * size_t(height), 0);
    if (bpp == 1)
        b->colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    return b;
}

BYTE *Row(Object &b, int y) { return b.bits.data() + size_t(b.topDown ? y : b.height - 1 - y) * size_t(b.stride); }

// The raw value of a pixel: a palette index, or the packed colour.
DWORD ReadRaw(Object &b, int x, int y)
{
    const BYTE *r = Row(b, y);
    switch (b.bpp) {
    case 1:
        return (r[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (r[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case 8:
        return r[x];
    case 16:
        return DWORD(r[2 * x] | r[2 * x + 1] << 8);
    case 24:
        return DWORD(r[3 * x] | r[3 * x + 1] << 8 | r[3 * x + 2] << 16);
    default:
        return DWORD(r[4 * x] | r[4 * x + 1] << 8 | r[4 * x + 2] << 16 | DWORD(r[4 * x + 3]) << 24);
    }
}

void WriteRaw(Object &b, int x, int y, DWORD v)
{
    BYTE *r = Row(b, y);
    switch (b.bpp) {
    case 1:
        r[x / 8] = BYTE((r[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
        break;
    case 4:
        r[x / 2] = BYTE(x % 2 ? (r[x / 2] & 0xF0) | (v & 0xF) : (r[x / 2] & 0x0F) | (v & 0xF) << 4);
        break;
    case 8:
        r[x] = BYTE(v);
        break;
    case 16:
        r[2 * x] = BYTE(v), r[2 * x + 1] = BYTE(v >> 8);
        break;
    case 24:
        r[3 * x] = BYTE(v), r[3 * x + 1] = BYTE(v >> 8), r[3 * x + 2] = BYTE(v >> 16);
        break;
    default:
        std::memcpy(r + 4 * x, &v, 4);
        break;
    }
}

int MaskShift(DWORD mask, int *bits)
{
    int shift = 0;
    while (mask && !(mask & 1))
        mask >>= 1, ++shift;
    *bits = 0;
    while (mask & 1)
        mask >>= 1, ++*bits;
    return shift;
}

BYTE Channel(DWORD v, DWORD mask)
{
    int bits;
    int shift = MaskShift(mask, &bits);
    if (!bits)
        return 0;
    DWORD c = (v & mask) >> shift;
    return BYTE(bits >= 8 ? c >> (bits - 8) : (c * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
}

DWORD Pack(BYTE c, DWORD mask)
{
    int bits;
    int shift = MaskShift(mask, &bits);
    DWORD v = bits >= 8 ? DWORD(c) << (bits - 8) : DWORD(c) >> (8 - bits);
    return (v << shift) & mask;
}

void DefaultMasks(const Object &b, DWORD m[3])
{
    if (b.compression == BI_BITFIELDS) {
        std::copy(b.masks, b.masks + 3, m);
    } else if (b.bpp == 16) {
        m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
    } else {
        m[0] = 0xFF0000, m[1] = 0x00FF00, m[2] = 0x0000FF;
    }
}

COLORREF PixelColor(Object &b, int x, int y)
{
    DWORD v = ReadRaw(b, x, y);
    if (b.bpp <= 8) {
        if (v >= b.colors.size())
            return RGB(0, 0, 0);
        const RGBQUAD &q = b.colors[v];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    if (b.bpp == 24)
        return RGB(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF);
    DWORD m[3];
    DefaultMasks(b, m);
    return RGB(Channel(v, m[0]), Channel(v, m[1]), Channel(v, m[2]));
}

void SetPixelColor(Object &b, int x, int y, COLORREF c)
{
    BYTE red = GetRValue(c), green = GetGValue(c), blue = GetBValue(c);
    if (b.bpp <= 8) {
        // The nearest colour of the table.
        DWORD best = 0;
        long bestDistance = -1;
        for (size_t i = 0; i < b.colors.size(); ++i) {
            const RGBQUAD &q = b.colors[i];
            long d = (q.rgbRed - red) * (q.rgbRed - red) + (q.rgbGreen - green) * (q.rgbGreen - green) +
                     (q.rgbBlue - blue) * (q.rgbBlue - blue);
            if (bestDistance < 0 || d < bestDistance)
                bestDistance = d, best = DWORD(i);
        }
        WriteRaw(b, x, y, best);
        return;
    }
    if (b.bpp == 24) {
        WriteRaw(b, x, y, DWORD(blue) | DWORD(green) << 8 | DWORD(red) << 16);
        return;
    }
    DWORD m[3];
    DefaultMasks(b, m);
    WriteRaw(b, x, y, Pack(red, m[0]) | Pack(green, m[1]) | Pack(blue, m[2]));
}

DWORD U32(const BYTE *p) { return DWORD(p[0] | p[1] << 8 | p[2] << 16 | DWORD(p[3]) << 24); }
WORD U16(const BYTE *p) { return WORD(p[0] | p[1] << 8); }

// A packed DIB (header, masks, colour table, rows) as a bitmap: a DIB section
// of its own depth and colour table, or a 32-bit device bitmap.
ObjectPtr FromPackedDib(const BYTE *data, size_t size, bool dibSection)
{
    if (size < 12)
        return nullptr;
    DWORD headerSize = U32(data);
    int width, height, bpp;
    DWORD compression = BI_RGB, used = 0;
    size_t entry = 4;
    if (headerSize == 12) {  // BITMAPCOREHEADER, RGBTRIPLE colours
        width = U16(data + 4);
        height = short(U16(data + 6));
        bpp = U16(data + 10);
        entry = 3;
    } else if (headerSize >= 40 && headerSize <= size) {
        width = int(U32(data + 4));
        height = int(U32(data + 8));
        bpp = U16(data + 14);
        compression = U32(data + 16);
        used = U32(data + 32);
    } else {
        return nullptr;
    }
    if (width <= 0 || height == 0 || height == INT32_MIN || !ValidDepth(bpp) || width > 32768 ||
        std::abs(height) > 32768)
        return nullptr;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
        return nullptr;  // run-length encoded resources are not read
    size_t pos = headerSize;
    DWORD masks[3] = {0, 0, 0};
    if (compression == BI_BITFIELDS) {
        // After a BITMAPINFOHEADER, or inside a V4 or V5 header: at 40 either way.
        if (headerSize == 40)
            pos += 12;
        if (size < 52)
            return nullptr;
        masks[0] = U32(data + 40), masks[1] = U32(data + 44), masks[2] = U32(data + 48);
    }
    size_t tableEntries = bpp <= 8 ? (used ? used : size_t(1) << bpp) : used;
    if (tableEntries > 256 || pos + tableEntries * entry > size)
        return nullptr;
    auto b = NewBitmap(width, std::abs(height), bpp, true, height < 0);
    b->compression = compression;
    std::copy(masks, masks + 3, b->masks);
    if (bpp <= 8) {
        b->colors.resize(std::min(tableEntries, size_t(1) << bpp));
        for (size_t i = 0; i < b->colors.size(); ++i) {
            const BYTE *c = data + pos + i * entry;
            b->colors[i] = RGBQUAD{c[0], c[1], c[2], 0};
        }
    }
    pos += tableEntries * entry;
    if (size - pos < b->bits.size())
        return nullptr;
    std::memcpy(b->bits.data(), data + pos, b->bits.size());
    if (dibSection)
        return b;
    auto ddb = NewBitmap(b->width, b->height, 32, false, true);
    for (int y = 0; y < b->height; ++y)
        for (int x = 0; x < b->width; ++x)
            SetPixelColor(*ddb, x, y, PixelColor(*b, x, y));
    return ddb;
}

// The same bitmap at another size, nearest pixel, same depth and colours.
ObjectPtr Scaled(Object &b, int width, int height)
{
    auto s = NewBitmap(width, height, b.bpp, b.dib, b.topDown);
    s->compression = b.compression;
    std::copy(b.masks, b.masks + 3, s->masks);
    s->colors = b.colors;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            WriteRaw(*s, x, y, ReadRaw(b, x * b.width / width, y * b.height / height));
    return s;
}

HANDLE LoadBitmapImage(HINSTANCE instance, LPCWSTR name, int cx, int cy, UINT flags)
{
    std::vector<BYTE> file;
    const BYTE *data;
    size_t size;
    if (flags & LR_LOADFROMFILE) {
        std::ifstream in(standin::MapWindowsPath(name), std::ios::binary);
        if (!in) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (file.size() < sizeof(BITMAPFILEHEADER) || file[0] != 'B' || file[1] != 'M') {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        data = file.data() + sizeof(BITMAPFILEHEADER);
        size = file.size() - sizeof(BITMAPFILEHEADER);
    } else {
        HRSRC found = FindResourceW(instance, name, RT_BITMAP);
        if (!found)
            return nullptr;  // with the resource part's last error
        data = static_cast<const BYTE *>(LockResource(LoadResource(instance, found)));
        size = SizeofResource(instance, found);
    }
    ObjectPtr b = FromPackedDib(data, size, flags & LR_CREATEDIBSECTION);
    if (!b) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    if ((cx && cx != b->width) || (cy && cy != b->height))
        b = Scaled(*b, cx ? cx : b->width, cy ? cy : b->height);
    if (!(flags & LR_LOADFROMFILE) && IS_INTRESOURCE(name))
        b->resourceId = LOWORD(reinterpret_cast<ULONG_PTR>(name));
    return Add(b);
}

ObjectPtr NewBrush(COLORREF color, UINT style = BS_SOLID, bool stock = false)
{
    auto b = std::make_shared<Object>();
    b->type = Type::Brush;
    b->color = color;
    b->brushStyle = style;
    b->stock = stock;
    return b;
}

ObjectPtr NewFont(const LOGFONTW &lf, bool stock = false)
{
    auto f = std::make_shared<Object>();
    f->type = Type::Font;
    f->font = lf;
    f->stock = stock;
    return f;
}

LOGFONTW MakeLogFont(const char16_t *face, LONG height)
{
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string f(face);
    std::copy(f.begin(), f.begin() + std::min<size_t>(f.size(), LF_FACESIZE - 1), lf.lfFaceName);
    return lf;
}

HGDIOBJ StockLocked(int i)
{
    Gdi &g = G();
    if (g.stock[i])
        return g.stock[i];
    ObjectPtr o;
    static const COLORREF kBrushes[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                                        RGB(0, 0, 0)};
    if (i <= BLACK_BRUSH || i == DC_BRUSH) {
        o = NewBrush(i == DC_BRUSH ? RGB(255, 255, 255) : kBrushes[i], BS_SOLID, true);
    } else if (i == NULL_BRUSH) {
        o = NewBrush(0, BS_NULL, true);
    } else if (i == WHITE_PEN || i == BLACK_PEN || i == NULL_PEN || i == DC_PEN) {
        o = std::make_shared<Object>();
        o->type = Type::Pen;
        o->color = i == WHITE_PEN ? RGB(255, 255, 255) : 0;
        o->stock = true;
    } else if (i == DEFAULT_PALETTE) {
        o = std::make_shared<Object>();
        o->type = Type::Palette;
        o->stock = true;
    } else {
        o = NewFont(i == DEFAULT_GUI_FONT ? MakeLogFont(u"MS Shell Dlg", -11) : MakeLogFont(u"System", 16), true);
    }
    g.stock[i] = AddLocked(o);
    return g.stock[i];
}

HGDIOBJ DefaultBitmapLocked()
{
    Gdi &g = G();
    if (!g.defaultBitmap) {
        auto b = NewBitmap(1, 1, 1, false, true);
        b->stock = true;
        g.defaultBitmap = AddLocked(b);
    }
    return g.defaultBitmap;
}

ObjectPtr NewDc(Type type, HWND window)
{
    auto dc = std::make_shared<Object>();
    dc->type = type;
    dc->window = window;
    std::lock_guard<std::mutex> lock(G().lock);
    dc->selected[0] = type == Type::MemDc ? DefaultBitmapLocked() : nullptr;
    dc->selected[1] = StockLocked(WHITE_BRUSH);
    dc->selected[2] = StockLocked(BLACK_PEN);
    dc->selected[3] = StockLocked(SYSTEM_FONT);
    for (HGDIOBJ h : dc->selected)
        if (ObjectPtr o = FindLocked(h))
            ++o->selections;
    return dc;
}

// The bitmap a memory DC draws into, or null.
ObjectPtr Surface(HDC dc)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(dc);
    if (!d || d->type != Type::MemDc)
        return nullptr;
    return FindLocked(d->selected[0]);
}

bool IsDcLocked(HDC dc)
{
    ObjectPtr d = FindLocked(dc);
    return d && (d->type == Type::Dc || d->type == Type::MemDc);
}

void ReleaseDcLocked(HGDIOBJ h, const ObjectPtr &dc)
{
    for (HGDIOBJ s : dc->selected)
        if (ObjectPtr o = FindLocked(s))
            --o->selections;
    G().objects.erase(h);
    standin::CountAdd(&standin::Counters::gdiObjects, -1);
}

COLORREF Rop(DWORD rop, COLORREF src, COLORREF dst, COLORREF pattern, bool *ok)
{
    *ok = true;
    switch (rop) {
    case SRCCOPY:
        return src;
    case NOTSRCCOPY:
        return ~src & 0xFFFFFF;
    case SRCAND:
        return src & dst;
    case SRCPAINT:
        return src | dst;
    case SRCINVERT:
        return (src ^ dst) & 0xFFFFFF;
    case PATCOPY:
        return pattern;
    case BLACKNESS:
        return RGB(0, 0, 0);
    case WHITENESS:
        return RGB(255, 255, 255);
    default:
        *ok = false;
        return dst;
    }
}

bool NeedsSource(DWORD rop) { return rop != PATCOPY && rop != BLACKNESS && rop != WHITENESS; }

COLORREF BrushColor(HDC dc)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(dc);
    ObjectPtr brush = d ? FindLocked(d->selected[1]) : nullptr;
    return brush ? brush->color : RGB(255, 255, 255);
}

BOOL Blit(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop)
{
    {
        std::lock_guard<std::mutex> lock(G().lock);
        if (!IsDcLocked(dest) || (NeedsSource(rop) && !IsDcLocked(src))) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    bool ok;
    Rop(rop, 0, 0, 0, &ok);
    if (!ok) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    ObjectPtr to = Surface(dest);
    if (!to)
        return TRUE;  // a window DC: nothing is drawn
    ObjectPtr from = NeedsSource(rop) ? Surface(src) : nullptr;
    COLORREF pattern = BrushColor(dest);
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return TRUE;
    std::vector<COLORREF> pixels(size_t(w) * size_t(h), 0);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int px = sx + i * sw / w, py = sy + j * sh / h;
            if (from && px >= 0 && py >= 0 && px < from->width && py < from->height)
                pixels[size_t(j) * size_t(w) + size_t(i)] = PixelColor(*from, px, py);
        }
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int dx = x + i, dy = y + j;
            if (dx < 0 || dy < 0 || dx >= to->width || dy >= to->height)
                continue;
            COLORREF c = Rop(rop, pixels[size_t(j) * size_t(w) + size_t(i)], PixelColor(*to, dx, dy), pattern, &ok);
            SetPixelColor(*to, dx, dy, c);
        }
    return TRUE;
}

struct FaceMetrics {
    const char16_t *face;
    double width, height;  // average character width and line height, per em pixel
};
// Latin dialog faces (MS Shell Dlg maps to a Tahoma-like face) are 0.55 em
// wide and 1.2 em high, Segoe UI 0.6 by 1.25, and the CJK UI faces 0.58 by
// 1.4; other faces count as Latin. An em is the point size at 96 DPI.
const FaceMetrics kFaces[] = {
    {u"MS Shell Dlg", 0.55, 1.2},
    {u"MS Shell Dlg 2", 0.55, 1.2},
    {u"MS Sans Serif", 0.55, 1.2},
    {u"Microsoft Sans Serif", 0.55, 1.2},
    {u"Tahoma", 0.55, 1.2},
    {u"Arial", 0.55, 1.2},
    {u"Segoe UI", 0.6, 1.25},
    {u"Microsoft YaHei UI", 0.58, 1.4},
    {u"Microsoft YaHei", 0.58, 1.4},
    {u"Microsoft JhengHei UI", 0.58, 1.4},
    {u"Microsoft JhengHei", 0.58, 1.4},
    {u"Meiryo UI", 0.58, 1.4},
    {u"Meiryo", 0.58, 1.4},
    {u"Malgun Gothic", 0.58, 1.4},
    {u"MS UI Gothic", 0.58, 1.4},
    {u"SimSun", 0.58, 1.4},
    {u"PMingLiU", 0.58, 1.4},
    {u"Gulim", 0.58, 1.4},
};

void EmUnits(const std::u16string &face, int em, int *cx, int *cy)
{
    double w = 0.55, h = 1.2;
    for (const FaceMetrics &f : kFaces)
        if (lstrcmpiW(f.face, face.c_str()) == 0)
            w = f.width, h = f.height;
    *cx = std::max(1, int(std::lround(em * w)));
    *cy = std::max(1, int(std::lround(em * h)));
}

}  // namespace

void FaceUnits(const std::u16string &face, int pointSize, int *cx, int *cy)
{
    EmUnits(face, MulDiv(pointSize, 96, 72), cx, cy);
}

void FontUnits(HFONT font, int *cx, int *cy)
{
    ObjectPtr f = FindObject(font);
    if (!f || f->type != Type::Font) {
        *cx = 8, *cy = 16;  // the system font
        return;
    }
    if (lstrcmpiW(f->font.lfFaceName, u"System") == 0 && f->font.lfHeight > 0) {
        *cx = 8, *cy = 16;
        return;
    }
    int em = std::abs(int(f->font.lfHeight));
    EmUnits(f->font.lfFaceName, em ? em : 11, cx, cy);
}

HBITMAP LoadBitmapResource(HINSTANCE instance, LPCWSTR name)
{
    return static_cast<HBITMAP>(LoadBitmapImage(instance, name, 0, 0, LR_CREATEDIBSECTION));
}

bool BitmapSize(HBITMAP bitmap, int *width, int *height)
{
    ObjectPtr b = FindObject(bitmap);
    if (!b || b->type != Type::Bitmap)
        return false;
    *width = b->width;
    *height = b->height;
    return true;
}

bool BitmapPixels(HBITMAP bitmap, int x, int y, int width, int height, std::vector<COLORREF> *out)
{
    ObjectPtr b = FindObject(bitmap);
    if (!b || b->type != Type::Bitmap || x < 0 || y < 0 || width < 0 || height < 0 || x + width > b->width ||
        y + height > b->height)
        return false;
    out->clear();
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            out->push_back(PixelColor(*b, x + i, y + j));
    return true;
}

HFONT MakeFont(const LOGFONTW &font) { return static_cast<HFONT>(Add(NewFont(font))); }

HDC MakeWindowDC(HWND hwnd) { return static_cast<HDC>(Add(NewDc(Type::Dc, hwnd))); }

}  // namespace standin::user

using namespace standin::user;

extern "C" {

HANDLE WINAPI LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (standin::ShouldFail("LoadImageW"))
        return nullptr;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        // Icons and cursors are not modelled: the lookup fails as the
        // resource part says, or plainly when the resource is there.
        LPCWSTR group = MAKEINTRESOURCEW(type == IMAGE_ICON ? 14 : 12);
        if ((fuLoad & LR_LOADFROMFILE) || FindResourceW(hInst, name, group))
            SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (type != IMAGE_BITMAP) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadBitmapImage(hInst, name, cx, cy, fuLoad);
}

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName)
{
    return static_cast<HBITMAP>(LoadImageW(hInstance, lpBitmapName, IMAGE_BITMAP, 0, 0, 0));
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv)
{
    ObjectPtr o = FindObject(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (o->type) {
    case Type::Bitmap: {
        if (!pv)
            return sizeof(BITMAP);
        if (c < int(sizeof(BITMAP)))
            return 0;
        BITMAP bm{0, o->width, o->height, o->stride, 1, WORD(o->bpp), o->dib ? o->bits.data() : nullptr};
        if (!o->dib || c < int(sizeof(DIBSECTION))) {
            std::memcpy(pv, &bm, sizeof bm);
            return sizeof(BITMAP);
        }
        DIBSECTION ds{};
        ds.dsBm = bm;
        ds.dsBmih = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER),
                                     o->width,
                                     o->topDown ? -o->height : o->height,
                                     1,
                                     WORD(o->bpp),
                                     o->compression,
                                     DWORD(o->bits.size()),
                                     0,
                                     0,
                                     DWORD(o->colors.size()),
                                     0};
        if (o->bpp == 16 || o->bpp == 32)
            DefaultMasks(*o, ds.dsBitfields);
        std::memcpy(pv, &ds, sizeof ds);
        return sizeof(DIBSECTION);
    }
    case Type::Brush: {
        if (!pv)
            return sizeof(LOGBRUSH);
        if (c < int(sizeof(LOGBRUSH)))
            return 0;
        LOGBRUSH lb{o->brushStyle, o->color, 0};
        std::memcpy(pv, &lb, sizeof lb);
        return sizeof(LOGBRUSH);
    }
    case Type::Font: {
        if (!pv)
            return sizeof(LOGFONTW);
        int n = std::min(c, int(sizeof(LOGFONTW)));
        std::memcpy(pv, &o->font, size_t(std::max(n, 0)));
        return std::max(n, 0);
    }
    default:
        return 0;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ h)
{
    ObjectPtr o = FindObject(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (o->type) {
    case Type::Bitmap:
        return OBJ_BITMAP;
    case Type::Brush:
        return OBJ_BRUSH;
    case Type::Pen:
        return OBJ_PEN;
    case Type::Font:
        return OBJ_FONT;
    case Type::Dc:
        return OBJ_DC;
    case Type::MemDc:
        return OBJ_MEMDC;
    case Type::Palette:
        return OBJ_PAL;
    }
    return 0;
}

// An object still selected into a DC is not deleted (FALSE), so the count
// shows it; stock objects are never deleted and report success.
BOOL WINAPI DeleteObject(HGDIOBJ ho)
{
    ObjectPtr gone;
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr o = FindLocked(ho);
    if (!o || o->type == Type::Dc || o->type == Type::MemDc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (o->stock)
        return TRUE;
    if (o->selections > 0)
        return FALSE;
    gone = o;
    G().objects.erase(ho);
    standin::CountAdd(&standin::Counters::gdiObjects, -1);
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i)
{
    if (i < 0 || i > DC_PEN || i == 9) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(G().lock);
    return StockLocked(i);
}

HBRUSH WINAPI GetSysColorBrush(int nIndex)
{
    if (nIndex < 0 || nIndex > COLOR_MENUBAR)
        return nullptr;
    std::lock_guard<std::mutex> lock(G().lock);
    Gdi &g = G();
    if (!g.sysBrushes[nIndex])
        g.sysBrushes[nIndex] = AddLocked(NewBrush(GetSysColor(nIndex), BS_SOLID, true));
    return static_cast<HBRUSH>(g.sysBrushes[nIndex]);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    if (standin::ShouldFail("CreateSolidBrush"))
        return nullptr;
    return static_cast<HBRUSH>(Add(NewBrush(color & 0xFFFFFF)));
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *lplf)
{
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (standin::ShouldFail("CreateFontIndirectW"))
        return nullptr;
    return static_cast<HFONT>(Add(NewFont(*lplf)));
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void *lpBits)
{
    if (standin::ShouldFail("CreateBitmap"))
        return nullptr;
    int bpp = int(nPlanes * nBitCount);
    if (nWidth < 0 || nHeight < 0 || nWidth > 32768 || nHeight > 32768 || !ValidDepth(bpp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (nWidth == 0 || nHeight == 0) {
        std::lock_guard<std::mutex> lock(G().lock);
        return static_cast<HBITMAP>(DefaultBitmapLocked());
    }
    auto b = NewBitmap(nWidth, nHeight, bpp, false, true);
    if (bpp > 1 && bpp <= 8)
        for (int i = 0; i < (1 << bpp); ++i)
            b->colors.push_back(RGBQUAD{BYTE(i * 255 / ((1 << bpp) - 1)), BYTE(i * 255 / ((1 << bpp) - 1)),
                                        BYTE(i * 255 / ((1 << bpp) - 1)), 0});
    if (lpBits)
        std::memcpy(b->bits.data(), lpBits, b->bits.size());
    return static_cast<HBITMAP>(Add(b));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    // A memory DC starts with its 1 x 1 monochrome bitmap, and a bitmap
    // compatible with it is monochrome, as on the platform.
    bool mono;
    {
        std::lock_guard<std::mutex> lock(G().lock);
        ObjectPtr d = FindLocked(hdc);
        if (!d || (d->type != Type::Dc && d->type != Type::MemDc)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        mono = d->type == Type::MemDc && d->selected[0] == G().defaultBitmap;
    }
    return CreateBitmap(cx, cy, 1, mono ? 1 : 32, nullptr);
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO *pbmi, UINT usage, void **ppvBits, HANDLE hSection, DWORD)
{
    if (ppvBits)
        *ppvBits = nullptr;
    if (standin::ShouldFail("CreateDIBSection"))
        return nullptr;
    if (!pbmi || pbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (usage != DIB_RGB_COLORS || hSection) {
        SetLastError(ERROR_NOT_SUPPORTED);  // palette indices and file mappings are not modelled
        return nullptr;
    }
    const BITMAPINFOHEADER &h = pbmi->bmiHeader;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > 32768 || std::abs(h.biHeight) > 32768 ||
        !ValidDepth(h.biBitCount) ||
        (h.biCompression != BI_RGB &&
         !(h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto b = NewBitmap(h.biWidth, std::abs(h.biHeight), h.biBitCount, true, h.biHeight < 0);
    b->compression = h.biCompression;
    const BYTE *after = reinterpret_cast<const BYTE *>(pbmi) + h.biSize;
    if (h.biCompression == BI_BITFIELDS)
        std::memcpy(b->masks, h.biSize == sizeof(BITMAPINFOHEADER) ? after : reinterpret_cast<const BYTE *>(pbmi) + 40,
                    sizeof b->masks);
    if (h.biBitCount <= 8) {
        size_t n = std::min<size_t>(h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount, 1u << h.biBitCount);
        b->colors.assign(reinterpret_cast<const RGBQUAD *>(after), reinterpret_cast<const RGBQUAD *>(after) + n);
    }
    HBITMAP handle = static_cast<HBITMAP>(Add(b));
    if (ppvBits)
        *ppvBits = b->bits.data();
    return handle;
}

UINT WINAPI GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD *prgbq)
{
    ObjectPtr b = Surface(hdc);
    if (!b || !b->dib || b->bpp > 8 || !prgbq || iStart >= b->colors.size())
        return 0;
    UINT n = std::min<UINT>(cEntries, UINT(b->colors.size()) - iStart);
    std::copy(b->colors.begin() + iStart, b->colors.begin() + iStart + n, prgbq);
    return n;
}

HDC WINAPI CreateCompatibleDC(HDC)
{
    if (standin::ShouldFail("CreateCompatibleDC"))
        return nullptr;
    return static_cast<HDC>(Add(NewDc(Type::MemDc, nullptr)));
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hdc);
    if (!d || (d->type != Type::Dc && d->type != Type::MemDc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ReleaseDcLocked(hdc, d);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd)
{
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return MakeWindowDC(hWnd);
}

int WINAPI ReleaseDC(HWND, HDC hDC)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hDC);
    if (!d || d->type != Type::Dc)
        return 0;
    ReleaseDcLocked(hDC, d);
    return 1;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hdc), o = FindLocked(h);
    if (!d || !o || (d->type != Type::Dc && d->type != Type::MemDc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    int slot;
    switch (o->type) {
    case Type::Bitmap:
        // Into a memory DC only, and into one DC at a time.
        if (d->type != Type::MemDc || (o->selections > 0 && d->selected[0] != h && !o->stock)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        slot = 0;
        break;
    case Type::Brush:
        slot = 1;
        break;
    case Type::Pen:
        slot = 2;
        break;
    case Type::Font:
        slot = 3;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HGDIOBJ old = d->selected[slot];
    if (ObjectPtr previous = FindLocked(old))
        --previous->selections;
    ++o->selections;
    d->selected[slot] = h;
    return old;
}

int WINAPI GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case HORZRES:
        return 1920;
    case VERTRES:
        return 1080;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    default:
        return 0;
    }
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    return Blit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop)
{
    return Blit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr)
{
    if (!lprc || !hbr)
        return 0;
    if (reinterpret_cast<ULONG_PTR>(hbr) <= COLOR_MENUBAR + 1)
        hbr = GetSysColorBrush(int(reinterpret_cast<ULONG_PTR>(hbr)) - 1);
    ObjectPtr brush = FindObject(hbr);
    if (!brush || brush->type != Type::Brush)
        return 0;
    {
        std::lock_guard<std::mutex> lock(G().lock);
        if (!IsDcLocked(hDC))
            return 0;
    }
    ObjectPtr to = Surface(hDC);
    if (!to || brush->brushStyle == BS_NULL)
        return 1;
    for (LONG y = std::max<LONG>(lprc->top, 0); y < std::min<LONG>(lprc->bottom, to->height); ++y)
        for (LONG x = std::max<LONG>(lprc->left, 0); x < std::min<LONG>(lprc->right, to->width); ++x)
            SetPixelColor(*to, int(x), int(y), brush->color);
    return 1;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    ObjectPtr b = Surface(hdc);
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return CLR_INVALID;
    return PixelColor(*b, x, y);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    ObjectPtr b = Surface(hdc);
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return CLR_INVALID;
    SetPixelColor(*b, x, y, color);
    return PixelColor(*b, x, y);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hdc);
    if (!d || (d->type != Type::Dc && d->type != Type::MemDc))
        return CLR_INVALID;
    std::swap(d->textColor, color);
    return color;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hdc);
    if (!d || (d->type != Type::Dc && d->type != Type::MemDc))
        return CLR_INVALID;
    std::swap(d->backColor, color);
    return color;
}

int WINAPI SetBkMode(HDC hdc, int mode)
{
    std::lock_guard<std::mutex> lock(G().lock);
    ObjectPtr d = FindLocked(hdc);
    if (!d || (d->type != Type::Dc && d->type != Type::MemDc) || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    std::swap(d->backMode, mode);
    return mode;
}

}  // extern "C"

namespace standin::ui {

int BitmapResourceId(HBITMAP bitmap)
{
    ObjectPtr b = FindObject(bitmap);
    if (!b || b->type != Type::Bitmap)
        return -1;
    return b->resourceId;
}

}  // namespace standin::ui
