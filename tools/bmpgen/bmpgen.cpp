// bmpgen: draws the plug-in's bitmap resources and writes them as .bmp files.
//
//   bmpgen <output folder>
//
// Runs on the build machine (also in the Windows cross-build) and draws every
// picture from code: no picture is taken from anywhere else. The output is
// the same bytes on every run.
//
// Pictures, by resource id (names are resource.h's without "IDB_"):
//
// | Id  | File                                | Size     | Format        | Shows
// |-----|-------------------------------------|----------|---------------|------------------------------------------
// | 165 | sample_original.bmp                 | 100x101  | 8-bit grey    | the sample scene (sun, hills, ball, ramp) in grey
// | 178 | dither_ordered_low.bmp              | 100x101  | 8-bit, 2 ink  | sample, 8x8 ordered dither, dark tone curve
// | 179 | dither_ordered_middle.bmp           | 100x101  | 8-bit, 2 ink  | ... neutral tone curve
// | 180 | dither_ordered_high.bmp             | 100x101  | 8-bit, 2 ink  | ... light tone curve
// | 184 | dither_none_low.bmp                 | 100x101  | 8-bit, 2 ink  | sample, plain threshold, dark
// | 185 | dither_none_middle.bmp              | 100x101  | 8-bit, 2 ink  | ... neutral
// | 186 | dither_none_high.bmp                | 100x101  | 8-bit, 2 ink  | ... light
// | 190 | dither_diffusion_low.bmp            | 100x101  | 8-bit, 2 ink  | sample, Floyd-Steinberg error diffusion, dark
// | 191 | dither_diffusion_middle.bmp         | 100x101  | 8-bit, 2 ink  | ... neutral
// | 192 | dither_diffusion_high.bmp           | 100x101  | 8-bit, 2 ink  | ... light
// | 196 | landscape.bmp                       | 64x64    | 8-bit palette | a wide label with an upright "A"
// | 197 | portrait.bmp                        | 64x64    | 8-bit palette | a tall label with an upright "A"
// | 202 | effect_sample.bmp                   | 100x101  | 24-bit        | the sample scene in colour
// | 207 | special_tape.bmp                    | 395x86   | 8-bit palette | fabric tape, printed text, no cut (crossed scissors)
// | 208 | special_tape_mirror.bmp             | 395x86   | 8-bit palette | the same with mirrored text
// | 216 | option_halfcut.bmp                  | 395x103  | 8-bit palette | option pictures: tape leaving the printer with
// | 219 | option_none.bmp                     | 395x103  | 8-bit palette |   labels "ABC" (mirrored when Mirror is set);
// | 220..224, 226..234 option_<flags>.bmp   | see left |               |   without chain two labels with margins (marked
// |     |                                     |          |               |   by dimension arrows), 395x103; with chain three
// |     |                                     |          |               |   labels close together joined by chain links,
// |     |                                     |          |               |   395x86; half cut: blue dashed lines through the
// |     |                                     |          |               |   label layer between labels; auto cut: red cut
// |     |                                     |          |               |   lines with scissors, the tape parted (between
// |     |                                     |          |               |   labels when there is no half cut, and at the end)
// | 235 | warning.bmp                         | 16x16    | 24-bit        | white exclamation mark in an orange disc, on white
// | 236 | blank.bmp                           | 16x16    | 24-bit        | white
//
// The sizes of 165, the nine rendering previews and 196/197 are this
// program's choice: the previews match the 100 x 101 brightness preview so
// that the Graphics page shows three pictures of one size.
//
// Pictures are drawn at 4x4 samples per pixel and averaged (smooth edges);
// the palettised ones then get a palette of their colours (the 256 most used
// when there are more, the rest mapped to the nearest). Rows are bottom-up,
// BI_RGB, as LoadImage expects of a resource bitmap.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb kRgb(uint32_t v) { return Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// ---------------------------------------------------------------------------
// Canvas: an RGB picture drawn at kSS x kSS samples per pixel.

constexpr int kSS = 4;

class Canvas {
public:
    Canvas(int w, int h, Rgb bg) : w_(w), h_(h), sw_(w * kSS), sh_(h * kSS), px_(size_t(sw_) * sh_, bg) {}
    int width() const { return w_; }
    int height() const { return h_; }

