// Dialogs of the stand-in: templates (DLGTEMPLATE and DLGTEMPLATEEX) from
// RT_DIALOG resources, the dialog manager's default procedure, modal loops
// with the automation's scripts and stall guard, and message boxes.
//
// A DLGTEMPLATEEX, all fields little-endian: WORD dlgVer 1, WORD signature
// 0xFFFF, DWORD helpID, exStyle, style, WORD cDlgItems, short x, y, cx, cy,
// then menu, class (each 0, 0xFFFF + ordinal, or a string) and title; with
// DS_SETFONT WORD pointsize, WORD weight, BYTE italic, BYTE charset and the
// typeface. Each item starts on a DWORD boundary: DWORD helpID, exStyle,
// style, short x, y, cx, cy, DWORD id, class and title (string or ordinal),
// WORD extraCount and the creation data. A DLGTEMPLATE has no version,
// signature, help ids, weight, italic or charset, puts style before exStyle,
// and has WORD item ids.
#include "platform/linux/crt/crt.h"
#include "platform/linux/res/res.h"
#include "platform/linux/user/internal.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace standin::user {

namespace {

struct ItemTemplate {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::u16string cls;
    WORD clsOrdinal = 0;
    std::u16string title;
    WORD titleOrdinal = 0;
    bool titleIsOrdinal = false;
    const BYTE *data = nullptr;  // the creation data, starting with its size WORD
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string cls, title, face;
    WORD clsOrdinal = 0;
    int pointSize = 0, weight = FW_NORMAL;
    BYTE italic = 0, charset = DEFAULT_CHARSET;
    std::vector<ItemTemplate> items;
};

class Reader {
public:
    Reader(const BYTE *data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    const BYTE *here() const { return data_ + pos_; }
    WORD U16()
    {
        if (size_ - pos_ < 2 || pos_ > size_)
            return ok_ = false, 0;
        WORD v = WORD(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    DWORD U32()
    {
        DWORD lo = U16();
        return lo | DWORD(U16()) << 16;
    }
    BYTE U8()
    {
        if (pos_ >= size_)
            return ok_ = false, 0;
        return data_[pos_++];
    }
    std::u16string Str()
    {
        std::u16string s;
        for (WORD c; ok_ && (c = U16()) != 0;)
            s += char16_t(c);
        return s;
    }
    // A sz_Or_Ord: true with the ordinal, or false with the string.
    bool SzOrOrd(std::u16string *s, WORD *ordinal)
    {
        s->clear();
        *ordinal = 0;
        if (size_ - pos_ >= 2 && data_[pos_] == 0xFF && data_[pos_ + 1] == 0xFF) {
            pos_ += 2;
            *ordinal = U16();
            return true;
        }
        *s = Str();
        return false;
    }
    void Skip(size_t n)
    {
        if (size_ - pos_ < n)
            ok_ = false;
        else
            pos_ += n;
    }
    void Align4() { Skip(((pos_ + 3) & ~size_t(3)) - pos_); }

private:
    const BYTE *data_;
    size_t size_, pos_ = 0;
    bool ok_ = true;
};

bool Parse(const BYTE *data, size_t size, DialogTemplate &t)
{
    Reader r(data, size);
    bool ex = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    int count;
    if (ex) {
        r.U32();  // version and signature
        r.U32();  // help id
        t.exStyle = r.U32();
        t.style = r.U32();
    } else {
        t.style = r.U32();
        t.exStyle = r.U32();
    }
    count = r.U16();
    t.x = short(r.U16()), t.y = short(r.U16()), t.cx = short(r.U16()), t.cy = short(r.U16());
    std::u16string menu;
    WORD ordinal;
    r.SzOrOrd(&menu, &ordinal);
    r.SzOrOrd(&t.cls, &t.clsOrdinal);
    t.title = r.Str();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.U16();
        if (ex) {
            t.weight = r.U16();
            t.italic = r.U8();
            t.charset = r.U8();
        }
        t.face = r.Str();
    }
    for (int i = 0; i < count && r.ok(); ++i) {
        r.Align4();
        ItemTemplate it;
        if (ex) {
            r.U32();  // help id
            it.exStyle = r.U32();
            it.style = r.U32();
        } else {
            it.style = r.U32();
            it.exStyle = r.U32();
        }
        it.x = short(r.U16()), it.y = short(r.U16()), it.cx = short(r.U16()), it.cy = short(r.U16());
        it.id = ex ? r.U32() : r.U16();
        r.SzOrOrd(&it.cls, &it.clsOrdinal);
        it.titleIsOrdinal = r.SzOrOrd(&it.title, &it.titleOrdinal);
        const BYTE *extra = r.here();
        WORD extraCount = r.U16();
        if (extraCount)
            it.data = extra;
        r.Skip(extraCount);
        t.items.push_back(std::move(it));
    }
    return r.ok();
}

const char16_t *PredefinedClass(WORD ordinal)
{
    switch (ordinal) {
    case 0x80:
        return WC_BUTTONW;
    case 0x81:
        return WC_EDITW;
    case 0x82:
        return WC_STATICW;
    case 0x83:
        return WC_LISTBOXW;
    case 0x84:
        return WC_SCROLLBARW;
    case 0x85:
        return WC_COMBOBOXW;
    default:
        return nullptr;
    }
}

int TemplateIdOf(LPCWSTR name)
{
    if (IS_INTRESOURCE(name))
        return LOWORD(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] != u'#')
        return -1;
    int n = 0;
    for (const WCHAR *p = name + 1; *p; ++p) {
        if (*p < u'0' || *p > u'9' || n > 0xFFFF)
            return -1;
        n = n * 10 + (*p - u'0');
    }
    return n <= 0xFFFF ? n : -1;
}

HWND FirstTabStop(HWND dialog)
{
    for (HWND c : ChildrenOf(dialog)) {
        DWORD style = StyleOf(c);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            return c;
    }
    return nullptr;
}

// Builds a dialog and its controls and sends WM_INITDIALOG. A modal dialog
// disables its owner (the top-level window it belongs to) first and reports
// it in `disabledOwner`.
HWND BuildDialog(HINSTANCE instance, const BYTE *data, size_t size, HWND parent, DLGPROC proc, LPARAM param,
                 int templateId, bool modal, HWND *disabledOwner)
{
    DialogTemplate t;
    if (!data || !Parse(data, size, t)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    // Dialog units: a quarter of the font's average character width across,
    // an eighth of its height down.
    int baseX = 8, baseY = 16;
    if (t.style & DS_SETFONT)
        FaceUnits(t.face, t.pointSize == 0x7FFF ? 8 : t.pointSize, &baseX, &baseY);
    auto mapX = [&](int v) { return MulDiv(v, baseX, 4); };
    auto mapY = [&](int v) { return MulDiv(v, baseY, 8); };

    DWORD style = t.style, exStyle = t.exStyle;
    // A dialog made to be a control of another (a property page) has no
    // caption or system menu of its own.
    if (style & DS_CONTROL) {
        style &= ~(WS_CAPTION | WS_SYSMENU);
        exStyle |= WS_EX_CONTROLPARENT;
    }
    if (style & DS_MODALFRAME)
        exStyle |= WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, mapX(t.cx), mapY(t.cy)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = mapX(t.x), y = mapY(t.y);
    if (!(style & WS_CHILD)) {
        if (style & DS_CENTER) {
            x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
            y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        } else if (parent && !(style & DS_ABSALIGN)) {
            POINT origin{0, 0};
            ClientToScreen(parent, &origin);
            x += origin.x;
            y += origin.y;
        }
    }
    LPCWSTR cls = !t.cls.empty() ? t.cls.c_str() : (t.clsOrdinal ? MAKEINTATOM(t.clsOrdinal) : WC_DIALOG);
    HWND dialog = CreateWindowInternal(exStyle, cls, t.title.c_str(), style & ~WS_VISIBLE, x, y, width, height, parent,
                                       nullptr, instance, nullptr);
    if (!dialog)
        return nullptr;
    HFONT font = nullptr;
    if (t.style & DS_SETFONT) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(t.pointSize == 0x7FFF ? 8 : t.pointSize, 96, 72);
        lf.lfWeight = t.weight;
        lf.lfItalic = t.italic;
        lf.lfCharSet = t.charset;
        std::copy(t.face.begin(), t.face.begin() + std::min<size_t>(t.face.size(), LF_FACESIZE - 1), lf.lfFaceName);
        font = MakeFont(lf);
    }
    {
        WindowPtr w = Find(dialog);
        std::lock_guard<std::mutex> lock(St().lock);
        w->dialog = std::make_unique<DialogData>();
        w->dialog->templateId = templateId;
        w->dialog->baseX = baseX;
        w->dialog->baseY = baseY;
        w->dialog->font = font;
    }
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (font)
        SendMessageW(dialog, WM_SETFONT, WPARAM(font), FALSE);
    for (const ItemTemplate &it : t.items) {
        const char16_t *name = it.cls.empty() ? PredefinedClass(it.clsOrdinal) : it.cls.c_str();
        WCHAR ordinalTitle[3] = {0xFFFF, it.titleOrdinal, 0};
        HWND control = name
                           ? CreateWindowInternal(it.exStyle | WS_EX_NOPARENTNOTIFY, name,
                                                  it.titleIsOrdinal ? ordinalTitle : it.title.c_str(),
                                                  it.style | WS_CHILD, mapX(it.x), mapY(it.y), mapX(it.cx), mapY(it.cy),
                                                  dialog, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(it.id)),
                                                  instance, const_cast<BYTE *>(it.data))
                           : nullptr;
        if (!control) {
            if (!name)
                SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            if (t.style & DS_NOFAILCREATE)
                continue;
            DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error);
            return nullptr;
        }
        if (font)
            SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
    }
    if (modal) {
        HWND owner = GetWindow(dialog, GW_OWNER);
        if (owner && IsWindowEnabled(owner)) {
            EnableWindow(owner, FALSE);
            *disabledOwner = owner;
        }
    }
    HWND focus = FirstTabStop(dialog);
    LRESULT initial = SendMessageW(dialog, WM_INITDIALOG, WPARAM(focus), param);
    if (!IsWindow(dialog))
        return nullptr;
    if (initial && focus && IsWindow(focus)) {
        SetFocus(focus);
        if (KindOf(focus) == Kind::Edit)
            SendMessageW(focus, EM_SETSEL, 0, -1);
    }
    if (t.style & WS_VISIBLE)
        ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

// ---------------------------------------------------------------------------
// The automation's records.

struct Automation {
    std::mutex lock;
    std::map<int, std::deque<standin::ui::DialogScript>> scripts;
    std::deque<int> answers;
    std::vector<standin::ui::MessageBoxCall> boxes;
    std::vector<int> stalls;
    unsigned stallMs = 2000;
    std::map<int, std::function<unsigned(HWND)>> periods;
};

Automation &Auto()
{
    static Automation *a = new Automation;
    return *a;
}

}  // namespace

