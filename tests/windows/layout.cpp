// Layout check of the real orvoui.dll's dialog templates with the real
// window system and real fonts: every property page of every language shown
// alone in a property sheet, as the sheet sizes it, and every modal dialog
// of every language in its own frame. For each it checks that
//   - every control lies inside the area the sheet gives the page (for a
//     modal dialog, inside its client area),
//   - no two controls overlap (a group box holding a control wholly is not
//     an overlap),
//   - the text of every static text, push button, check box, radio button
//     and group box fits its control in the font the control was given,
//   - the About page's copyright and version lines of each language fit,
//   - the distributed printing list's column headers fit their columns.
// A page alone in its sheet is the tightest case: the sheet sizes itself to
// its largest page, so with other pages beside it a page only gets more room.
//
// Usage: orvoui-layout [path\to\orvoui.dll [LANGID TEMPLATE]]   (default: orvoui.dll next to the exe)
// With a language (hex, 0x0804) and a template id it only shows that page in
// a property sheet, or that dialog, until it is closed: for a look at what
// the checks see.
// Prints one line per problem, one ok/FAIL line per dialog, a count of the
// problems per language and the closing "N passed, N failed" line.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/dllpath.h"
#include "tests/windows/report.h"

namespace {

using report::check;
using report::checkf;
using report::printable;

struct Language {
    LANGID id;
    const char *tag;
};
const Language kLanguages[] = {
    {0x0804, "zh-CN"}, {0x0409, "en-US"}, {0x0404, "zh-TW"}, {0x0411, "ja-JP"}, {0x0412, "ko-KR"}, {0x0407, "de-DE"},
    {0x040C, "fr-FR"}, {0x0C0A, "es-ES"}, {0x0410, "it-IT"}, {0x0416, "pt-BR"}, {0x0419, "ru-RU"}, {0x0415, "pl-PL"},
    {0x0413, "nl-NL"}, {0x041F, "tr-TR"}, {0x0405, "cs-CZ"}, {0x041E, "th-TH"}, {0x042A, "vi-VN"},
};
constexpr LANGID kChineseSimplified = 0x0804;

// The templates that exist in Simplified Chinese only are shown to every user.
struct Dialog {
    WORD id;
    bool page;
    bool everyLanguage;
};
const Dialog kDialogs[] = {
    {IDD_ABOUT, true, false},
    {IDD_PAGE_SETUP, true, true},
    {IDD_GRAPHICS, true, true},
    {IDD_OTHER, true, true},
    {IDD_PAGE_SETUP_EX, true, true},
    {IDD_PAPER_STOCK, false, true},
    {IDD_DISTRIBUTED_PRINTING, false, true},
    {IDD_RIBBON_WIDTH, false, true},
    {IDD_RIBBON_QUERY, false, false},
};

// The distributed printing list's columns as the dialog inserts them:
// widths in pixels, headers from string 28 on (column 0 has none).
const int kColumnWidths[] = {20, 160, 100, 100, 100, 100, 100};

// Room a control's frame takes from its text, in pixels at 96 dpi: the box
// and gap of a check box or radio button, the edges of a push button, the
// indent and end gap of a group box title, the margins of a header item.
constexpr int kCheckRoom = 13 + 4, kButtonRoom = 8, kGroupRoom = 16, kHeaderRoom = 12;

HMODULE g_dll;
std::map<std::string, int> g_problemsPerLanguage;

std::wstring windowText(HWND hwnd)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::wstring className(HWND hwnd)
{
    WCHAR name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    return name;
}

// A string of the string table in exactly one language (LoadString would
// take the thread's).
std::wstring stringIn(UINT id, LANGID language)
{
    HRSRC res = FindResourceExW(g_dll, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const WCHAR *p = res ? static_cast<const WCHAR *>(LockResource(LoadResource(g_dll, res))) : nullptr;
    if (!p)
        return L"";
    for (UINT i = 0; i < id % 16; ++i)
        p += 1 + *p;
    return std::wstring(p + 1, *p);
}

const DLGTEMPLATE *templateOf(WORD id, LANGID language)
{
    HRSRC res = FindResourceExW(g_dll, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    return res ? static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(g_dll, res))) : nullptr;
}

enum class Kind { Text, Push, Check, GroupBox, Other };

Kind kindOf(HWND control)
{
    std::wstring cls = className(control);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
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
    if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
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

// The size a text takes in a font: one line, or broken into lines at width.
SIZE textSize(HFONT font, const std::wstring &text, UINT format, int width)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left, r.bottom - r.top};
}

