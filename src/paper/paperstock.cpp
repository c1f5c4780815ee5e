// The paper stock dialog. The Page Setup pages run it modally from their
// New and Edit buttons with a STOCKPARAM they filled (FillStockLimits), then
// reload their paper list and select the form named in FormName. Values are
// shown in the user's unit with two decimals; the spooler keeps forms in
// thousandths of a millimetre.
#include "src/paper/paperstock.h"

#include "src/settings/printer.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/paper/stockvalues.h"
#include "src/sheet/sheetstate.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr int kEditLimit = 8;
// The longest name a DEVMODE's form name carries whole: a longer form could
// not be selected, shown and stored as typed.
constexpr int kFormNameLimit = CCHFORMNAME - 1;
constexpr int kEditUnits = kEditLimit + 1;
constexpr int kLabelUnits = 32;
constexpr int kMaxWidths = 7;
// The entry selected when the form cannot be read.
constexpr int kFallbackWidthIndex = 3;

// A model's tape widths: the labels in millimetres and in inches, in the same
// order, each in a slot of its own. The value of an entry is the number its
// label starts with.
struct WidthGroup {
    PCWSTR model;  // null: every other model
    int count;
    WCHAR mm[kMaxWidths][kLabelUnits];
    WCHAR inch[kMaxWidths][kLabelUnits];
};

const WidthGroup kWidthGroups[] = {
    {TEXT("Wren"),
     5,
     {TEXT("12mm"), TEXT("12.5mm"), TEXT("13mm"), TEXT("14mm"), TEXT("15mm")},
     {TEXT("0.47\""), TEXT("0.49\""), TEXT("0.51\""), TEXT("0.55\""), TEXT("0.59\"")}},
    {TEXT("Robin"), 3, {TEXT("12mm"), TEXT("14mm"), TEXT("15mm")}, {TEXT("0.47\""), TEXT("0.55\""), TEXT("0.59\"")}},
    {TEXT("FalconBT"),
     7,
     {TEXT("3.5mm"), TEXT("6mm"), TEXT("9mm"), TEXT("12mm"), TEXT("18mm"), TEXT("24mm"), TEXT("36mm")},
     {TEXT("0.14\""), TEXT("0.23\""), TEXT("0.35\""), TEXT("0.47\""), TEXT("0.70\""), TEXT("0.94\""), TEXT("1.42\"")}},
    {nullptr,
     5,
     {TEXT("6mm"), TEXT("9mm"), TEXT("12mm"), TEXT("18mm"), TEXT("24mm")},
     {TEXT("0.23\""), TEXT("0.35\""), TEXT("0.47\""), TEXT("0.70\""), TEXT("0.94\"")}},
};

const WidthGroup &GroupOf(const WCHAR *modelName)
{
    for (const WidthGroup &group : kWidthGroups) {
        if (group.model != nullptr && SameText(modelName, group.model, STOCK_NAME_UNITS))
            return group;
    }
    return kWidthGroups[ARRAYSIZE(kWidthGroups) - 1];
}

double EntryValue(const WidthGroup &group, int index, bool inches)
{
    return _wtof(inches ? group.inch[index] : group.mm[index]);
}

// The entry nearest a width in millimetres; a width midway between two
// entries takes the wider one. May be past the entries a model offers.
int NearestWidthIndex(const WidthGroup &group, double widthMm)
{
    int index = 0;
    for (int i = 1; i < group.count; ++i) {
        double threshold = (EntryValue(group, i - 1, false) + EntryValue(group, i, false)) / 2;
        if (widthMm >= threshold)
            index = i;
    }
    return index;
}

// What the Page Setup pages hand the dialog for a model: minimum and maximum
// length, minimum and maximum tape width, in millimetres. In inches they
// are the same lengths, not rounded: a form at a limit is accepted in
// either unit.
struct StockLimits {
    PCWSTR model;  // null: every other model
    LONG widthCount;
    double mm[4];
};

