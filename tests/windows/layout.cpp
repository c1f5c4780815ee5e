// Layout check of the real orvoui.dll with the real window system and real
// fonts: every page and dialog as the harness brings them up (winhost/host.h:
// the plug-in's own procedures fill the lists and hide controls per model),
// in every language, at the DPI the system is set to. For each it checks that
//   - the page shows controls at all,
//   - every visible control lies inside the area the sheet gives the page
//     (for a modal dialog, inside its client area),
//   - no two visible controls overlap (a group box holding a control wholly
//     is not an overlap, nor an up-down control on its buddy's edge),
//   - the text of every static text, push button, check box, radio button
//     and group box fits its control in the font the control was given,
//   - every list header fits its column.
// The About page gets the longest version number and each language's
// copyright line first: the placeholders are what Wine's spooler leaves.
//
// Usage: orvoui-layout [path\to\orvoui.dll]   (default: orvoui.dll next to the exe)
// Prints one line per problem, one ok/FAIL line per window over all
// languages and the closing "N passed, N failed" line.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/dllpath.h"
#include "tests/windows/report.h"
#include "winhost/host.h"

namespace {

using report::checkf;
using report::printable;

int gDpi = 96;

// Room a control's frame takes from its text, in pixels at 96 dpi: the box
// and gap of a check box or radio button, the edges of a push button, the
// indent and end gap of a group box title, the margins of a header item.
constexpr int kCheckRoom = 13 + 4, kButtonRoom = 8, kGroupRoom = 16, kHeaderRoom = 12;
int Scaled(int pixels) { return MulDiv(pixels, gDpi, 96); }

std::wstring windowText(HWND hwnd)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool isClass(HWND hwnd, const wchar_t *name)
{
    WCHAR cls[64] = L"";
    GetClassNameW(hwnd, cls, 64);
    return lstrcmpiW(cls, name) == 0;
}

enum class Kind { Text, Push, Check, GroupBox, Other };

Kind kindOf(HWND control)
{
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if (isClass(control, L"Button")) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return Kind::Push;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return Kind::Check;
        case BS_GROUPBOX:
            return Kind::GroupBox;
        }
    }
    if (isClass(control, L"Static")) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            return Kind::Text;
        }
    }
    return Kind::Other;
}

// The rectangle of a window in the client coordinates of another.
RECT rectIn(HWND window, HWND parent)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

bool inside(const RECT &outer, const RECT &inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const RECT &a, const RECT &b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string describe(HWND control, const RECT &r)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "control %d \"", GetDlgCtrlID(control));
    // A picture's window text is its bitmap's ordinal, not words.
    std::string out = buf + (kindOf(control) == Kind::Other ? "" : printable(windowText(control)));
    std::snprintf(buf, sizeof buf, "\" (%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return out + buf;
}

// The size a text takes in a font: one line, or broken into lines at width;
// with line set, the font's line height instead.
SIZE textSize(HFONT font, const std::wstring &text, UINT format, int width, bool line = false)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT r = {0, 0, width, 0};
    TEXTMETRICW tm = {};
    if (line)
        GetTextMetricsW(dc, &tm);
    else
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return line ? SIZE{0, tm.tmHeight} : SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT fontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); }

// Whether a control's text fits it in the control's font; else the problem.
std::string textProblem(HWND control, Kind kind)
{
    std::wstring text = windowText(control);
    if (text.empty() || kind == Kind::Other)
        return "";
    HFONT font = fontOf(control);
    RECT client;
    GetClientRect(control, &client);
    int room = client.right, height = client.bottom;
    LONG style = GetWindowLongW(control, GWL_STYLE);
    UINT prefix = (kind == Kind::Text && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
    SIZE need;
    if (kind == Kind::Text && height >= 2 * textSize(font, L"", 0, 0, true).cy &&
        (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP && (style & SS_TYPEMASK) != SS_SIMPLE) {
        need = textSize(font, text, prefix | DT_WORDBREAK | DT_EDITCONTROL, room);
    } else {
        need = textSize(font, text, prefix | DT_SINGLELINE, 0);
        room -= Scaled(kind == Kind::Check      ? kCheckRoom
                       : kind == Kind::Push     ? kButtonRoom
                       : kind == Kind::GroupBox ? kGroupRoom
                                                : 0);
        if (kind != Kind::Text)
            height = std::max<int>(height, need.cy);  // a frame's own height is not the text's
    }
    if (need.cx <= room && need.cy <= height)
        return "";
    char buf[96];
    std::snprintf(buf, sizeof buf, ": text needs %ldx%ld, has %dx%d", need.cx, need.cy, room, height);
    return buf;
}

// Whether each header of a list view fits its column.
void headerProblems(HWND list, std::vector<std::string> &problems)
{
    auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        WCHAR text[128] = L"";
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 128;
        SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        if (text[0] == 0)
            continue;
        SIZE need = textSize(fontOf(header), text, DT_SINGLELINE | DT_NOPREFIX, 0);
        int room = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)) - Scaled(kHeaderRoom);
        if (need.cx > room) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "\" needs %ld pixels, has %d", need.cx, room);
            problems.push_back("column " + std::to_string(i) + " header \"" + printable(text) + buf);
        }
    }
}

HWND buddyOf(HWND control)
{
    if (!isClass(control, UPDOWN_CLASSW))
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
}