int lineHeight(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

// Whether a control's text fits it in the control's font; else the problem.
std::string textProblem(HWND control, Kind kind)
{
    std::wstring text = windowText(control);
    if (text.empty() || kind == Kind::Other)
        return "";
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    RECT client;
    GetClientRect(control, &client);
    int width = client.right, height = client.bottom;
    LONG style = GetWindowLongW(control, GWL_STYLE);
    UINT prefix = (kind == Kind::Text && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
    int line = lineHeight(font);
    int room = width;
    SIZE need;
    if (kind == Kind::Text && height >= 2 * line && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP &&
        (style & SS_TYPEMASK) != SS_SIMPLE) {
        need = textSize(font, text, prefix | DT_WORDBREAK | DT_EDITCONTROL, width);
    } else {
        need = textSize(font, text, prefix | DT_SINGLELINE, 0);
        room -= kind == Kind::Check      ? kCheckRoom
                : kind == Kind::Push     ? kButtonRoom
                : kind == Kind::GroupBox ? kGroupRoom
                                         : 0;
        if (kind != Kind::Text)
            height = std::max<int>(height, need.cy);  // a frame's own height is not the text's
    }
    if (need.cx <= room && need.cy <= height)
        return "";
    char buf[96];
    std::snprintf(buf, sizeof buf, ": text needs %ldx%ld, has %dx%d", need.cx, need.cy, room, height);
    return buf;
}

HWND buddyOf(HWND control)
{
    if (lstrcmpiW(className(control).c_str(), UPDOWN_CLASSW) != 0)
        return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
}

// Checks the direct children of a window against an area (in the window's
// client coordinates); returns the problems, one per line.
std::vector<std::string> controlProblems(HWND parent, const RECT &area)
{
    std::vector<std::string> problems;
    std::vector<HWND> controls;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)
            controls.push_back(c);
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
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a = rectIn(controls[i], parent), b = rectIn(controls[j], parent);
            if (!overlap(a, b))
                continue;
            if (kindOf(controls[i]) == Kind::GroupBox && inside(a, b))
                continue;
            if (kindOf(controls[j]) == Kind::GroupBox && inside(b, a))
                continue;
            // An up-down control set at its buddy's edge covers the edit's border.
            if (buddyOf(controls[i]) == controls[j] || buddyOf(controls[j]) == controls[i])
                continue;
            problems.push_back(describe(controls[i], a) + " overlaps " + describe(controls[j], b));
        }
    return problems;
}

// The About page shows the copyright and version lines of the user's
// language in place of its placeholders; the longest version number.
void fillAbout(HWND page, LANGID language)
{
    SetDlgItemTextW(page, IDC_ABOUT_COPYRIGHT, stringIn(IDS_COPYRIGHT, language).c_str());
    SetDlgItemTextW(page, IDC_ABOUT_VERSION, (stringIn(IDS_VERSION_PREFIX, language) + L"65535.65535.65535").c_str());
}

// The distributed printing list's columns, as its dialog inserts them, and
// whether each header's text fits its column.
std::vector<std::string> columnProblems(HWND dialog, LANGID language)
{
    std::vector<std::string> problems;
    HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST);
    if (!list)
        return {"no list view"};
    for (int i = 0; i < 7; ++i) {
        std::wstring header = i == 0 ? L"" : stringIn(IDS_COLUMN_PRINTER_NAME + i - 1, language);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumnWidths[i];
        column.pszText = &header[0];
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        if (header.empty())
            continue;
        auto headerWindow = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        auto font = reinterpret_cast<HFONT>(SendMessageW(headerWindow, WM_GETFONT, 0, 0));
        SIZE need = textSize(font, header, DT_SINGLELINE | DT_NOPREFIX, 0);
        int room = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)) - kHeaderRoom;
        if (need.cx > room) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "\" needs %ld pixels, has %d", need.cx, room);
            problems.push_back("column " + std::to_string(i) + " header \"" + printable(header) + buf);
        }
    }
    return problems;
}

INT_PTR CALLBACK quietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

// One page alone in a modeless property sheet; the area is what the sheet
// gives the page: the page window as the sheet sized it, within the tab
// control's display area.
std::vector<std::string> pageProblems(WORD id, const DLGTEMPLATE *resource, LANGID language)
{
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT;
    page.hInstance = g_dll;
    page.pResource = resource;
    page.pfnDlgProc = quietProc;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = g_dll;
    header.pszCaption = L"orvoui-layout";
    header.nPages = 1;
    header.ppsp = &page;
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (!sheet || sheet == reinterpret_cast<HWND>(-1))
        return {"the property sheet was not created"};
    auto pageWindow = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    auto tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    std::vector<std::string> problems;
    if (!pageWindow || !tab) {
        problems.push_back("the sheet shows no page");
    } else {
        if (id == IDD_ABOUT)
            fillAbout(pageWindow, language);
        RECT display;
        GetClientRect(tab, &display);
        SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        MapWindowPoints(tab, pageWindow, reinterpret_cast<POINT *>(&display), 2);
        RECT client, area;
        GetClientRect(pageWindow, &client);
        IntersectRect(&area, &client, &display);
        problems = controlProblems(pageWindow, area);
    }
    DestroyWindow(sheet);
    return problems;
}

