// Keyboard check of the real orvoui.dll, every page and dialog the harness
// brings up (winhost/host.h) in every language: Tab (or the arrows inside a
// group) reaches every visible enabled control, in reading order with a few
// pixels' tolerance for a row; the arrows stay in radio groups; access keys
// are unique, a key a text shows as "(C)" is its access key and Alt+key
// clicks the button or focuses the control after the label. On 217, Space on
// a row's check box enables Apply; the context-menu key opens 238.
// Usage: orvoui-keyboard [path\to\orvoui.dll]; prints each window's problems
// in the first language that has any, an ok/FAIL line per window, the total.

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/report.h"
#include "winhost/host.h"

namespace {

using Problems = std::vector<std::string>;
WNDPROC gOldProc;
int gTolerance = 4;  // pixels of one row, at the system's DPI
int gClicked;        // the last button whose click reached the window (and went no further)
HWND gOwner, gOpened;

LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool click = message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && lParam;
    gClicked = click ? LOWORD(wParam) : gClicked;
    return click ? 0 : CallWindowProcW(gOldProc, window, message, wParam, lParam);
}

bool Has(HWND c, LONG bits) { return (GetWindowLongW(c, GWL_STYLE) & bits) == bits; }
LONG ButtonType(HWND c) { return winhost::IsClass(c, L"Button") ? GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK : -1; }
bool IsLabel(HWND c) { return winhost::IsClass(c, L"Static") || ButtonType(c) == BS_GROUPBOX; }
bool IsRadio(HWND c) { return ButtonType(c) == BS_RADIOBUTTON || ButtonType(c) == BS_AUTORADIOBUTTON; }
std::string Describe(HWND c)
{
    return std::to_string(GetDlgCtrlID(c)) + " \"" + report::printable(winhost::WindowText(c)) + "\"";
}

// A text's access key (upper case) and the key it shows at the end of its
// words, "(C)…" or "(&S):" (a copyright line's "(C) 2026" shows none).
wchar_t KeysOf(HWND c, wchar_t &shown)
{
    std::wstring t = winhost::WindowText(c);
    wchar_t key = 0;
    shown = 0;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        size_t k = i + 1 + (t[i + 1] == L'&');
        if (t[i] == L'(' && k + 1 < t.size() && iswalpha(t[k]) && t[k] < 0x80 && t[k + 1] == L')' &&
            t.find_first_not_of(L":.\x2026\xFF1A ", k + 2) == std::wstring::npos)
            shown = towupper(t[k]);
        if (t[i] == L'&' && !key && !(winhost::IsClass(c, L"Static") && Has(c, SS_NOPREFIX)))
            key = t[i + 1] == L'&' ? (++i, 0) : towupper(t[i + 1]);
    }
    return key;
}

// Presses Alt+key as the window system delivers it to a dialog's loop.
void AltKey(HWND frame, wchar_t key)
{
    MSG down = {GetFocus(), WM_SYSKEYDOWN, static_cast<WPARAM>(key), 1 | (1 << 29), 0, {}}, m = down;
    m.message = WM_SYSCHAR;
    m.wParam = towlower(key);
    for (MSG *one : {&down, &m})
        if (!IsDialogMessageW(frame, one))
            DispatchMessageW(one);
}

void CheckControls(const winhost::Shown &s, Problems &out)
{
    HWND w = s.window, first = GetNextDlgTabItem(w, nullptr, FALSE);
    std::vector<HWND> all, order;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (Has(c, WS_VISIBLE))
            all.push_back(c);
    std::set<HWND> reached;
    for (HWND c = first; c && order.size() < all.size() && (order.empty() || c != first);
         c = GetNextDlgTabItem(w, c, FALSE)) {
        order.push_back(c);
        for (HWND g = c; reached.insert(g).second;)
            g = GetNextDlgGroupItem(w, g, FALSE);
    }
    for (size_t i = 1; i < order.size(); ++i) {
        RECT a = winhost::RectIn(order[i - 1], w), b = winhost::RectIn(order[i], w);
        if (b.top < a.top - gTolerance || (b.top <= a.top + gTolerance && b.left < a.left))
            out.push_back("Tab goes back from " + Describe(order[i - 1]) + " to " + Describe(order[i]));
    }
    std::map<wchar_t, HWND> keys;
    for (HWND c : all) {
        if (IsWindowEnabled(c) && !IsLabel(c) && !winhost::IsClass(c, UPDOWN_CLASSW) && !reached.count(c))
            out.push_back("neither Tab nor the arrows reach " + Describe(c));
        HWND g = c;
        for (size_t n = 0; IsRadio(c) && n < all.size() && (g = GetNextDlgGroupItem(w, g, FALSE)) && IsRadio(g); ++n)
            continue;
        if (IsRadio(c) && g && !IsRadio(g))
            out.push_back("the arrows leave the group of " + Describe(c) + " for " + Describe(g));
        wchar_t shown, key = KeysOf(c, shown);
        if (key && !keys.emplace(key, c).second)
            out.push_back(Describe(keys[key]) + " and " + Describe(c) + " share an access key");
        std::string alt = "Alt+" + std::string(1, static_cast<char>(shown)) + ": ";
        if (shown && shown != key) {
            out.push_back(alt + Describe(c) + " shows the key but does not carry it");
        } else if (shown) {
            HWND next = c;  // a label hands the focus to the next control that takes it
            while (IsLabel(c) && (next = GetWindow(next, GW_HWNDNEXT)) && !Has(next, WS_TABSTOP | WS_VISIBLE))
                continue;
            SetFocus(first);
            gClicked = 0;
            AltKey(s.frame, key);
            HWND focus = GetFocus();
            if (IsLabel(c) ? !next || (focus != next && !IsChild(next, focus)) : gClicked != GetDlgCtrlID(c))
                out.push_back(alt + "does not act on " + Describe(c));
        }
    }
}