// The problems of the visible controls of a page or dialog, one per line.
std::vector<std::string> problemsOf(const winhost::Shown &shown)
{
    HWND parent = shown.window;
    const RECT &area = shown.area;
    std::vector<std::string> problems;
    std::vector<HWND> controls;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)
            controls.push_back(c);
    if (controls.empty())
        problems.push_back("no control shown");
    for (HWND c : controls) {
        RECT r = rectIn(c, parent);
        if (!inside(area, r)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, " is outside the area (%ld,%ld)-(%ld,%ld)", area.left, area.top, area.right,
                          area.bottom);
            problems.push_back(describe(c, r) + buf);
        }
        std::string text = textProblem(c, kindOf(c));
        if (!text.empty())
            problems.push_back(describe(c, r) + text);
        if (isClass(c, WC_LISTVIEWW))
            headerProblems(c, problems);
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a = rectIn(controls[i], parent), b = rectIn(controls[j], parent);
            if (!overlap(a, b) || (kindOf(controls[i]) == Kind::GroupBox && inside(a, b)) ||
                (kindOf(controls[j]) == Kind::GroupBox && inside(b, a)) || buddyOf(controls[i]) == controls[j] ||
                buddyOf(controls[j]) == controls[i])
                continue;
            problems.push_back(describe(controls[i], a) + " overlaps " + describe(controls[j], b));
        }
    return problems;
}

// A string of the string table in exactly one language.
std::wstring stringIn(HMODULE dll, UINT id, LANGID language)
{
    HRSRC res = FindResourceExW(dll, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const WCHAR *p = res ? static_cast<const WCHAR *>(LockResource(LoadResource(dll, res))) : nullptr;
    if (!p)
        return L"";
    for (UINT i = 0; i < id % 16; ++i)
        p += 1 + *p;
    return std::wstring(p + 1, *p);
}

// The fonts that measure the texts: the shell font, and faces behind it for
// the scripts it lacks. Without them every check above would measure Wine's
// fallback glyphs.
void checkFonts()
{
    HDC dc = GetDC(nullptr);
    LOGFONTW lf = {};
    lf.lfHeight = -11;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    WCHAR face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    auto width = [dc](const wchar_t *text) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        return size.cx;
    };
    // Two ideographs (打印) and two Hangul syllables (인쇄) take about 1 em
    // each; a Thai consonant (ก) about half an em, and a vowel mark above it
    // (กี) no room at all. A face's missing glyphs would be boxes, each with
    // an advance of its own, the mark's too.
    long ideographs = width(L"\x6253\x5370"), hangul = width(L"\xC778\xC1C4");
    long consonant = width(L"\x0E01"), marked = width(L"\x0E01\x0E35");
    checkf(ideographs >= 19 && ideographs <= 24 && hangul >= 19 && hangul <= 24,
           "two ideographs and two Hangul syllables take about 2 em in a CJK face",
           "%ld and %ld pixels at 11 pixels an em", ideographs, hangul);
    checkf(consonant >= 4 && consonant <= 9 && marked == consonant,
           "a Thai consonant takes about half an em, a mark above it no room", "%ld pixels, with the mark %ld",
           consonant, marked);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    checkf(lstrcmpiW(face, L"Tahoma") == 0, "Tahoma is installed", "face %s", printable(face).c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    SetProcessDPIAware();
    std::wstring path = defaultDllPath();
    if (argc > 1) {
        WCHAR buf[MAX_PATH];
        path = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, buf, MAX_PATH) > 0 ? buf : L"";
    }
    HDC screen = GetDC(nullptr);
    gDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::printf("loading %s at %d dpi\n", printable(path).c_str(), gDpi);
    checkFonts();

    winhost::Host host;
    checkf(host.Load(path), "the plug-in loads and a printer of each model is added", "%s", host.Error().c_str());
    HMODULE dll = GetModuleHandleW(L"orvoui.dll");
    // Per window in the order shown: the languages it was shown in and those
    // with problems.
    std::vector<std::string> order;
    std::map<std::string, std::pair<int, std::string>> results;
    for (const winhost::Language &l : winhost::kLanguages) {
        host.Run(l.id, [&](const winhost::Shown &shown) {
            if (shown.id == IDD_ABOUT) {
                SetDlgItemTextW(shown.window, IDC_ABOUT_COPYRIGHT, stringIn(dll, IDS_COPYRIGHT, l.id).c_str());
                SetDlgItemTextW(shown.window, IDC_ABOUT_VERSION,
                                (stringIn(dll, IDS_VERSION_PREFIX, l.id) + L"65535.65535.65535").c_str());
            }
            std::string name = shown.Name();
            if (!results.count(name))
                order.push_back(name);
            auto &result = results[name];
            ++result.first;
            std::vector<std::string> problems = problemsOf(shown);
            for (const std::string &p : problems)
                std::printf("     %s %s: %s\n", name.c_str(), l.tag, p.c_str());
            if (!problems.empty())
                result.second += std::string(" ") + l.tag;
        });
    }
    checkf(host.Error().empty(), "every page and dialog was shown", "%s", host.Error().c_str());
    for (const std::string &name : order) {
        const auto &result = results[name];
        std::string what = name + " at " + std::to_string(gDpi) + " dpi in " + std::to_string(result.first) +
                           " languages: controls shown, inside, apart, texts and headers fitting";
        checkf(result.first == 17 && result.second.empty(), what.c_str(), "problems in%s", result.second.c_str());
    }
    return report::finish();
}