std::vector<std::string> modalProblems(WORD id, const DLGTEMPLATE *resource, HWND owner, LANGID language)
{
    HWND dialog = CreateDialogIndirectParamW(g_dll, resource, owner, quietProc, 0);
    if (!dialog)
        return {"the dialog was not created"};
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<std::string> problems = controlProblems(dialog, client);
    if (id == IDD_DISTRIBUTED_PRINTING)
        for (const std::string &p : columnProblems(dialog, language))
            problems.push_back(p);
    DestroyWindow(dialog);
    return problems;
}

void checkDialog(const Dialog &d, HWND owner)
{
    std::string failing;
    int count = 0;
    for (const Language &l : kLanguages) {
        // A one-language template is what every user sees.
        const DLGTEMPLATE *resource = templateOf(d.id, d.everyLanguage ? l.id : kChineseSimplified);
        if (!d.everyLanguage && d.id != IDD_ABOUT && l.id != kChineseSimplified)
            continue;
        std::vector<std::string> problems;
        if (!resource)
            problems.push_back("no template");
        else
            problems = d.page ? pageProblems(d.id, resource, l.id) : modalProblems(d.id, resource, owner, l.id);
        for (const std::string &p : problems)
            std::printf("     %u %s: %s\n", d.id, l.tag, p.c_str());
        if (!problems.empty())
            failing += std::string(" ") + l.tag;
        g_problemsPerLanguage[l.tag] += static_cast<int>(problems.size());
        ++count;
    }
    std::string what = "dialog " + std::to_string(d.id) + (d.page ? " alone in a property sheet" : " in its frame") +
                       ", " + std::to_string(count) + " language(s): controls inside, apart, texts fitting";
    checkf(failing.empty(), what.c_str(), "problems in%s", failing.c_str());
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
    checkf(ideographs >= 19 && ideographs <= 24, "two ideographs take about 2 em in a CJK face",
           "%ld pixels at 11 pixels an em", ideographs);
    checkf(hangul >= 19 && hangul <= 24, "two Hangul syllables take about 2 em in a CJK face",
           "%ld pixels at 11 pixels an em", hangul);
    checkf(consonant >= 4 && consonant <= 9 && marked == consonant,
           "a Thai consonant takes about half an em, a mark above it no room", "%ld pixels, with the mark %ld",
           consonant, marked);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    checkf(lstrcmpiW(face, L"Tahoma") == 0, "Tahoma is installed", "face %s", printable(face).c_str());
}

// The page's lParam: its language, and whether it is the About page.
INT_PTR CALLBACK shownPageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    LPARAM param = reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam;
    if (HIWORD(param) == IDD_ABOUT)
        fillAbout(hwnd, LOWORD(param));
    return TRUE;
}

// Shows one page in a property sheet, or one dialog, until it is closed.
int show(LANGID language, WORD id)
{
    const Dialog *d = nullptr;
    for (const Dialog &candidate : kDialogs)
        if (candidate.id == id)
            d = &candidate;
    const DLGTEMPLATE *resource = d ? templateOf(id, d->everyLanguage ? language : kChineseSimplified) : nullptr;
    if (!resource) {
        std::printf("no template %u in language 0x%04X\n", id, language);
        return 1;
    }
    if (!d->page)
        return DialogBoxIndirectParamW(g_dll, resource, nullptr, quietProc, 0) == -1;
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT;
    page.hInstance = g_dll;
    page.pResource = resource;
    page.pfnDlgProc = shownPageProc;
    page.lParam = MAKELPARAM(language, id);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hInstance = g_dll;
    header.pszCaption = L"orvoui-layout";
    header.nPages = 1;
    header.ppsp = &page;
    return PropertySheetW(&header) == -1;
}

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::wstring path = defaultDllPath();
    if (argc > 1) {
        WCHAR buf[MAX_PATH];
        path = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, buf, MAX_PATH) > 0 ? buf : L"";
    }
    std::printf("loading %s\n", printable(path).c_str());
    g_dll = LoadLibraryW(path.c_str());
    checkf(g_dll != nullptr, "LoadLibraryW", "error %lu", (unsigned long)GetLastError());
    if (!g_dll)
        return report::finish();

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    check(InitCommonControlsEx(&icc) != FALSE, "InitCommonControlsEx");
    if (argc > 3)
        return show(static_cast<LANGID>(std::strtoul(argv[2], nullptr, 16)), static_cast<WORD>(std::atoi(argv[3])));
    checkFonts();
    HWND owner = CreateWindowExW(0, L"Static", L"orvoui-layout", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    for (const Dialog &d : kDialogs)
        checkDialog(d, owner);
    DestroyWindow(owner);

    std::string counts;
    for (const Language &l : kLanguages)
        counts += std::string(" ") + l.tag + " " + std::to_string(g_problemsPerLanguage[l.tag]);
    std::printf("problems per language:%s\n", counts.c_str());
    FreeLibrary(g_dll);
    return report::finish();
}