const StockLimits kStandardLimits[] = {
    {TEXT("Wren"), 5, {10, 1000, 12, 15}},     {TEXT("Robin"), 3, {10, 1000, 12, 15}},
    {TEXT("KestrelBT"), 4, {5, 1000, 0, 18}},  {TEXT("KestrelBT PRO"), 4, {5, 1000, 0, 18}},
    {TEXT("MerlinBT"), 5, {25, 1000, 0, 24}},  {nullptr, 5, {24, 1000, 0, 24}},
};
// The extended page serves one model.
const StockLimits kExtendedLimits = {TEXT("FalconBT"), 7, {24, 1000, 0, 36}};

// The current values, in the display unit, kept from one opening to the
// next: a field whose text is no number falls back to its current value.
double gCurrentWidth = 0;
double gCurrentLength = 0;
double gCurrentLeft = 0;
double gCurrentRight = 0;

// The edit whose text the dialog is replacing by a value it has bounded. The
// EN_CHANGE that comes back leaves that value as it is: a bound that two
// decimals cannot show (39.375 shown as 39.38) would otherwise be exceeded
// by its own text, and each rewrite would start the next one.
int gRewritingEdit = 0;

// What the dialog itself last wrote into each number edit, with the exact
// length in thousandths of a millimetre that the text stands for. A text
// the user left as the dialog wrote it keeps that length at OK: two
// decimals of an inch are not the form's size.
struct ShownValue {
    int id;
    WCHAR text[kNumberUnits];
    LONG thousandths;
    bool known;
};
ShownValue gShown[] = {{IDC_STOCK_LENGTH, {}, 0, false}, {IDC_STOCK_LEFT, {}, 0, false}, {IDC_STOCK_RIGHT, {}, 0, false}};

// The form the dialog opened with: an untouched width or a margin the
// dialog has no field for stays as the form has it.
struct OpenedForm {
    bool read;
    int widthIndex;
    SIZEL size;
    RECTL area;
};
OpenedForm gOpened = {};

ShownValue *ShownOf(int id)
{
    for (ShownValue &shown : gShown) {
        if (shown.id == id)
            return &shown;
    }
    return nullptr;
}

STOCKPARAM *ParamOf(HWND hDlg) { return reinterpret_cast<STOCKPARAM *>(GetWindowLongPtrW(hDlg, DWLP_USER)); }

bool Inches(const STOCKPARAM *param) { return param->Unit == 1; }

double MillimetresPerUnit(const STOCKPARAM *param) { return Inches(param) ? kMillimetresPerInch : 1.0; }

// Shows a value of the display unit that stands for `thousandths`. A text
// that reads as the one already shown keeps the length that one stood for.
void ShowNumber(HWND hDlg, int id, double value, LONG thousandths)
{
    WCHAR text[kNumberUnits];
    FormatNumber(value, text);
    if (ShownValue *shown = ShownOf(id)) {
        if (!shown->known || !SameText(shown->text, text)) {
            CopyMemory(shown->text, text, sizeof(text));
            shown->thousandths = thousandths;
            shown->known = true;
        }
    }
    SetDlgItemTextW(hDlg, id, text);
}

void ReadEdit(HWND hDlg, int id, WCHAR (&text)[kEditUnits])
{
    text[0] = 0;
    GetDlgItemTextW(hDlg, id, text, kEditUnits);
}

// The value of an edit at OK, in thousandths of a millimetre: the exact
// length of a text the dialog wrote and the user left, else the text's
// number converted.
LONG ThousandthsOf(HWND hDlg, int id, const STOCKPARAM *param)
{
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, id, text);
    const ShownValue *shown = ShownOf(id);
    if (shown != nullptr && shown->known && SameText(shown->text, text))
        return shown->thousandths;
    return Thousandths(_wtof(text) * MillimetresPerUnit(param));
}

// Replaces the text of an edit by a value the dialog bounded. The caret and
// the selection stay where the user was typing, not at the start, where
// the next key would go in front of the value.
void RewriteEdit(HWND hDlg, int id, double value, LONG thousandths)
{
    DWORD from = 0, to = 0;
    SendDlgItemMessageW(hDlg, id, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    int outer = gRewritingEdit;
    gRewritingEdit = id;
    ShowNumber(hDlg, id, value, thousandths);
    gRewritingEdit = outer;
    SendDlgItemMessageW(hDlg, id, EM_SETSEL, from, to);
    InvalidateRect(hDlg, nullptr, TRUE);
}

// Parse-and-clamp of one edit; a text that was refused or bounded is
// replaced by the value kept.
void ClampEdit(HWND hDlg, int id, double low, double high, double &current, const STOCKPARAM *param)
{
    if (id == gRewritingEdit)
        return;
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, id, text);
    if (ParseAndClamp(text, low, high, current))
        RewriteEdit(hDlg, id, current, Thousandths(current * MillimetresPerUnit(param)));
}