    // Calls inside(x, y) at each sample centre of the bounding box (pixel
    // units) and paints the samples where it is true. alpha in 0..1.
    void Fill(double x0, double y0, double x1, double y1, Rgb c, const std::function<bool(double, double)> &inside,
              double alpha = 1.0) {
        int sx0 = std::max(0, int(std::floor(x0 * kSS))), sy0 = std::max(0, int(std::floor(y0 * kSS)));
        int sx1 = std::min(sw_ - 1, int(std::ceil(x1 * kSS))), sy1 = std::min(sh_ - 1, int(std::ceil(y1 * kSS)));
        for (int sy = sy0; sy <= sy1; ++sy) {
            double y = (sy + 0.5) / kSS;
            for (int sx = sx0; sx <= sx1; ++sx) {
                double x = (sx + 0.5) / kSS;
                if (!inside(x, y)) continue;
                Rgb &p = px_[size_t(sy) * sw_ + sx];
                if (alpha >= 1.0) {
                    p = c;
                } else {
                    p.r = uint8_t(std::lround(p.r + (c.r - p.r) * alpha));
                    p.g = uint8_t(std::lround(p.g + (c.g - p.g) * alpha));
                    p.b = uint8_t(std::lround(p.b + (c.b - p.b) * alpha));
                }
            }
        }
    }
    // Paints every sample with colour(x, y).
    void Shade(const std::function<Rgb(double, double)> &colour) {
        for (int sy = 0; sy < sh_; ++sy)
            for (int sx = 0; sx < sw_; ++sx) px_[size_t(sy) * sw_ + sx] = colour((sx + 0.5) / kSS, (sy + 0.5) / kSS);
    }

    void Rect(double x0, double y0, double x1, double y1, Rgb c, double alpha = 1.0) {
        Fill(x0, y0, x1, y1, c, [&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, alpha);
    }
    void RoundRect(double x0, double y0, double x1, double y1, double r, Rgb c, double alpha = 1.0) {
        Fill(x0, y0, x1, y1, c, [&](double x, double y) { return InRoundRect(x, y, x0, y0, x1, y1, r); }, alpha);
    }
    // An outline of width t inside the rounded rectangle, then its inside.
    void FramedRoundRect(double x0, double y0, double x1, double y1, double r, double t, Rgb line, Rgb fill) {
        RoundRect(x0, y0, x1, y1, r, line);
        RoundRect(x0 + t, y0 + t, x1 - t, y1 - t, std::max(0.0, r - t), fill);
    }
    void Disc(double cx, double cy, double r, Rgb c, double alpha = 1.0) {
        Fill(cx - r, cy - r, cx + r, cy + r, c,
             [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }, alpha);
    }
    void Ring(double cx, double cy, double r, double t, Rgb c) {
        Fill(cx - r, cy - r, cx + r, cy + r, c, [&](double x, double y) {
            double d = std::hypot(x - cx, y - cy);
            return d <= r && d >= r - t;
        });
    }
    // A stroke of width t with round ends.
    void Line(double ax, double ay, double bx, double by, double t, Rgb c) {
        double h = t / 2;
        Fill(std::min(ax, bx) - h, std::min(ay, by) - h, std::max(ax, bx) + h, std::max(ay, by) + h, c,
             [&](double x, double y) { return SegmentDistance(x, y, ax, ay, bx, by) <= h; });
    }
    void Polyline(const std::vector<std::pair<double, double>> &pts, double t, Rgb c) {
        for (size_t i = 1; i < pts.size(); ++i) Line(pts[i - 1].first, pts[i - 1].second, pts[i].first, pts[i].second, t, c);
    }
    void Triangle(double ax, double ay, double bx, double by, double cx, double cy, Rgb c) {
        Fill(std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}), std::max({ay, by, cy}), c,
             [&](double x, double y) {
                 double d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
                 double d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
                 double d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
                 bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
                 return !(neg && pos);
             });
    }
    // A dashed stroke from a to b: dash, gap, dash, ...
    void Dashed(double ax, double ay, double bx, double by, double t, double dash, double gap, Rgb c) {
        double len = std::hypot(bx - ax, by - ay);
        for (double s = 0; s < len; s += dash + gap) {
            double e = std::min(len, s + dash);
            Line(ax + (bx - ax) * s / len, ay + (by - ay) * s / len, ax + (bx - ax) * e / len, ay + (by - ay) * e / len,
                 t, c);
        }
    }
    // An arrow from a to b with a filled head at b.
    void Arrow(double ax, double ay, double bx, double by, double t, double head, Rgb c) {
        double len = std::hypot(bx - ax, by - ay), ux = (bx - ax) / len, uy = (by - ay) / len;
        Line(ax, ay, bx - ux * head * 0.8, by - uy * head * 0.8, t, c);
        Triangle(bx, by, bx - ux * head - uy * head * 0.55, by - uy * head + ux * head * 0.55,
                 bx - ux * head + uy * head * 0.55, by - uy * head - ux * head * 0.55, c);
    }

    // The picture: each pixel the mean of its samples.
    std::vector<Rgb> Resolve() const {
        std::vector<Rgb> out(size_t(w_) * h_);
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                int r = 0, g = 0, b = 0;
                for (int j = 0; j < kSS; ++j)
                    for (int i = 0; i < kSS; ++i) {
                        const Rgb &p = px_[size_t(y * kSS + j) * sw_ + x * kSS + i];
                        r += p.r, g += p.g, b += p.b;
                    }
                constexpr int n = kSS * kSS;
                out[size_t(y) * w_ + x] = Rgb{uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)};
            }
        return out;
    }

    static bool InRoundRect(double x, double y, double x0, double y0, double x1, double y1, double r) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    }
    static double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
        double dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
        double t = l2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / l2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
    }