// Closes the ribbon width dialog once it is up over the distributed printing one.
void CALLBACK CloseOpened(HWND, UINT, UINT_PTR, DWORD)
{
    for (HWND found = GetWindow(GetDesktopWindow(), GW_CHILD); found && !gOpened; found = GetWindow(found, GW_HWNDNEXT))
        if (GetWindow(found, GW_OWNER) == gOwner && IsWindowVisible(found) && GetDlgItem(found, IDC_RIBBON_SET_WIDTH))
            PostMessageW(gOpened = found, WM_COMMAND, IDCANCEL, 0);
}

// A row of the distributed printing list from the keyboard: Space on its
// check box enables Apply; the context-menu key opens the ribbon width dialog.
void CheckRows(HWND dialog, Problems &out)
{
    HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST);
    SetFocus(list);
    LVITEMW row = {};
    row.stateMask = row.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&row));
    LRESULT before = SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(list, WM_CHAR, L' ', 1);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 1 | (3u << 30));
    if (SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) == before)
        out.push_back("Space does not change the first row's check box");
    else if (!IsWindowEnabled(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY)))
        out.push_back("Space on the first row's check box leaves Apply disabled");
    gOwner = dialog;
    gOpened = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseOpened);
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);  // as the key or Shift+F10 sends it
    KillTimer(nullptr, timer);
    if (!gOpened)
        out.push_back("the context-menu key on a row does not open the ribbon width dialog");
}

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    SetProcessDPIAware();
    std::wstring path = argc > 1 ? winhost::Wide(argv[1]) : winhost::BesideProgram(L"orvoui.dll");
    HDC screen = GetDC(nullptr);
    gTolerance = MulDiv(4, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    winhost::Host host;
    report::checkf(host.Load(path), "the plug-in loads and a printer of each model is added", "%s",
                   host.Error().c_str());
    std::vector<std::pair<std::string, std::string>> results;  // per window: the languages with problems
    std::vector<winhost::Language> languages(1, {winhost::LanguageOf("en-US"), "en-US"});  // printed first
    for (const winhost::Language &l : winhost::kLanguages)
        if (l.id != languages[0].id)
            languages.push_back(l);
    for (const winhost::Language &l : languages) {
        size_t at = 0;
        host.Run(l.id, [&](const winhost::Shown &s) {
            if (at == results.size())
                results.emplace_back(s.Name(), "");
            auto &result = results[at++];
            Problems problems;
            gOldProc =
                reinterpret_cast<WNDPROC>(SetWindowLongPtrW(s.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch)));
            CheckControls(s, problems);
            SetWindowLongPtrW(s.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOldProc));
            if (s.id == IDD_DISTRIBUTED_PRINTING)
                CheckRows(s.window, problems);
            for (size_t i = 0; i < problems.size() && result.second.empty(); ++i)
                std::printf("     %s %s: %s\n", result.first.c_str(), l.tag, problems[i].c_str());
            result.second += problems.empty() ? "" : std::string(" ") + l.tag;
        });
    }
    report::checkf(host.Error().empty(), "every page and dialog was shown", "%s", host.Error().c_str());
    for (const auto &result : results)
        report::checkf(result.second.empty(),
                       (result.first + ": Tab and arrows reach all in reading order, keys unique and working").c_str(),
                       "problems in%s", result.second.c_str());
    return report::finish();
}
