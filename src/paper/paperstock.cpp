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

#include <cstdio>

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr int kEditLimit = 8;
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
// length, minimum and maximum tape width, in millimetres and in inches.
struct StockLimits {
    PCWSTR model;  // null: every other model
    LONG widthCount;
    double mm[4];
    double inch[4];
};

const StockLimits kStandardLimits[] = {
    {TEXT("Wren"), 5, {10, 1000, 12, 15}, {0.39, 39.37, 0.47, 0.59}},
    {TEXT("Robin"), 3, {10, 1000, 12, 15}, {0.39, 39.37, 0.47, 0.59}},
    {TEXT("KestrelBT"), 4, {5, 1000, 0, 18}, {0.2, 39.37, 0, 0.7}},
    {TEXT("KestrelBT PRO"), 4, {5, 1000, 0, 18}, {0.2, 39.37, 0, 0.7}},
    {TEXT("MerlinBT"), 5, {25, 1000, 0, 24}, {0.99, 39.37, 0, 0.94}},
    {nullptr, 5, {24, 1000, 0, 24}, {0.94, 39.37, 0, 0.94}},
};
// The extended page serves one model.
const StockLimits kExtendedLimits = {TEXT("FalconBT"), 7, {24, 1000, 0, 36}, {0.94, 39.37, 0, 1.42}};

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

STOCKPARAM *ParamOf(HWND hDlg) { return reinterpret_cast<STOCKPARAM *>(GetWindowLongPtrW(hDlg, DWLP_USER)); }

bool Inches(const STOCKPARAM *param) { return param->Unit == 1; }

void ShowNumber(HWND hDlg, int id, double value)
{
    WCHAR text[kNumberUnits];
    FormatNumber(value, text);
    SetDlgItemTextW(hDlg, id, text);
}

void ReadEdit(HWND hDlg, int id, WCHAR (&text)[kEditUnits])
{
    text[0] = 0;
    GetDlgItemTextW(hDlg, id, text, kEditUnits);
}

void RewriteEdit(HWND hDlg, int id, double value)
{
    int outer = gRewritingEdit;
    gRewritingEdit = id;
    ShowNumber(hDlg, id, value);
    gRewritingEdit = outer;
    InvalidateRect(hDlg, nullptr, TRUE);
}

// Parse-and-clamp of one edit; a text that was refused or bounded is
// replaced by the value kept.
void ClampEdit(HWND hDlg, int id, double low, double high, double &current)
{
    if (id == gRewritingEdit)
        return;
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, id, text);
    if (ParseAndClamp(text, low, high, current))
        RewriteEdit(hDlg, id, current);
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
        ClampEdit(hDlg, id, 0, param->MaxLength, gCurrentLength);
    else
        ClampEdit(hDlg, id, 0, param->MaxWidth, id == IDC_STOCK_LEFT ? gCurrentLeft : gCurrentRight);

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
    ShowNumber(hDlg, editId, _wtof(text) + change->iDelta / 100.0);
}

void InitPaperStock(HWND hDlg, STOCKPARAM *param)
{
    for (int id : {IDC_STOCK_LEFT, IDC_STOCK_LENGTH, IDC_STOCK_RIGHT})
        SendDlgItemMessageW(hDlg, id, EM_LIMITTEXT, kEditLimit, 0);
    SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(param));
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
    SendDlgItemMessageW(hDlg, IDC_STOCK_WIDTH, CB_SETCURSEL, NearestWidthIndex(group, gCurrentWidth), 0);
    if (inches) {
        gCurrentLength /= kMillimetresPerInch;
        gCurrentLeft /= kMillimetresPerInch;
        gCurrentRight /= kMillimetresPerInch;
    }
    // Each text passes the edit-change handling as it is set.
    ShowNumber(hDlg, IDC_STOCK_LENGTH, gCurrentLength);
    ShowNumber(hDlg, IDC_STOCK_LEFT, gCurrentLeft);
    ShowNumber(hDlg, IDC_STOCK_RIGHT, gCurrentRight);
}

// The length at OK must lie within the model's limits; one that does not is
// corrected and the limits are shown.
bool CheckLength(HWND hDlg, const STOCKPARAM *param)
{
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, IDC_STOCK_LENGTH, text);
    if (!ParseAndClamp(text, param->MinLength, param->MaxLength, gCurrentLength))
        return true;
    RewriteEdit(hDlg, IDC_STOCK_LENGTH, gCurrentLength);
    char prefix[260] = {};
    LoadStringA(ghInstance, IDS_PRINTABLE_HEIGHT, prefix, ARRAYSIZE(prefix));
    char message[400];
    std::snprintf(message, sizeof(message), "%s%.2f~%.2f %s", prefix, param->MinLength, param->MaxLength,
                  Inches(param) ? "in" : "mm");
    MessageBoxA(hDlg, message, "", MB_OK);
    return false;
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

    // The width saved is the entry's millimetres, whatever unit is shown.
    const WidthGroup &group = GroupOf(param->ModelName);
    double widthMm = EntryValue(group, SelectedWidthIndex(hDlg, group), false);

    if (!CheckLength(hDlg, param))
        return;
    double length = gCurrentLength;
    WCHAR text[kEditUnits];
    ReadEdit(hDlg, IDC_STOCK_LEFT, text);
    double left = _wtof(text);
    ReadEdit(hDlg, IDC_STOCK_RIGHT, text);
    double right = _wtof(text);
    if (Inches(param)) {
        length *= kMillimetresPerInch;
        left *= kMillimetresPerInch;
        right *= kMillimetresPerInch;
    }

    FORM_INFO_1W form = {};
    form.Flags = FORM_USER;
    form.pName = name;
    BuildFormSize(widthMm, length, left, right, &form);
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
    const double *values = pParam->Unit == 1 ? limits->inch : limits->mm;
    pParam->WidthCount = limits->widthCount;
    pParam->MinLength = values[0];
    pParam->MaxLength = values[1];
    pParam->MinWidth = values[2];
    pParam->MaxWidth = values[3];
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
    gCurrentWidth = 0;
    gCurrentLength = 0;
    gCurrentLeft = 0;
    gCurrentRight = 0;
}