private:
    int w_, h_, sw_, sh_;
    std::vector<Rgb> px_;
};

// ---------------------------------------------------------------------------
// Stroke letters, in a box 0.62 wide and 1 high (y down).

using Path = std::vector<std::pair<double, double>>;

Path Arc(double cx, double cy, double rx, double ry, double from, double to, int steps) {
    Path p;
    constexpr double kPi = 3.14159265358979323846;
    for (int i = 0; i <= steps; ++i) {
        double t = (from + (to - from) * i / steps) * kPi / 180;
        p.emplace_back(cx + rx * std::cos(t), cy - ry * std::sin(t));
    }
    return p;
}

std::vector<Path> Glyph(char c) {
    switch (c) {
    case 'A':
        return {{{0, 1}, {0.31, 0}, {0.62, 1}}, {{0.13, 0.66}, {0.49, 0.66}}};
    case 'B': {
        Path top{{0, 0.48}, {0, 0}, {0.30, 0}};
        Path a = Arc(0.30, 0.24, 0.24, 0.24, 90, -90, 12);
        top.insert(top.end(), a.begin(), a.end());
        top.emplace_back(0, 0.48);
        Path bottom{{0, 0.48}, {0, 1}, {0.33, 1}};
        Path b = Arc(0.33, 0.74, 0.26, 0.26, -90, 90, 12);
        bottom.insert(bottom.end(), b.begin(), b.end());
        bottom.emplace_back(0, 0.48);
        return {top, bottom};
    }
    case 'C':
        return {Arc(0.34, 0.5, 0.32, 0.5, 48, 312, 20)};
    }
    return {};
}

// Draws `text` with its top-left corner at (x, y), letters `size` high;
// `mirror` flips the whole line left to right, as the printer does.
// Returns the width.
double TextWidth(const std::string &text, double size) { return size * (0.62 * text.size() + 0.3 * (text.size() - 1)); }

void Text(Canvas &cv, const std::string &text, double x, double y, double size, double stroke, bool mirror, Rgb ink) {
    double w = TextWidth(text, size);
    double pen = 0;
    for (char c : text) {
        for (const Path &path : Glyph(c)) {
            Path p;
            for (auto [gx, gy] : path) {
                double px = pen + gx * size;
                p.emplace_back(mirror ? x + w - px : x + px, y + gy * size);
            }
            cv.Polyline(p, stroke, ink);
        }
        pen += size * 0.92;
    }
}

// ---------------------------------------------------------------------------
// Colours of the drawings.