unsigned StallTimeout()
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    return Auto().stallMs;
}

void RecordStall(int templateId)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    Auto().stalls.push_back(templateId);
}

namespace {

// The stall period of this dialog: its own bound, asked once it has
// started, else the common one.
unsigned StallPeriodOf(HWND dialog, int templateId)
{
    std::function<unsigned(HWND)> period;
    {
        std::lock_guard<std::mutex> lock(Auto().lock);
        auto it = Auto().periods.find(templateId);
        if (it == Auto().periods.end())
            return Auto().stallMs;
        period = it->second;
    }
    return period(dialog);
}

standin::ui::DialogScript TakeScript(int templateId)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    auto it = Auto().scripts.find(templateId);
    if (it == Auto().scripts.end() || it->second.empty())
        return nullptr;
    standin::ui::DialogScript script = std::move(it->second.front());
    it->second.pop_front();
    return script;
}

bool Ended(HWND dialog, INT_PTR *result)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(dialog);
    if (!w || !w->dialog)
        return true;
    *result = w->dialog->result;
    return w->dialog->ended;
}

void EndLocked(const WindowPtr &w, INT_PTR result)
{
    w->dialog->ended = true;
    w->dialog->result = result;
    auto it = St().queues.find(w->thread);
    if (it != St().queues.end())
        it->second->wake.notify_all();
}