// The selected width entry; with none, the group's widest.
int SelectedWidthIndex(HWND hDlg, const WidthGroup &group)
{
    LRESULT selected = SendDlgItemMessageW(hDlg, IDC_STOCK_WIDTH, CB_GETCURSEL, 0, 0);
    return selected >= 0 && selected < group.count ? static_cast<int>(selected) : group.count - 1;
}

void ShowResourceMessage(HWND owner, UINT id)
{
    WCHAR text[260] = {};
    LoadStringW(ghInstance, id, text, ARRAYSIZE(text));
    MessageBoxW(owner, text, TEXT(""), MB_OK);
}

void OnEditChange(HWND hDlg, int id)
{
    STOCKPARAM *param = ParamOf(hDlg);
    if (param == nullptr)
        return;
    if (id == IDC_STOCK_LENGTH)
        ClampEdit(hDlg, id, 0, param->MaxLength, gCurrentLength, param);
    else
        ClampEdit(hDlg, id, 0, param->MaxWidth, id == IDC_STOCK_LEFT ? gCurrentLeft : gCurrentRight, param);

    // The margins must stay inside the tape, in the display unit.
    const WidthGroup &group = GroupOf(param->ModelName);
    gCurrentWidth = EntryValue(group, SelectedWidthIndex(hDlg, group), Inches(param));
    if (gCurrentLeft + gCurrentRight < gCurrentWidth || gCurrentWidth == 0)
        return;
    // Both margins go first, so that the texts set below pass the check.
    gCurrentLeft = 0;
    gCurrentRight = 0;
    SetDlgItemTextW(hDlg, IDC_STOCK_LEFT, TEXT("0"));
    SetDlgItemTextW(hDlg, IDC_STOCK_RIGHT, TEXT("0"));
    ShowResourceMessage(nullptr, IDS_INVALID_MARGIN);
}

// One arrow click: 0.01 of the display unit added to the buddy's text as it
// stands. The bounds are applied by the EN_CHANGE the new text causes.
void OnSpin(HWND hDlg, const NMUPDOWN *change)
{
    UINT spinId = static_cast<UINT>(change->hdr.idFrom);
    int editId;
    switch (spinId) {
    case IDC_STOCK_LENGTH_SPIN:
        editId = IDC_STOCK_LENGTH;
        break;
    case IDC_STOCK_LEFT_SPIN:
        editId = IDC_STOCK_LEFT;
        break;
    case IDC_STOCK_RIGHT_SPIN:
        editId = IDC_STOCK_RIGHT;
        break;
    default:
        return;
    }
    WARNING(TEXT("UI:  UDN_DELTAPOS %u"), spinId);
    WARNING(TEXT("UI:  %d,%d"), change->iPos, change->iDelta);
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, editId, text);
    double value = _wtof(text) + change->iDelta / 100.0;
    const STOCKPARAM *param = ParamOf(hDlg);
    ShowNumber(hDlg, editId, value, param != nullptr ? Thousandths(value * MillimetresPerUnit(param)) : 0);
}