constexpr Rgb kPanel = kRgb(0xFAFBFC), kPanelEdge = kRgb(0xC9CED6);
constexpr Rgb kBody = kRgb(0x4A5562), kBodyTop = kRgb(0x667382), kSlot = kRgb(0x20262E), kLed = kRgb(0x5BD27A);
constexpr Rgb kLiner = kRgb(0xD5DEE8), kLinerEdge = kRgb(0xA9B5C3);
constexpr Rgb kLabel = kRgb(0xFFFFFF), kLabelEdge = kRgb(0xB4BECA);
constexpr Rgb kInk = kRgb(0x1F2429);
constexpr Rgb kCut = kRgb(0xD8402F), kHalfCut = kRgb(0x2F74D0), kGuide = kRgb(0x8A95A3);
constexpr Rgb kFabric = kRgb(0xF3E6C8), kFabricWeave = kRgb(0xE6D3A8), kFabricEdge = kRgb(0xC2AB7A);

void Panel(Canvas &cv) {
    cv.Rect(0, 0, cv.width(), cv.height(), kPanelEdge);
    cv.Rect(1, 1, cv.width() - 1, cv.height() - 1, kPanel);
}

// The printer's front at the left edge; the tape leaves it at x = 54.
void Printer(Canvas &cv, double tapeTop, double tapeBottom) {
    double h = cv.height();
    cv.RoundRect(-12, 7, 52, h - 7, 9, kBody);
    cv.RoundRect(-12, 7, 52, 20, 9, kBodyTop);
    cv.Rect(-12, 14, 52, 20, kBodyTop);
    cv.Disc(38, 13.5, 2.6, kLed);
    cv.Rect(46, tapeTop - 3, 54, tapeBottom + 3, kSlot);
}

// Scissors above a cut at x, pointing down at the tape top y.
void Scissors(Canvas &cv, double x, double y, Rgb c) {
    cv.Ring(x - 3.6, y - 15, 3.1, 1.4, c);
    cv.Ring(x + 3.6, y - 15, 3.1, 1.4, c);
    cv.Line(x - 2.6, y - 12.2, x + 2.2, y - 2.5, 1.6, c);
    cv.Line(x + 2.6, y - 12.2, x - 2.2, y - 2.5, 1.6, c);
}

// A full cut at x through the tape from y0 to y1: the tape is parted there
// (the caller leaves the gap), a red cut line with scissors above and a
// pointer below.
void FullCut(Canvas &cv, double x, double y0, double y1) {
    cv.Dashed(x, y0 - 5, x, y1 + 4, 1.6, 4, 2.5, kCut);
    Scissors(cv, x, y0 - 5, kCut);
    cv.Triangle(x, y1 + 5, x - 4, y1 + 11, x + 4, y1 + 11, kCut);
}

// A half cut at x: only the label layer (y0..y1) is cut; the liner holds.
void HalfCut(Canvas &cv, double x, double y0, double y1) {
    cv.Dashed(x, y0, x, y1, 1.6, 3, 2.2, kHalfCut);
    cv.Triangle(x, y0 - 1, x - 3.5, y0 - 7, x + 3.5, y0 - 7, kHalfCut);
}

// Two chain links joining the labels at x, above the tape top y.
void ChainLinks(Canvas &cv, double x, double y) {
    auto link = [&](double cx, double cy) {
        cv.RoundRect(cx - 5.5, cy - 3.2, cx + 5.5, cy + 3.2, 3.2, kGuide);
        cv.RoundRect(cx - 4.1, cy - 1.8, cx + 4.1, cy + 1.8, 1.8, kPanel);
    };
    link(x - 3.6, y - 8);
    link(x + 3.6, y - 8);
    cv.Rect(x - 3.6, y - 9, x + 3.6, y - 7, kGuide);
}

// A dimension mark from x0 to x1 at y: end ticks and a double arrow.
void Dimension(Canvas &cv, double x0, double x1, double y) {
    cv.Line(x0, y - 5, x0, y + 5, 1.2, kGuide);
    cv.Line(x1, y - 5, x1, y + 5, 1.2, kGuide);
    double m = (x0 + x1) / 2;
    cv.Arrow(m, y, x0 + 1, y, 1.2, 4.5, kGuide);
    cv.Arrow(m, y, x1 - 1, y, 1.2, 4.5, kGuide);
}

// The feed direction, above the tape at the printer.
void FeedArrow(Canvas &cv, double y) { cv.Arrow(60, y, 88, y, 1.6, 6, kGuide); }