// The modal loop: the messages already waiting, the script, then messages
// until the dialog is ended. While a script-less dialog, or one whose script
// is done, handles nothing for a stall period it gets IDCANCEL (as Esc sends
// it); after another period it is ended with -1 and the stall recorded.
// Painting alone does not count as activity.
INT_PTR RunModal(HWND dialog, int templateId, standin::ui::DialogScript script)
{
    using Clock = std::chrono::steady_clock;
    std::shared_ptr<Queue> q = MyQueue();
    INT_PTR result = 0;
    if (!Ended(dialog, &result))
        ShowWindow(dialog, SW_SHOWNORMAL);
    auto pump = [&](bool *active) {
        *active = HandleSentMessages() > 0;
        MSG m;
        while (!Ended(dialog, &result) && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(int(m.wParam));  // for the loop outside
                return false;
            }
            if (m.message != WM_PAINT)
                *active = true;
            if (!IsDialogMessageW(dialog, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
            *active |= HandleSentMessages() > 0;
        }
        return true;
    };
    bool active, quit = false;
    quit = !pump(&active);
    if (script && !quit && !Ended(dialog, &result))
        script(dialog);
    const unsigned stallMs = Ended(dialog, &result) ? 0 : StallPeriodOf(dialog, templateId);
    auto idleSince = Clock::now();
    bool cancelled = false;
    while (!quit && !Ended(dialog, &result)) {
        if (!pump(&active)) {
            quit = true;
            break;
        }
        if (active) {
            idleSince = Clock::now();
            continue;
        }
        auto deadline = idleSince + std::chrono::milliseconds(stallMs);
        {
            std::unique_lock<std::mutex> lock(St().lock);
            WindowPtr w = FindLocked(dialog);
            bool waiting = w && w->dialog && !w->dialog->ended;
            if (waiting && !HasWorkLocked(*q))
                q->wake.wait_until(lock, deadline);
        }
        if (Clock::now() < deadline || Ended(dialog, &result))
            continue;
        if (!cancelled) {
            cancelled = true;
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDCANCEL)));
            idleSince = Clock::now();
            continue;
        }
        RecordStall(templateId);
        std::lock_guard<std::mutex> lock(St().lock);
        if (WindowPtr w = FindLocked(dialog); w && w->dialog)
            EndLocked(w, -1);
    }
    Ended(dialog, &result);
    return result;
}