void InitPaperStock(HWND hDlg, STOCKPARAM *param)
{
    for (int id : {IDC_STOCK_LEFT, IDC_STOCK_LENGTH, IDC_STOCK_RIGHT})
        SendDlgItemMessageW(hDlg, id, EM_LIMITTEXT, kEditLimit, 0);
    SendDlgItemMessageW(hDlg, IDC_STOCK_NAME, EM_LIMITTEXT, kFormNameLimit, 0);
    SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(param));
    gOpened = {};
    for (ShownValue &shown : gShown)
        shown.known = false;
    if (param == nullptr)
        return;

    // The block's name slot may be full without a terminator.
    WCHAR formName[STOCK_NAME_UNITS + 1] = {};
    CopyMemory(formName, param->FormName, sizeof(param->FormName));
    if (param->Mode == STOCK_NEW) {
        SetDlgItemTextW(hDlg, IDC_STOCK_NAME, TEXT("New"));
        EnableWindow(GetDlgItem(hDlg, IDC_STOCK_NAME), TRUE);
    } else {
        SetDlgItemTextW(hDlg, IDC_STOCK_NAME, formName);
        EnableWindow(GetDlgItem(hDlg, IDC_STOCK_NAME), FALSE);
    }

    WCHAR label[64] = {};
    LoadStringW(ghInstance, IDS_PAPER_TYPE_LABEL, label, ARRAYSIZE(label));
    SendDlgItemMessageW(hDlg, IDC_STOCK_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    SendDlgItemMessageW(hDlg, IDC_STOCK_TYPE, CB_SETCURSEL, 0, 0);

    const WidthGroup &group = GroupOf(param->ModelName);
    bool inches = Inches(param);
    for (int id : {IDC_STOCK_LENGTH_UNIT, IDC_STOCK_LEFT_UNIT, IDC_STOCK_RIGHT_UNIT})
        SetDlgItemTextW(hDlg, id, inches ? TEXT("in") : TEXT("mm"));
    int offered = param->WidthCount < 0 ? 0 : (param->WidthCount > group.count ? group.count : param->WidthCount);
    for (int i = 0; i < offered; ++i) {
        PCWSTR entry = inches ? group.inch[i] : group.mm[i];
        SendDlgItemMessageW(hDlg, IDC_STOCK_WIDTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    for (int id : {IDC_STOCK_LENGTH_SPIN, IDC_STOCK_LEFT_SPIN, IDC_STOCK_RIGHT_SPIN})
        SendDlgItemMessageW(hDlg, id, UDM_SETRANGE, 0, MAKELPARAM(100, -100));

    // The form offers the starting values; one that cannot be read leaves
    // the edits empty.
    HANDLE printer = gpCurrentContext != nullptr ? gpCurrentContext->hPrinter : nullptr;
    DWORD needed = 0;
    GetFormW(printer, formName, 1, nullptr, 0, &needed);
    unique_heap_block buffer(needed != 0 ? HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed) : nullptr);
    if (!buffer || !GetFormW(printer, formName, 1, static_cast<LPBYTE>(buffer.get()), needed, &needed)) {
        SendDlgItemMessageW(hDlg, IDC_STOCK_WIDTH, CB_SETCURSEL, kFallbackWidthIndex, 0);
        return;
    }
    const FORM_INFO_1W *form = static_cast<const FORM_INFO_1W *>(buffer.get());
    gCurrentWidth = form->Size.cx / 1000.0;
    gCurrentLength = form->Size.cy / 1000.0;
    gCurrentLeft = form->ImageableArea.left / 1000.0;
    gCurrentRight = gCurrentWidth - form->ImageableArea.right / 1000.0;
    gOpened.read = true;
    gOpened.widthIndex = NearestWidthIndex(group, gCurrentWidth);
    gOpened.size = form->Size;
    gOpened.area = form->ImageableArea;
    SendDlgItemMessageW(hDlg, IDC_STOCK_WIDTH, CB_SETCURSEL, gOpened.widthIndex, 0);
    if (inches) {
        gCurrentLength /= kMillimetresPerInch;
        gCurrentLeft /= kMillimetresPerInch;
        gCurrentRight /= kMillimetresPerInch;
    }
    // Each text passes the edit-change handling as it is set.
    LONGLONG rightMargin = static_cast<LONGLONG>(form->Size.cx) - form->ImageableArea.right;
    ShowNumber(hDlg, IDC_STOCK_LENGTH, gCurrentLength, form->Size.cy);
    ShowNumber(hDlg, IDC_STOCK_LEFT, gCurrentLeft, form->ImageableArea.left);
    ShowNumber(hDlg, IDC_STOCK_RIGHT, gCurrentRight, static_cast<LONG>(rightMargin));
}

// The length at OK, in thousandths, must lie within the model's limits,
// compared in thousandths so that a limit holds alike in either unit. A
// length that does not is corrected and the limits are shown, rounded
// outward so that the text never excludes a length they allow.
bool CheckLength(HWND hDlg, const STOCKPARAM *param, LONG &length)
{
    double perUnit = MillimetresPerUnit(param);
    LONG low = Thousandths(param->MinLength * perUnit), high = Thousandths(param->MaxLength * perUnit);
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, IDC_STOCK_LENGTH, text);
    bool marked = !IsNumberText(text);
    length = marked ? Thousandths(gCurrentLength * perUnit) : ThousandthsOf(hDlg, IDC_STOCK_LENGTH, param);
    if (length < low) {
        length = low;
        marked = true;
    } else if (length > high) {
        length = high;
        marked = true;
    }
    if (!marked)
        return true;
    gCurrentLength = length / 1000.0 / perUnit;
    RewriteEdit(hDlg, IDC_STOCK_LENGTH, gCurrentLength, length);
    WCHAR prefix[260] = {};
    LoadStringW(ghInstance, IDS_PRINTABLE_HEIGHT, prefix, ARRAYSIZE(prefix));
    WCHAR message[400];
    _snwprintf_s(message, ARRAYSIZE(message), _TRUNCATE, TEXT("%s%.2f~%.2f %s"), prefix,
                 std::floor(param->MinLength * 100 + 1e-6) / 100, std::ceil(param->MaxLength * 100 - 1e-6) / 100,
                 Inches(param) ? TEXT("in") : TEXT("mm"));
    MessageBoxW(hDlg, message, TEXT(""), MB_OK);
    return false;
}

