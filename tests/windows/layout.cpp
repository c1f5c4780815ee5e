// Layout check of the real orvoui.dll with the real window system and fonts,
// at the system's DPI, on every page and dialog in every language: each shows
// controls; each visible control lies inside its area and overlaps no other
// (but a group box holding it, or an up-down control on its buddy's edge);
// every text fits its control in the control's font and every list header
// its column. The About page gets the copyright line and the longest version.
// Usage: orvoui-layout [path\to\orvoui.dll]

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/report.h"

namespace {

using report::checkf;
using report::format;
using report::printable;

int gDpi = 96;

// Room a control's frame takes from its text, in pixels at 96 dpi: the box
// and gap of a check box or radio button, the edges of a push button, the
// indent and end gap of a group box title, the margins of a header item.
constexpr int kCheckRoom = 13 + 4, kButtonRoom = 8, kGroupRoom = 16, kHeaderRoom = 12;
int Scaled(int pixels) { return MulDiv(pixels, gDpi, 96); }

enum class Kind { Text, Push, Check, GroupBox, Other };

// The texts the check measures: those of buttons of every kind and of
// static texts (not pictures, frames or icons).
Kind kindOf(HWND control)
{
    LONG style = GetWindowLongW(control, GWL_STYLE), type = style & BS_TYPEMASK;
    if (winhost::IsClass(control, L"Button"))
        return type <= BS_DEFPUSHBUTTON                              ? Kind::Push
               : type == BS_GROUPBOX                                 ? Kind::GroupBox
               : type != BS_USERBUTTON && type <= BS_AUTORADIOBUTTON ? Kind::Check
                                                                     : Kind::Other;
    type = style & SS_TYPEMASK;
    bool text = type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
    return winhost::IsClass(control, L"Static") && text ? Kind::Text : Kind::Other;
}

bool inside(const RECT &outer, const RECT &inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const RECT &a, const RECT &b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

std::string describe(HWND control, const RECT &r)
{
    // A picture's window text is its bitmap's ordinal, not words.
    std::string text = kindOf(control) == Kind::Other ? "" : printable(winhost::WindowText(control));
    return format("control %d \"%s\" (%ld,%ld)-(%ld,%ld)", GetDlgCtrlID(control), text.c_str(), r.left, r.top, r.right,
                  r.bottom);
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
    std::wstring text = winhost::WindowText(control);
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
    bool fits = need.cx <= room && need.cy <= height;
    return fits ? "" : format(": text needs %ldx%ld, has %dx%d", need.cx, need.cy, room, height);
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
        if (need.cx > room)
            problems.push_back(
                format("column %d header \"%s\" needs %ld pixels, has %d", i, printable(text).c_str(), need.cx, room));
    }
}

HWND buddyOf(HWND control)
{
    if (!winhost::IsClass(control, UPDOWN_CLASSW))
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
}

// The problems of the visible controls of a page or dialog, one per line.
std::vector<std::string> problemsOf(const winhost::Shown &shown)
{
    HWND parent = shown.window;
    const RECT &area = shown.area;
    std::vector<std::string> problems;
    std::vector<HWND> controls = report::visibleControls(parent);
    if (controls.empty())
        problems.push_back("no control shown");
    for (HWND c : controls) {
        RECT r = winhost::RectIn(c, parent);
        if (!inside(area, r))
            problems.push_back(describe(c, r) + format(" is outside the area (%ld,%ld)-(%ld,%ld)", area.left, area.top,
                                                       area.right, area.bottom));
        std::string text = textProblem(c, kindOf(c));
        if (!text.empty())
            problems.push_back(describe(c, r) + text);
        if (winhost::IsClass(c, WC_LISTVIEWW))
            headerProblems(c, problems);
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a = winhost::RectIn(controls[i], parent), b = winhost::RectIn(controls[j], parent);
            if (!overlap(a, b) || (kindOf(controls[i]) == Kind::GroupBox && inside(a, b)) ||
                (kindOf(controls[j]) == Kind::GroupBox && inside(b, a)) || buddyOf(controls[i]) == controls[j] ||
                buddyOf(controls[j]) == controls[i])
                continue;
            problems.push_back(describe(controls[i], a) + " overlaps " + describe(controls[j], b));
        }
    return problems;
}

// The fonts that measure the texts: the shell font, and faces behind it for
// the scripts it lacks. Two ideographs (打印) and two Hangul syllables (인쇄)
// take about 1 em each; a Thai consonant (ก) about half an em, and a vowel
// mark above it (กี) no room at all. Missing glyphs would be boxes, each
// with an advance of its own, the mark's too.
void checkFonts()
{
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    WCHAR face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    long width[4] = {};
    const wchar_t *texts[4] = {L"\x6253\x5370", L"\xC778\xC1C4", L"\x0E01", L"\x0E01\x0E35"};
    for (int i = 0; i < 4; ++i) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, texts[i], lstrlenW(texts[i]), &size);
        width[i] = size.cx;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    checkf(lstrcmpiW(face, L"Tahoma") == 0 && width[0] >= 19 && width[0] <= 24 && width[1] >= 19 && width[1] <= 24 &&
               width[2] >= 4 && width[2] <= 9 && width[3] == width[2],
           "Tahoma, with CJK and Thai faces behind it", "face %s; ideographs %ld, Hangul %ld, Thai %ld and %ld pixels",
           printable(face).c_str(), width[0], width[1], width[2], width[3]);
}

}  // namespace

int main(int argc, char **argv)
{
    std::wstring path = report::start(argc, argv);
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    gDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::printf("loading %s at %d dpi\n", printable(path).c_str(), gDpi);
    checkFonts();

    winhost::Host host;
    std::string rule = " at " + std::to_string(gDpi) + " dpi: controls shown, inside, apart, texts and headers fitting";
    report::everyWindow(host, path, rule, [](const winhost::Shown &shown) {
        if (shown.id == IDD_ABOUT) {
            WCHAR text[256] = L"";
            HMODULE dll = GetModuleHandleW(L"orvoui.dll");
            SetDlgItemTextW(shown.window, IDC_ABOUT_COPYRIGHT, LoadStringW(dll, IDS_COPYRIGHT, text, 200) ? text : L"");
            LoadStringW(dll, IDS_VERSION_PREFIX, text, 200);
            SetDlgItemTextW(shown.window, IDC_ABOUT_VERSION, (std::wstring(text) + L"65535.65535.65535").c_str());
        }
        return problemsOf(shown);
    });
    // The ribbon query's progress asks the printers over bidi, which Wine
    // has not: its template alone.
    HWND query =
        CreateDialogParamW(GetModuleHandleW(L"orvoui.dll"), MAKEINTRESOURCEW(IDD_RIBBON_QUERY), nullptr, nullptr, 0);
    winhost::Shown bare = {"template", IDD_RIBBON_QUERY, false, query, query, {}};
    GetClientRect(query, &bare.area);
    std::vector<std::string> problems = query ? problemsOf(bare) : std::vector<std::string>{"not created"};
    for (const std::string &p : problems)
        std::printf("     %s: %s\n", bare.Name().c_str(), p.c_str());
    checkf(problems.empty(), "template-240: controls shown, inside, apart, texts fitting", "%u problems",
           static_cast<unsigned>(problems.size()));
    DestroyWindow(query);
    return report::finish();
}