struct Options {
    bool autoCut, chain, halfCut, mirror;
};

// The option pictures: tape with labels leaving the printer.
Canvas OptionPicture(const Options &o) {
    const int w = 395, h = o.chain ? 86 : 103;
    Canvas cv(w, h, kPanel);
    Panel(cv);
    const double ty = 25, tb = ty + 36;  // the tape band
    const double x0 = 54, xe = o.autoCut ? w - 18 : w + 4;
    const int n = o.chain ? 3 : 2;
    const double margin = o.chain ? 4 : 20;
    const double gap = (o.autoCut && !o.halfCut) ? 8 : 0;  // tape parted between labels
    const double lw = (xe - x0 - (n - 1) * gap - n * 2 * margin) / n;

    FeedArrow(cv, 12);
    double x = x0;
    std::vector<double> joints;
    for (int i = 0; i < n; ++i) {
        double pieceEnd = x + 2 * margin + lw;
        // The liner of this piece (pieces touch unless the tape is parted).
        cv.Rect(x, ty, pieceEnd, tb, kLinerEdge);
        cv.Rect(x, ty + 1, pieceEnd, tb - 1, kLiner);
        double lx0 = x + margin, lx1 = lx0 + lw;
        cv.FramedRoundRect(lx0, ty + 4, lx1, tb - 4, 4, 1, kLabelEdge, kLabel);
        const double size = 16;
        double tw = TextWidth("ABC", size);
        Text(cv, "ABC", (lx0 + lx1 - tw) / 2, (ty + tb - size) / 2, size, 2.2, o.mirror, kInk);
        if (!o.chain) {
            Dimension(cv, x, lx0, tb + 15);
            if (pieceEnd < w) Dimension(cv, lx1, pieceEnd, tb + 15);
        }
        x = pieceEnd;
        if (i + 1 < n) {
            joints.push_back(x + gap / 2);
            x += gap;
        }
    }
    for (double j : joints) {
        if (o.halfCut) HalfCut(cv, j, ty + 4, tb - 4);
        else if (o.autoCut) FullCut(cv, j, ty, tb);
        if (o.chain) ChainLinks(cv, j, o.autoCut && !o.halfCut ? tb + 26 : ty);
    }
    if (o.autoCut) FullCut(cv, xe + 4, ty, tb);
    Printer(cv, ty, tb);
    return cv;
}

// Special tape: fabric that is not cut; the text goes straight on the tape.
Canvas SpecialTapePicture(bool mirror) {
    const int w = 395, h = 86;
    Canvas cv(w, h, kPanel);
    Panel(cv);
    const double ty = 25, tb = ty + 36;
    cv.Rect(54, ty, w + 4, tb, kFabricEdge);
    cv.Rect(54, ty + 1, w + 4, tb - 1, kFabric);
    for (double d = 54 - 40; d < w; d += 6)  // the weave
        cv.Fill(54, ty + 1, w, tb - 1, kFabricWeave, [&](double x, double y) {
            double u = x - d - (y - ty);
            return u >= 0 && u < 1.6;
        });
    for (int i = 0; i < 3; ++i) {
        const double size = 16, tw = TextWidth("ABC", size);
        double cx = 54 + 56 + i * 112;
        Text(cv, "ABC", cx - tw / 2, (ty + tb - size) / 2, size, 2.4, mirror, kInk);
    }
    // No cut: crossed-out scissors.
    double sx = 330, sy = 12.5;
    Scissors(cv, sx, sy + 9.3, kGuide);
    cv.Ring(sx, sy, 11.5, 1.8, kCut);
    cv.Line(sx - 7.8, sy + 7.8, sx + 7.8, sy - 7.8, 1.8, kCut);
    FeedArrow(cv, 12);
    Printer(cv, ty, tb);
    return cv;
}