INT_PTR Modal(HINSTANCE instance, const BYTE *data, size_t size, HWND parent, DLGPROC proc, LPARAM param,
              int templateId)
{
    if (parent && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    HWND disabled = nullptr, focus = GetFocus();
    HWND dialog = BuildDialog(instance, data, size, parent, proc, param, templateId, true, &disabled);
    INT_PTR result = -1;
    if (dialog)
        result = RunModal(dialog, templateId, TakeScript(templateId));
    if (disabled && IsWindow(disabled))
        EnableWindow(disabled, TRUE);
    if (dialog && IsWindow(dialog))
        DestroyWindow(dialog);
    // The owner, active again, gives the focus back to the control that had it.
    if (focus && IsWindow(focus) && !GetFocus())
        SetFocus(focus);
    return result;
}

bool FindTemplate(HINSTANCE instance, LPCWSTR name, const BYTE **data, size_t *size)
{
    HRSRC found = FindResourceW(instance, name, RT_DIALOG);
    if (!found)
        return false;  // with the resource part's last error
    *data = static_cast<const BYTE *>(LockResource(LoadResource(instance, found)));
    *size = SizeofResource(instance, found);
    return *data != nullptr;
}

// A template given by address has no size: it is read as far as it goes.
size_t Unbounded(const void *p) { return SIZE_MAX - reinterpret_cast<uintptr_t>(p); }

bool ReturnsDirectly(UINT msg)
{
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM || msg == 0x002E ||
           msg == 0x002F || msg == 0x0037 || msg == WM_INITDIALOG;
}

HWND DefaultButton(HWND dialog)
{
    if (DialogData *d = DialogOf(dialog); d && d->defId)
        return GetDlgItem(dialog, d->defId);
    for (HWND c : ChildrenOf(dialog))
        if (KindOf(c) == Kind::Button && (StyleOf(c) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return c;
    return nullptr;
}

int MessageBoxAnswer(UINT type)
{
    static const std::vector<int> kButtons[] = {
        {IDOK},        {IDOK, IDCANCEL},    {IDABORT, IDRETRY, IDIGNORE},       {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO}, {IDRETRY, IDCANCEL}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
    };
    UINT kind = type & MB_TYPEMASK;
    const std::vector<int> &buttons = kButtons[kind < 7 ? kind : 0];
    size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

// A message box is modal: its owner (the top-level window of hwnd) is
// disabled while it is up, and what other threads send meanwhile is handled.
int ShowMessageBox(HWND hwnd, std::u16string text, std::u16string caption, UINT type)
{
    int answer;
    {
        std::lock_guard<std::mutex> lock(Auto().lock);
        Automation &a = Auto();
        if (a.answers.empty()) {
            answer = MessageBoxAnswer(type);
        } else {
            answer = a.answers.front();
            a.answers.pop_front();
        }
        a.boxes.push_back(standin::ui::MessageBoxCall{std::move(text), std::move(caption), type, answer, hwnd});
    }
    HWND owner = hwnd;
    while (owner && (StyleOf(owner) & WS_CHILD))
        owner = GetParent(owner);
    bool disabled = owner && IsWindowEnabled(owner) && EnableWindow(owner, FALSE) == FALSE;
    HandleSentMessages();
    if (disabled)
        EnableWindow(owner, TRUE);
    return answer;
}

// The dialog's controls in tab order: its children, and the children of
// those that are control parents (a property page) and shown and enabled.
void TabOrder(HWND parent, std::vector<HWND> *out)
{
    for (HWND c : ChildrenOf(parent)) {
        DWORD style = StyleOf(c);
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            if ((style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE)
                TabOrder(c, out);
        } else {
            out->push_back(c);
        }
    }
}

UINT DlgCode(HWND control, MSG *msg)
{
    return UINT(SendMessageW(control, WM_GETDLGCODE, msg ? msg->wParam : 0, LPARAM(msg)));
}

// The mnemonic of a text: the character after a single '&', 0 for none.
WCHAR Mnemonic(const std::u16string &text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1];
        ++i;
    }
    return 0;
}

WCHAR Upper(WCHAR c) { return c >= u'a' && c <= u'z' ? WCHAR(c - u'a' + u'A') : c; }

// Alt+letter, or a letter where the focus takes no characters: the next
// shown and enabled button or static after the focus whose text marks that
// letter. A button is clicked (a check box or radio button takes the focus
// first, as a click gives it); a static or group box sends the focus on to
// the control after it in tab order.
bool Accelerate(HWND hDlg, WCHAR key)
{
    std::vector<HWND> all;
    TabOrder(hDlg, &all);
    auto at = std::find(all.begin(), all.end(), GetFocus());
    size_t n = all.size(), from = at == all.end() ? n - 1 : size_t(at - all.begin());
    for (size_t k = 1; k <= n; ++k) {
        HWND c = all[(from + k) % n];
        DWORD style = StyleOf(c);
        UINT code = DlgCode(c, nullptr);
        if ((style & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE || !(code & (DLGC_BUTTON | DLGC_STATIC)) ||
            ((code & DLGC_STATIC) && (style & SS_NOPREFIX)) || Upper(Mnemonic(TextOf(c))) != Upper(key))
            continue;
        if ((code & DLGC_STATIC) || (style & BS_TYPEMASK) == BS_GROUPBOX) {
            SendMessageW(hDlg, WM_NEXTDLGCTL, WPARAM(GetNextDlgTabItem(hDlg, c, FALSE)), TRUE);
        } else {
            if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
                SendMessageW(hDlg, WM_NEXTDLGCTL, WPARAM(c), TRUE);
            SendMessageW(c, BM_CLICK, 0, 0);
        }
        return true;
    }
    return false;
}

}  // namespace

}  // namespace standin::user

using namespace standin::user;

extern "C" {

HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam)
{
    if (standin::ShouldFail("CreateDialogParamW"))
        return nullptr;
    const BYTE *data;
    size_t size;
    if (!lpTemplateName || !FindTemplate(hInstance, lpTemplateName, &data, &size))
        return nullptr;
    HWND unused = nullptr;
    return BuildDialog(hInstance, data, size, hWndParent, lpDialogFunc, dwInitParam, TemplateIdOf(lpTemplateName),
                       false, &unused);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    if (standin::ShouldFail("CreateDialogIndirectParamW"))
        return nullptr;
    HWND unused = nullptr;
    return BuildDialog(hInstance, reinterpret_cast<const BYTE *>(lpTemplate), Unbounded(lpTemplate), hWndParent,
                       lpDialogFunc, dwInitParam, -1, false, &unused);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam)
{
    if (standin::ShouldFail("DialogBoxParamW"))
        return -1;
    const BYTE *data;
    size_t size;
    if (!lpTemplateName || !FindTemplate(hInstance, lpTemplateName, &data, &size))
        return -1;
    return Modal(hInstance, data, size, hWndParent, lpDialogFunc, dwInitParam, TemplateIdOf(lpTemplateName));
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam)
{
    if (standin::ShouldFail("DialogBoxIndirectParamW"))
        return -1;
    return Modal(hInstance, reinterpret_cast<const BYTE *>(hDialogTemplate), Unbounded(hDialogTemplate), hWndParent,
                 lpDialogFunc, dwInitParam, -1);
}

// Ends a dialog from its own thread or another one: the modal loop sees it,
// re-enables the owner and destroys the dialog; a modeless one is hidden.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult)
{
    bool mine;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        WindowPtr w = FindLocked(hDlg);
        if (!w || !w->dialog) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        EndLocked(w, nResult);
        mine = IsMine(*w);
    }
    if (mine)
        ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}