// New with the name of a form the store has (its names compare without
// regard to case) replaces that form only when the user says so. No leaves
// the dialog open with the name selected for another; Yes keeps the stored
// form's own name, which the page then selects.
bool ConfirmReplace(HWND hDlg, HANDLE printer, WCHAR (&name)[STOCK_NAME_UNITS])
{
    SpoolerBlock existing = FetchForm1(printer, name);
    const FORM_INFO_1W *form = existing.As<FORM_INFO_1W>();
    if (form == nullptr)
        return true;
    WCHAR question[260] = {};
    LoadStringW(ghInstance, IDS_FORM_EXISTS, question, ARRAYSIZE(question));
    if (MessageBoxW(hDlg, question, name, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        HWND edit = GetDlgItem(hDlg, IDC_STOCK_NAME);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return false;
    }
    if (form->pName != nullptr)
        lstrcpynW(name, form->pName, STOCK_NAME_UNITS);
    return true;
}

// The spooler took the form neither as a change nor as a new form. The
// reason is the error of the call that mattered: the change when a form of
// that name exists, the addition otherwise.
void ReportNotSaved(HWND hDlg, DWORD setError, DWORD addError)
{
    DWORD error = (addError == ERROR_FILE_EXISTS || addError == ERROR_ALREADY_EXISTS) ? setError : addError;
    WARNING(TEXT("UI:  SetForm and AddForm fail and error code is %d"), error);
    WCHAR prefix[260] = {};
    LoadStringW(ghInstance, IDS_FORM_NOT_SAVED, prefix, ARRAYSIZE(prefix));
    WCHAR message[300];
    _snwprintf_s(message, ARRAYSIZE(message), _TRUNCATE, TEXT("%s%u"), prefix, static_cast<unsigned>(error));
    MessageBoxW(hDlg, message, TEXT(""), MB_OK | MB_ICONERROR);
}

void OnOk(HWND hDlg)
{
    STOCKPARAM *param = ParamOf(hDlg);
    HANDLE printer = gpCurrentContext != nullptr ? gpCurrentContext->hPrinter : nullptr;
    if (printer == nullptr || param == nullptr) {
        EndDialog(hDlg, 1);
        return;
    }
    WCHAR name[STOCK_NAME_UNITS] = {};
    GetDlgItemTextW(hDlg, IDC_STOCK_NAME, name, STOCK_NAME_UNITS);
    CopyMemory(param->FormName, name, sizeof(param->FormName));

    // The width saved is the entry's millimetres, whatever unit is shown;
    // the entry the form opened with keeps the form's own width.
    const WidthGroup &group = GroupOf(param->ModelName);
    int widthIndex = SelectedWidthIndex(hDlg, group);
    LONG width = gOpened.read && widthIndex == gOpened.widthIndex
                     ? gOpened.size.cx
                     : Thousandths(EntryValue(group, widthIndex, false));

    LONG length = 0;
    if (!CheckLength(hDlg, param, length))
        return;
    if (param->Mode == STOCK_NEW && !ConfirmReplace(hDlg, printer, name))
        return;
    CopyMemory(param->FormName, name, sizeof(param->FormName));

    FORM_INFO_1W form = {};
    form.Flags = FORM_USER;
    form.pName = name;
    BuildFormArea(width, length, ThousandthsOf(hDlg, IDC_STOCK_LEFT, param),
                  ThousandthsOf(hDlg, IDC_STOCK_RIGHT, param), &form);
    // The top and bottom margins have no field: they stay as they were.
    if (gOpened.read) {
        LONGLONG bottomMargin = static_cast<LONGLONG>(gOpened.size.cy) - gOpened.area.bottom;
        if (gOpened.area.top >= 0 && gOpened.area.top <= length)
            form.ImageableArea.top = gOpened.area.top;
        if (bottomMargin > 0 && bottomMargin <= length - form.ImageableArea.top)
            form.ImageableArea.bottom = static_cast<LONG>(length - bottomMargin);
    }
    // The form store changes only through a printer opened to manage it, as
    // a deletion does; the sheet's own handle is often opened for printing
    // alone.
    unique_printer managing(OpenPrinterAllAccess(gszCurrentPrinter));
    if (managing)
        printer = managing.get();
    // A form of that name is changed; only a new name is added.
    SetLastError(ERROR_SUCCESS);
    BOOL changed = SetFormW(printer, name, 1, reinterpret_cast<LPBYTE>(&form));
    DWORD setError = GetLastError();
    SetLastError(ERROR_SUCCESS);
    BOOL added = AddFormW(printer, 1, reinterpret_cast<LPBYTE>(&form));
    DWORD addError = GetLastError();
    if (added)
        lstrcpynW(gszCurrentPaper, name, NAME_UNITS);
    if (!changed && !added) {
        // The user would take a form for saved that the printer does not
        // have: the dialog stays open with the values entered.
        ReportNotSaved(hDlg, setError, addError);
        return;
    }
    EndDialog(hDlg, 1);
}

}  // namespace