// Orientation: a label sheet with a folded corner and an upright "A".
Canvas OrientationPicture(bool landscape) {
    Canvas cv(64, 64, kPanel);
    Panel(cv);
    double x0 = landscape ? 7 : 17, y0 = landscape ? 17 : 7, x1 = 64 - x0, y1 = 64 - y0;
    cv.RoundRect(x0 + 2, y0 + 2, x1 + 2, y1 + 2, 3, kRgb(0xDDE2E8));  // shadow
    cv.FramedRoundRect(x0, y0, x1, y1, 3, 1.2, kLinerEdge, kLabel);
    double f = 9;  // the folded corner
    cv.Triangle(x1 - f, y0 - 0.5, x1 + 0.5, y0 - 0.5, x1 + 0.5, y0 + f, kPanel);
    cv.Triangle(x1 - f, y0, x1 - f, y0 + f, x1, y0 + f, kLiner);
    cv.Line(x1 - f, y0, x1, y0 + f, 1.2, kLinerEdge);
    double size = 22, tw = TextWidth("A", size);
    Text(cv, "A", 32 - tw / 2, 32 - size / 2, size, 3.2, false, kInk);
    return cv;
}

// ---------------------------------------------------------------------------
// The sample scene of the Graphics page: sky, sun, hills, a red ball, a grey
// ramp. Colour at a point, 100 x 101 pixels.

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return Rgb{uint8_t(std::lround(a.r + (b.r - a.r) * t)), uint8_t(std::lround(a.g + (b.g - a.g) * t)),
               uint8_t(std::lround(a.b + (b.b - a.b) * t))};
}

Rgb Scene(double x, double y) {
    // The grey ramp along the bottom.
    if (y >= 89) return y < 90 ? kRgb(0x303030) : Mix(kRgb(0x000000), kRgb(0xFFFFFF), (x - 2) / 96);
    double back = 52 + 7 * std::sin(x / 13.0 + 0.6) + 4 * std::sin(x / 5.3);
    double front = 66 + 6 * std::sin(x / 19.0 + 2.2);
    // The ball, lit from the upper left.
    const double bx = 33, by = 66, br = 17;
    double dx = (x - bx) / br, dy = (y - by) / br, d2 = dx * dx + dy * dy;
    if (d2 <= 1) {
        double dz = std::sqrt(1 - d2);
        const double lx = -0.5, ly = -0.6, lz = 0.62;
        double diffuse = std::max(0.0, dx * lx + dy * ly + dz * lz);
        double hz = lz + 1, hl = std::sqrt(lx * lx + ly * ly + hz * hz);
        double shine = std::pow(std::max(0.0, (dx * lx + dy * ly + dz * hz) / hl), 40);
        Rgb base = kRgb(0xD8322C);
        Rgb lit{uint8_t(std::min(255.0, base.r * (0.18 + 0.9 * diffuse) + 255 * shine)),
                uint8_t(std::min(255.0, base.g * (0.18 + 0.9 * diffuse) + 255 * shine)),
                uint8_t(std::min(255.0, base.b * (0.18 + 0.9 * diffuse) + 255 * shine))};
        return lit;
    }
    if (y >= front) {
        Rgb grass = Mix(kRgb(0x8CCB5A), kRgb(0x3E7F2E), (y - front) / (89 - front));
        // The ball's shadow on the grass.
        double sx = (x - bx - 6) / 19, sy = (y - by - 15) / 4.5;
        double s = sx * sx + sy * sy;
        return s < 1 ? Mix(grass, kRgb(0x1E3A18), 0.55 * (1 - s)) : grass;
    }
    if (y >= back) return Mix(kRgb(0x4F9A55), kRgb(0x2F6B3D), (y - back) / 18);
    // The sun and its glow.
    double sd = std::hypot(x - 74, y - 21);
    if (sd <= 10) return kRgb(0xFFD65A);
    Rgb sky = Mix(kRgb(0x3D78C8), kRgb(0xBFDDF5), y / 60);
    return sd < 22 ? Mix(kRgb(0xFFE9A8), sky, (sd - 10) / 12) : sky;
}

std::vector<Rgb> SampleColour() {
    Canvas cv(100, 101, kRgb(0));
    cv.Shade(Scene);
    return cv.Resolve();
}

// Grey as the Graphics page computes it from blue, green and red.
std::vector<uint8_t> SampleGrey() {
    std::vector<uint8_t> g;
    for (Rgb p : SampleColour()) g.push_back(uint8_t((11 * p.b + 58 * p.g + 31 * p.r) / 100));
    return g;
}

enum class Dither { None, Ordered, Diffusion };

