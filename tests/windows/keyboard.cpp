// Keyboard check of the real orvoui.dll on every page and dialog the harness
// shows (winhost/host.h), in every language: Tab and the arrows reach every
// control in reading order and stay inside radio groups, access keys are
// unique and act, and 217's rows take Space and the context-menu key.
// Usage: orvoui-keyboard [path\to\orvoui.dll]

#include <map>
#include <regex>
#include <set>

#include "platform/win32.h"
#include "resources/resource.h"
#include "tests/windows/report.h"

namespace {

using report::Problems;
WNDPROC gOldProc;
constexpr int kTolerance = 4;  // pixels of one row at 96 DPI, where the check runs
int gClicked;                  // the last button whose click reached the window (and went no further)
HWND gOpened;

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
    static const std::wregex kShown(L"\\(&?([A-Za-z])\\)[:.\x2026\xFF1A ]*$");
    std::wstring t = winhost::WindowText(c);
    std::wsmatch m;
    shown = std::regex_search(t, m, kShown) ? towupper(m.str(1)[0]) : 0;
    bool prefix = !(winhost::IsClass(c, L"Static") && Has(c, SS_NOPREFIX));
    for (size_t i = t.find(L'&'); prefix && i != std::wstring::npos && i + 1 < t.size(); i = t.find(L'&', i + 2))
        if (t[i + 1] != L'&')
            return towupper(t[i + 1]);
    return 0;
}

void CheckControls(const winhost::Shown &s, Problems &out)
{
    HWND w = s.window, first = GetNextDlgTabItem(w, nullptr, FALSE);
    std::vector<HWND> all = report::visibleControls(w), order;
    std::set<HWND> reached;
    for (HWND c = first; c && order.size() < all.size() && (order.empty() || c != first);
         c = GetNextDlgTabItem(w, c, FALSE)) {
        order.push_back(c);
        for (HWND g = c; reached.insert(g).second;)
            g = GetNextDlgGroupItem(w, g, FALSE);
    }
    for (size_t i = 1; i < order.size(); ++i) {
        RECT a = winhost::RectIn(order[i - 1], w), b = winhost::RectIn(order[i], w);
        if (b.top < a.top - kTolerance || (b.top <= a.top + kTolerance && b.left < a.left))
            out.push_back("Tab goes back from " + Describe(order[i - 1]) + " to " + Describe(order[i]));
    }
    std::map<wchar_t, HWND> keys;
    for (HWND c : all) {
        if (IsWindowEnabled(c) && !IsLabel(c) && !winhost::IsClass(c, UPDOWN_CLASSW) && !reached.count(c))
            out.push_back("neither Tab nor the arrows reach " + Describe(c));
        HWND g = IsRadio(c) ? GetNextDlgGroupItem(w, c, FALSE) : nullptr;
        if (g && !IsRadio(g))
            out.push_back("the arrows leave the group of " + Describe(c) + " for " + Describe(g));
        wchar_t shown, key = KeysOf(c, shown);
        if (key && !keys.emplace(key, c).second)
            out.push_back(Describe(keys[key]) + " and " + Describe(c) + " share an access key");
        std::string alt = "Alt+" + std::string(1, static_cast<char>(shown)) + ": " + Describe(c);
        if (shown && shown != key)
            out.push_back(alt + " shows the key but does not carry it");
        if (!shown || shown != key)
            continue;
        HWND next = c;  // a label hands the focus to the next control that takes it
        while (IsLabel(c) && (next = GetWindow(next, GW_HWNDNEXT)) && !Has(next, WS_TABSTOP | WS_VISIBLE))
            continue;
        SetFocus(first);
        gClicked = 0;
        // Alt+key's character, as the window system gives it to the dialog's loop.
        MSG press = {GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(towlower(key)), 1 | (1 << 29), 0, {}};
        if (!IsDialogMessageW(s.frame, &press))
            DispatchMessageW(&press);
        if (IsLabel(c) ? !next || (GetFocus() != next && !IsChild(next, GetFocus())) : gClicked != GetDlgCtrlID(c))
            out.push_back(alt + " is not acted on");
    }
}

// Closes the ribbon width dialog once it is up over the distributed printing one.
void CALLBACK CloseOpened(HWND, UINT, UINT_PTR, DWORD)
{
    for (HWND found = GetWindow(GetDesktopWindow(), GW_CHILD); found && !gOpened; found = GetWindow(found, GW_HWNDNEXT))
        if (IsWindowVisible(found) && GetDlgItem(found, IDC_RIBBON_SET_WIDTH))
            PostMessageW(gOpened = found, WM_COMMAND, IDCANCEL, 0);
}

void CheckRows(HWND dialog, Problems &out)
{
    HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST);
    SetFocus(list);
    ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    UINT before = ListView_GetItemState(list, 0, LVIS_STATEIMAGEMASK);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(list, WM_CHAR, L' ', 1);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 1 | (3u << 30));
    if (ListView_GetItemState(list, 0, LVIS_STATEIMAGEMASK) == before ||
        !IsWindowEnabled(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY)))
        out.push_back("Space on the first row's check box does not change it and enable Apply");
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
    winhost::Host host;
    report::everyWindow(host, report::start(argc, argv),
                        ": Tab and arrows reach all in reading order, keys unique and working", [](const auto &s) {
                            Problems problems;
                            gOldProc = WNDPROC(SetWindowLongPtrW(s.window, GWLP_WNDPROC, LONG_PTR(Watch)));
                            CheckControls(s, problems);
                            SetWindowLongPtrW(s.window, GWLP_WNDPROC, LONG_PTR(gOldProc));
                            if (s.id == IDD_DISTRIBUTED_PRINTING)
                                CheckRows(s.window, problems);
                            return problems;
                        });
    return report::finish();
}