void FillStockLimits(STOCKPARAM *pParam, PCWSTR pModelName, bool extendedPage)
{
    if (pParam == nullptr)
        return;
    const StockLimits *limits = &kStandardLimits[ARRAYSIZE(kStandardLimits) - 1];
    if (extendedPage) {
        limits = &kExtendedLimits;
    } else {
        for (const StockLimits &row : kStandardLimits) {
            if (row.model != nullptr && SameText(pModelName, row.model)) {
                limits = &row;
                break;
            }
        }
    }
    double perUnit = pParam->Unit == 1 ? kMillimetresPerInch : 1.0;
    pParam->WidthCount = limits->widthCount;
    pParam->MinLength = limits->mm[0] / perUnit;
    pParam->MaxLength = limits->mm[1] / perUnit;
    pParam->MinWidth = limits->mm[2] / perUnit;
    pParam->MaxWidth = limits->mm[3] / perUnit;
}

INT_PTR CALLBACK PaperStockProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_INITDIALOG:
        InitPaperStock(hDlg, reinterpret_cast<STOCKPARAM *>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header != nullptr && header->code == static_cast<UINT>(UDN_DELTAPOS))
            OnSpin(hDlg, reinterpret_cast<const NMUPDOWN *>(lParam));
        // The change is let through: the position is not used.
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        WORD code = HIWORD(wParam);
        if (code == EN_CHANGE && (id == IDC_STOCK_LENGTH || id == IDC_STOCK_LEFT || id == IDC_STOCK_RIGHT)) {
            OnEditChange(hDlg, id);
        } else if (code == BN_CLICKED && id == IDC_STOCK_OK) {
            OnOk(hDlg);
        } else if (id == IDCANCEL) {
            EndDialog(hDlg, 0);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void ResetPaperStockState()
{
    gOpened = {};
    for (ShownValue &shown : gShown)
        shown.known = false;
    gCurrentWidth = 0;
    gCurrentLength = 0;
    gCurrentLeft = 0;
    gCurrentRight = 0;
}