// Renders the grey sample to black and white dots (1 = black). level 0 is
// the darkest, 2 the lightest: a tone curve applied before the dots.
std::vector<uint8_t> Render(const std::vector<uint8_t> &grey, int w, int h, Dither mode, int level) {
    static const double kGamma[3] = {1.9, 1.0, 0.5};
    uint8_t curve[256];
    for (int v = 0; v < 256; ++v) curve[v] = uint8_t(std::lround(255 * std::pow(v / 255.0, kGamma[level])));
    std::vector<int> v(grey.size());
    for (size_t i = 0; i < grey.size(); ++i) v[i] = curve[grey[i]];
    std::vector<uint8_t> dots(grey.size());
    switch (mode) {
    case Dither::None:
        for (size_t i = 0; i < v.size(); ++i) dots[i] = v[i] < 128;
        break;
    case Dither::Ordered: {
        // The 8 x 8 Bayer matrix, built from the 2 x 2 one.
        int m[8][8];
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                int r = 0;
                for (int bit = 0; bit < 3; ++bit) {
                    int xb = (x >> bit) & 1, yb = (y >> bit) & 1;
                    r |= (((xb ^ yb) << 1) | yb) << (2 * (2 - bit));
                }
                m[y][x] = r;
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) dots[size_t(y) * w + x] = v[size_t(y) * w + x] * 64 < (m[y % 8][x % 8] * 2 + 1) * 128;
        break;
    }
    case Dither::Diffusion:
        // Floyd-Steinberg, in integers, left to right.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int &p = v[size_t(y) * w + x];
                int out = p < 128 ? 0 : 255, err = p - out;
                dots[size_t(y) * w + x] = out == 0;
                auto spread = [&](int dx, int dy, int k) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && nx < w && ny < h) v[size_t(ny) * w + nx] += err * k / 16;
                };
                spread(1, 0, 7), spread(-1, 1, 3), spread(0, 1, 5), spread(1, 1, 1);
            }
        break;
    }
    return dots;
}

void Warning(Canvas &cv) {
    cv.Disc(8, 8, 7.5, kRgb(0xB85A00));
    cv.Disc(8, 8, 6.7, kRgb(0xF28C1C));
    cv.Line(8, 3.8, 8, 9.0, 2.1, kRgb(0xFFFFFF));
    cv.Disc(8, 12.0, 1.15, kRgb(0xFFFFFF));
}

// ---------------------------------------------------------------------------
// BMP files.

void Put16(std::vector<uint8_t> &b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t> &b, uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }

// BITMAPFILEHEADER, BITMAPINFOHEADER and the palette.
std::vector<uint8_t> Header(int w, int h, int bits, const std::vector<Rgb> &palette) {
    uint32_t stride = uint32_t((w * bits + 31) / 32 * 4);
    uint32_t offset = 14 + 40 + 4 * uint32_t(palette.size());
    std::vector<uint8_t> b;
    b.push_back('B'), b.push_back('M');
    Put32(b, offset + stride * uint32_t(h));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, uint32_t(w));
    Put32(b, uint32_t(h));  // positive: bottom-up rows
    Put16(b, 1);
    Put16(b, uint16_t(bits));
    Put32(b, 0);  // BI_RGB
    Put32(b, stride * uint32_t(h));
    Put32(b, 3780), Put32(b, 3780);  // 96 dots per inch
    Put32(b, uint32_t(palette.size()));
    Put32(b, 0);
    for (Rgb c : palette) b.push_back(c.b), b.push_back(c.g), b.push_back(c.r), b.push_back(0);
    return b;
}

std::vector<uint8_t> Bmp24(int w, int h, const std::vector<Rgb> &px) {
    std::vector<uint8_t> b = Header(w, h, 24, {});
    int stride = (w * 24 + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgb &p = px[size_t(y) * w + x];
            b.push_back(p.b), b.push_back(p.g), b.push_back(p.r);
        }
        for (int i = w * 3; i < stride; ++i) b.push_back(0);
    }
    return b;
}

std::vector<uint8_t> Bmp8(int w, int h, const std::vector<Rgb> &palette, const std::vector<uint8_t> &index) {
    std::vector<uint8_t> b = Header(w, h, 8, palette);
    int stride = (w + 3) / 4 * 4;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) b.push_back(index[size_t(y) * w + x]);
        for (int i = w; i < stride; ++i) b.push_back(0);
    }
    return b;
}