// The dialog class's procedure: the dialog procedure first, then the dialog
// manager's defaults for what it did not handle. A handled message returns
// DWLP_MSGRESULT, except those whose value the procedure returns itself.
LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    DWORD error = GetLastError();
    auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hDlg, DWLP_DLGPROC));
    SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 0);
    SetLastError(error);
    INT_PTR handled = proc ? proc(hDlg, Msg, wParam, lParam) : 0;
    if (Msg == WM_NCDESTROY) {
        DialogData *d = DialogOf(hDlg);
        if (d && d->font) {
            DeleteObject(d->font);
            d->font = nullptr;
        }
    }
    if (!IsWindow(hDlg))
        return handled;
    if (handled)
        return ReturnsDirectly(Msg) ? handled : GetWindowLongPtrW(hDlg, DWLP_MSGRESULT);
    switch (Msg) {
    case WM_CLOSE: {
        // As the Cancel button would: nothing when it is there but disabled.
        HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(cancel));
        return 0;
    }
    case WM_ERASEBKGND: {
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(hDlg, WM_CTLCOLORDLG, wParam, LPARAM(hDlg)));
        RECT r;
        GetClientRect(hDlg, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush ? brush : GetSysColorBrush(COLOR_3DFACE));
        return 1;
    }
    case WM_GETFONT: {
        DialogData *d = DialogOf(hDlg);
        return d ? reinterpret_cast<LRESULT>(d->font) : 0;
    }
    case WM_SETFONT:
        return 0;
    case DM_GETDEFID: {
        HWND button = DefaultButton(hDlg);
        return button ? MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID) : 0;
    }
    case DM_SETDEFID:
        if (DialogData *d = DialogOf(hDlg))
            d->defId = int(wParam);
        return TRUE;
    case WM_NEXTDLGCTL: {
        HWND to = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hDlg, GetFocus(), wParam != 0);
        if (to) {
            SetFocus(to);
            // An edit reached from the keyboard has its text selected.
            if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageW(to, EM_SETSEL, 0, -1);
        }
        return 0;
    }
    default:
        return DefWindowProcW(hDlg, Msg, wParam, lParam);
    }
}