uint32_t Key(Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

// An 8-bit picture of an RGB one: its colours, or the 256 most used of them.
std::vector<uint8_t> Palettise(int w, int h, const std::vector<Rgb> &px) {
    std::map<uint32_t, int> count;
    for (Rgb c : px) ++count[Key(c)];
    std::vector<std::pair<int, uint32_t>> byUse;
    for (auto [k, n] : count) byUse.emplace_back(-n, k);
    std::sort(byUse.begin(), byUse.end());
    if (byUse.size() > 256) byUse.resize(256);
    std::vector<uint32_t> keys;
    for (auto [n, k] : byUse) keys.push_back(k);
    std::sort(keys.begin(), keys.end());
    std::vector<Rgb> palette;
    for (uint32_t k : keys) palette.push_back(kRgb(k));
    std::map<uint32_t, uint8_t> slot;
    for (auto [k, n] : count) {
        Rgb c = kRgb(k);
        int best = 0, bestD = 1 << 30;
        for (size_t i = 0; i < palette.size(); ++i) {
            int dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
            int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
            if (d < bestD) bestD = d, best = int(i);
        }
        slot[k] = uint8_t(best);
    }
    std::vector<uint8_t> index;
    for (Rgb c : px) index.push_back(slot[Key(c)]);
    return Bmp8(w, h, palette, index);
}

std::vector<uint8_t> Palettise(const Canvas &cv) { return Palettise(cv.width(), cv.height(), cv.Resolve()); }

bool Write(const std::string &dir, const std::string &name, const std::vector<uint8_t> &bytes) {
    std::string path = dir + "/" + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "bmpgen: error writing %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bmpgen <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    auto put = [&](const char *name, const std::vector<uint8_t> &bytes) { ok = Write(dir, name, bytes) && ok; };

    // The Graphics page: the sample and its renderings.
    const int sw = 100, sh = 101;
    std::vector<uint8_t> grey = SampleGrey();
    std::vector<Rgb> greys;
    for (int v = 0; v < 256; ++v) greys.push_back(Rgb{uint8_t(v), uint8_t(v), uint8_t(v)});
    put("sample_original.bmp", Bmp8(sw, sh, greys, grey));
    put("effect_sample.bmp", Bmp24(sw, sh, SampleColour()));
    const std::vector<Rgb> inks{kRgb(0xFFFFFF), kRgb(0x000000)};  // index 1 = a dot
    const struct {
        Dither mode;
        const char *name;
    } modes[] = {{Dither::None, "none"}, {Dither::Ordered, "ordered"}, {Dither::Diffusion, "diffusion"}};
    const char *levels[] = {"low", "middle", "high"};
    for (auto m : modes)
        for (int l = 0; l < 3; ++l)
            put((std::string("dither_") + m.name + "_" + levels[l] + ".bmp").c_str(),
                Bmp8(sw, sh, inks, Render(grey, sw, sh, m.mode, l)));

    // Page Setup: direction and options.
    put("landscape.bmp", Palettise(OrientationPicture(true)));
    put("portrait.bmp", Palettise(OrientationPicture(false)));
    put("special_tape.bmp", Palettise(SpecialTapePicture(false)));
    put("special_tape_mirror.bmp", Palettise(SpecialTapePicture(true)));
    for (int i = 0; i < 16; ++i) {
        Options o{(i & 8) != 0, (i & 4) != 0, (i & 2) != 0, (i & 1) != 0};
        std::string name = "option";
        if (o.autoCut) name += "_autocut";
        if (o.chain) name += "_chain";
        if (o.halfCut) name += "_halfcut";
        if (o.mirror) name += "_mirror";
        if (i == 0) name += "_none";
        put((name + ".bmp").c_str(), Palettise(OptionPicture(o)));
    }

    // Distributed printing list.
    Canvas warning(16, 16, kRgb(0xFFFFFF));
    Warning(warning);
    put("warning.bmp", Bmp24(16, 16, warning.Resolve()));
    put("blank.bmp", Bmp24(16, 16, std::vector<Rgb>(256, kRgb(0xFFFFFF))));
    return ok ? 0 : 1;
}