// The keys the dialog manager takes from its controls unless they ask for
// them (WM_GETDLGCODE): Tab, the arrows within a group, Enter, Esc and
// mnemonics. Everything else for the dialog or its controls is translated
// and dispatched.
BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg)
{
    if (!lpMsg || !hDlg || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)))
        return FALSE;
    HWND focus = GetFocus();
    bool key = lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_CHAR || lpMsg->message == WM_SYSCHAR;
    UINT code = key ? DlgCode(lpMsg->hwnd, lpMsg) : DLGC_WANTMESSAGE;
    WPARAM vk = lpMsg->wParam;
    if (code & DLGC_WANTMESSAGE) {
        // not a key, or one the control takes whatever it is
    } else if (lpMsg->message == WM_KEYDOWN && vk == VK_TAB && !(code & DLGC_WANTTAB)) {
        SendMessageW(hDlg, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, FALSE);
        return TRUE;
    } else if (lpMsg->message == WM_KEYDOWN && vk >= VK_LEFT && vk <= VK_DOWN && !(code & DLGC_WANTARROWS)) {
        HWND next = GetNextDlgGroupItem(hDlg, focus, vk == VK_LEFT || vk == VK_UP);
        if (next && next != focus) {
            SendMessageW(hDlg, WM_NEXTDLGCTL, WPARAM(next), TRUE);
            // An automatic radio button is checked as the arrows reach it.
            if ((DlgCode(next, nullptr) & DLGC_RADIOBUTTON) && (StyleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
                SendMessageW(next, BM_CLICK, 0, 0);
        }
        return TRUE;
    } else if (lpMsg->message == WM_KEYDOWN && vk == VK_ESCAPE) {
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(hDlg, IDCANCEL)));
        return TRUE;
    } else if (lpMsg->message == WM_KEYDOWN && vk == VK_RETURN) {
        // A push button with the focus is the default one for the moment.
        if (focus && (DlgCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), LPARAM(focus));
            return TRUE;
        }
        LRESULT def = SendMessageW(hDlg, DM_GETDEFID, 0, 0);
        int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        HWND button = GetDlgItem(hDlg, id);
        if (!button || IsWindowEnabled(button))
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(button));
        return TRUE;
    } else if ((lpMsg->message == WM_CHAR && !(code & DLGC_WANTCHARS)) || lpMsg->message == WM_SYSCHAR) {
        if (Accelerate(hDlg, WCHAR(vk)))
            return TRUE;
    }
    TranslateMessage(lpMsg);
    DispatchMessageW(lpMsg);
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect)
{
    DialogData *d = nullptr;
    {
        WindowPtr w = Find(hDlg);
        std::lock_guard<std::mutex> lock(St().lock);
        d = w ? w->dialog.get() : nullptr;
        if (d && lpRect) {
            lpRect->left = MulDiv(lpRect->left, d->baseX, 4);
            lpRect->right = MulDiv(lpRect->right, d->baseX, 4);
            lpRect->top = MulDiv(lpRect->top, d->baseY, 8);
            lpRect->bottom = MulDiv(lpRect->bottom, d->baseY, 8);
        }
    }
    if (!d || !lpRect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// The system font's: 8 by 16 pixels.
LONG WINAPI GetDialogBaseUnits(void) { return MAKELONG(8, 16); }

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND c : ChildrenOf(hDlg))
        if (IdOf(c) == nIDDlgItem)
            return c;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd)
{
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return (StyleOf(hWnd) & WS_CHILD) ? IdOf(hWnd) : 0;
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? SendMessageW(control, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString)
{
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? SetWindowTextW(control, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax)
{
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (!control) {
        if (lpString && cchMax > 0)
            lpString[0] = 0;
        return 0;
    }
    return UINT(GetWindowTextW(control, lpString, cchMax));
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned)
{
    std::string text = bSigned ? std::to_string(int(uValue)) : std::to_string(uValue);
    return SetDlgItemTextW(hDlg, nIDDlgItem, Utf16(text.c_str()).c_str());
}

// Blanks around the number are allowed, anything else makes it fail.
UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL *lpTranslated, BOOL bSigned)
{
    if (lpTranslated)
        *lpTranslated = FALSE;
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    if (!control)
        return 0;
    std::u16string text = standin::ui::Text(control);
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = bSigned && i < text.size() && text[i] == u'-';
    if (negative)
        ++i;
    unsigned long long value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
        value = value * 10 + unsigned(text[i] - u'0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (!digits || i != text.size())
        return 0;
    if (bSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return 0;
    if (lpTranslated)
        *lpTranslated = TRUE;
    return negative ? UINT(-(long long)value) : UINT(value);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck)
{
    HWND control = GetDlgItem(hDlg, nIDButton);
    if (!control)
        return FALSE;
    SendMessageW(control, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

// Every control of the dialog with an id in the range is set, the one given
// checked and the others unchecked; no notification is sent.
BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    struct Range {
        int first, last, check;
    } range{nIDFirstButton, nIDLastButton, nIDCheckButton};
    EnumChildWindows(
        hDlg,
        [](HWND c, LPARAM p) -> BOOL {
            auto *r = reinterpret_cast<Range *>(p);
            int id = GetDlgCtrlID(c);
            if (id >= r->first && id <= r->last)
                SendMessageW(c, BM_SETCHECK, id == r->check ? BST_CHECKED : BST_UNCHECKED, 0);
            return TRUE;
        },
        LPARAM(&range));
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton)
{
    return UINT(SendDlgItemMessageW(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

// The next (or previous) control of hCtl's group that is visible and enabled.
HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!hCtl) {
        std::vector<HWND> children = ChildrenOf(hDlg);
        return children.empty() ? nullptr : children.front();
    }
    std::vector<HWND> group = GroupOf(hCtl);
    auto at = std::find(group.begin(), group.end(), hCtl);
    size_t n = group.size(), i = size_t(at - group.begin());
    for (size_t k = 1; k < n; ++k) {
        HWND c = group[bPrevious ? (i + n - k) % n : (i + k) % n];
        DWORD style = StyleOf(c);
        if ((style & WS_VISIBLE) && !(style & WS_DISABLED))
            return c;
    }
    return hCtl;
}

// The next (or previous) shown and enabled tab stop after hCtl in tab
// order, round the end; from the start (or the end) without hCtl.
HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious)
{
    if (!IsWindow(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> all;
    TabOrder(hDlg, &all);
    size_t n = all.size();
    auto at = std::find(all.begin(), all.end(), hCtl);
    size_t i = at != all.end() ? size_t(at - all.begin()) : (bPrevious ? 0 : n - 1);
    for (size_t k = 1; k <= n; ++k) {
        HWND c = all[bPrevious ? (i + n - k) % n : (i + k) % n];
        if ((StyleOf(c) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
            return c;
    }
    return hCtl;
}

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    if (standin::ShouldFail("MessageBoxW"))
        return 0;
    return ShowMessageBox(hWnd, lpText ? lpText : u"", lpCaption ? lpCaption : u"Error", uType);
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    if (standin::ShouldFail("MessageBoxA"))
        return 0;
    return ShowMessageBox(hWnd, Utf16(lpText), lpCaption ? Utf16(lpCaption) : u"Error", uType);
}

}  // extern "C"

namespace standin::ui {

void OnDialog(int templateId, DialogScript script)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    Auto().scripts[templateId].push_back(std::move(script));
}

void AnswerMessageBox(int answer)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    Auto().answers.push_back(answer);
}

std::vector<MessageBoxCall> MessageBoxes()
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    return Auto().boxes;
}

void SetStallTimeout(unsigned milliseconds)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    Auto().stallMs = milliseconds;
}

void SetStallPeriod(int templateId, std::function<unsigned(HWND dialog)> period)
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    if (period)
        Auto().periods[templateId] = std::move(period);
    else
        Auto().periods.erase(templateId);
}

std::vector<int> Stalls()
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    return Auto().stalls;
}

void ResetAutomation()
{
    std::lock_guard<std::mutex> lock(Auto().lock);
    Automation &a = Auto();
    a.scripts.clear();
    a.answers.clear();
    a.boxes.clear();
    a.stalls.clear();
    a.stallMs = 2000;
    a.periods.clear();
}

int TemplateId(HWND dialog)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(dialog);
    return w && w->dialog ? w->dialog->templateId : -1;
}

}  // namespace standin::ui
