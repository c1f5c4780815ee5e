// The Page Setup pages: the paper list with its forms, the print direction
// and the tape options; the extended model's page adds half cut, the print
// quality and the distributed printing switch.
#include "src/pages/pagesetup.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/pages/bridge.h"
#include "src/pages/pagecommon.h"
#include "src/distributed/distributed.h"
#include "src/pages/pageprocs.h"
#include "src/paper/paperstock.h"
#include "src/settings/printer.h"
#include "src/settings/settings.h"

namespace {

constexpr WCHAR kFallbackPaper[] = TEXT("50 x 70mm");
constexpr WCHAR kExtendedFallbackPaper[] = TEXT("18 x 100mm");
constexpr UINT kQualityStrings[] = {IDS_QUALITY_STANDARD, IDS_QUALITY_HIGH_QUALITY, IDS_QUALITY_HIGH_RESOLUTION,
                                    IDS_QUALITY_HIGH_SPEED};
constexpr int QUALITY_TEXT_UNITS = 8;
constexpr int LIST_TEXT_UNITS = 260;

// The models that show all four option boxes; the others show Mirror alone,
// in Auto Cut's place.
constexpr PCWSTR kAllOptionModels[] = {TEXT("HeronBT PRO"), TEXT("Heron"), TEXT("Osprey"), TEXT("Plover")};

// Notification codes of WM_COMMAND the page answers: a click, a new
// selection, and the code the driver's own pages send along.
constexpr WORD kCodeClick = 0;
constexpr WORD kCodeSelChange = CBN_SELCHANGE;
constexpr WORD kCodeDriver = 0x300;

void RememberPrinter(const PRINTER_INFO_2W &info)
{
    _snwprintf_s(gszCurrentPrinter, NAME_UNITS, _TRUNCATE, TEXT("%s"),
                 info.pPrinterName != nullptr ? info.pPrinterName : TEXT(""));
    _snwprintf_s(gszCurrentPort, NAME_UNITS, _TRUNCATE, TEXT("%s"),
                 info.pPortName != nullptr ? info.pPortName : TEXT(""));
}

bool Checked(HWND hDlg, int id) { return IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }

void ShowOptionPicture(HWND hDlg, const REGSTRUCT &settings)
{
    SetPicture(hDlg, IDC_OPTION_PICTURE, OptionBitmapId(settings));
}

// Special tape is never cut: chain and auto cut go off and cannot be chosen.
void ApplySpecialTape(HWND hDlg, REGSTRUCT &settings)
{
    CheckDlgButton(hDlg, IDC_CHAIN, BST_UNCHECKED);
    CheckDlgButton(hDlg, IDC_AUTO_CUT, BST_UNCHECKED);
    settings.Chain = 0;
    settings.AutoCut = 0;
    EnableWindow(GetDlgItem(hDlg, IDC_CHAIN), FALSE);
    EnableWindow(GetDlgItem(hDlg, IDC_AUTO_CUT), FALSE);
}

// On the extended page special tape only locks the other boxes: their marks
// and fields stay for when it goes off again.
void LockCutOptions(HWND hDlg, bool locked)
{
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EnableWindow(GetDlgItem(hDlg, id), locked ? FALSE : TRUE);
}

void ShowDirection(HWND hDlg, LONG rotate)
{
    if (rotate == 0 || rotate == 1) {
        CheckRadioButton(hDlg, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PORTRAIT);
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_PORTRAIT);
    } else if (rotate == 2 || rotate == 3) {
        CheckRadioButton(hDlg, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_LANDSCAPE);
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_LANDSCAPE);
    }
}

// Every model but the four keeps Mirror alone, moved to where Auto Cut is.
// It keeps its place in the z-order, which is the Tab order: the boxes
// before it are hidden, so it still comes after the paper and direction.
void LayOutOptions(HWND hDlg, PCWSTR pDriverName)
{
    for (PCWSTR model : kAllOptionModels) {
        if (SameText(pDriverName, model))
            return;
    }
    RECT autoCut = {}, page = {};
    GetWindowRect(GetDlgItem(hDlg, IDC_AUTO_CUT), &autoCut);
    GetWindowRect(hDlg, &page);
    for (int id : {IDC_AUTO_CUT, IDC_CHAIN, IDC_SPECIAL_TAPE})
        ShowWindow(GetDlgItem(hDlg, id), SW_HIDE);
    HWND mirror = GetDlgItem(hDlg, IDC_MIRROR);
    if (!SetWindowPos(mirror, nullptr, autoCut.left - page.left, autoCut.top - page.top, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW))
        WARNING(TEXT("UI:  move window fail and error code is %d"), GetLastError());
    ShowWindow(mirror, SW_SHOW);
}

void ShowOptions(HWND hDlg, REGSTRUCT &settings)
{
    if (settings.SpecialTape != 0) {
        CheckDlgButton(hDlg, IDC_SPECIAL_TAPE, BST_CHECKED);
        ApplySpecialTape(hDlg, settings);
    } else {
        if (settings.Chain != 0)
            CheckDlgButton(hDlg, IDC_CHAIN, BST_CHECKED);
        if (settings.AutoCut != 0)
            CheckDlgButton(hDlg, IDC_AUTO_CUT, BST_CHECKED);
    }
    if (settings.Mirror != 0)
        CheckDlgButton(hDlg, IDC_MIRROR, BST_CHECKED);
    ShowOptionPicture(hDlg, settings);
}

void ShowExtendedOptions(HWND hDlg, REGSTRUCT &settings)
{
    if (settings.Chain != 0)
        CheckDlgButton(hDlg, IDC_CHAIN, BST_CHECKED);
    if (settings.AutoCut != 0)
        CheckDlgButton(hDlg, IDC_AUTO_CUT, BST_CHECKED);
    if (settings.HalfCut != 0)
        CheckDlgButton(hDlg, IDC_HALF_CUT, BST_CHECKED);
    if (settings.SpecialTape != 0) {
        CheckDlgButton(hDlg, IDC_SPECIAL_TAPE, BST_CHECKED);
        LockCutOptions(hDlg, true);
    }
    if (settings.Mirror != 0)
        CheckDlgButton(hDlg, IDC_MIRROR, BST_CHECKED);

    for (UINT id : kQualityStrings) {
        WCHAR text[LIST_TEXT_UNITS] = {};
        LoadStringW(ghInstance, id, text, LIST_TEXT_UNITS);
        SendDlgItemMessageW(hDlg, IDC_QUALITY_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageW(hDlg, IDC_QUALITY_LIST, CB_SETCURSEL, static_cast<WPARAM>(settings.iQuality), 0);
    if (settings.Distributed != 0)
        CheckDlgButton(hDlg, IDC_DISTRIBUTED, BST_CHECKED);
    else
        EnableWindow(GetDlgItem(hDlg, IDC_SETTING_VALUE), FALSE);
    ShowOptionPicture(hDlg, settings);
}

// The printer's default paper, by name; the page's own fallback when the
// driver has no name for its number.
PCWSTR DefaultPaperName(const PRINTER_INFO_2W &info, bool extended, WCHAR (&slot)[PAPER_NAME_UNITS + 1])
{
    WARNING(TEXT("UI:  pdm->dmPaperSize is %d"), info.pDevMode->dmPaperSize);
    GetPaperNameById(info.pPrinterName, info.pPortName, info.pDevMode->dmPaperSize, slot);
    if (slot[0] != 0)
        return slot;
    return extended ? kExtendedFallbackPaper : kFallbackPaper;
}

// The initial paper is the printer's default paper, not the document's.
void SelectDefaultPaper(HWND hDlg, const PRINTER_INFO_2W &info, bool extended)
{
    if (info.pDevMode == nullptr)
        return;
    WCHAR slot[PAPER_NAME_UNITS + 1] = {};
    PCWSTR name = DefaultPaperName(info, extended, slot);
    SelectPaperByName(hDlg, name, true);
    UpdateFormButtons(hDlg, PageContextOf(hDlg), name, true);
}

void InitPageSetup(HWND hDlg, LPARAM lParam, bool extended)
{
    PPAGECONTEXT context = TakePageContext(hDlg, lParam);
    if (context == nullptr)
        return;
    AttachDocumentSheet(context);
    MakeCurrentContext(context);

    SpoolerBlock block = FetchPrinterInfo2(context->hPrinter);
    const PRINTER_INFO_2W *info = block.As<PRINTER_INFO_2W>();
    if (info != nullptr)
        RememberPrinter(*info);
    ReadWriteSettings(context, FALSE);
    if (info != nullptr) {
        FillPaperList(hDlg, info->pPrinterName, info->pPortName);
        SelectDefaultPaper(hDlg, *info, extended);
    }
    ShowDirection(hDlg, context->Settings.Rotate);
    if (extended) {
        ShowExtendedOptions(hDlg, context->Settings);
        return;
    }
    ShowOptions(hDlg, context->Settings);
    // Without the printer's data the layout of the template stays.
    if (info != nullptr)
        LayOutOptions(hDlg, info->pDriverName);
}

// The entry the list shows after the page changed the selection itself is
// the current paper, as if the user had picked it: the Apply that follows
// makes the paper the user sees the default paper, never one that is gone.
void TakeShownPaper(HWND hDlg, PPAGECONTEXT context)
{
    WCHAR name[LIST_TEXT_UNITS];
    SelectedPaper(hDlg, name);
    lstrcpynW(gszCurrentPaper, name, NAME_UNITS);
    if (name[0] == 0)
        return;
    UpdateFormButtons(hDlg, context, gszCurrentPaper, false);
    SetOEMCommonDataIntoOptItem(context, "PaperSize", gszCurrentPaper);
}

// The distributed printing dialog, then the printer's default paper again:
// its ribbon width dialog may have changed it.
void RunDistributedPrinting(HWND hDlg, PPAGECONTEXT context)
{
    SpoolerBlock before = FetchPrinterInfo2(context->hPrinter);
    if (!before.fetched)
        return;
    DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), hDlg, DistributedPrintingProc,
                    reinterpret_cast<LPARAM>(before.block.get()));
    before = SpoolerBlock();

    SpoolerBlock after = FetchPrinterInfo2(context->hPrinter);
    const PRINTER_INFO_2W *info = after.As<PRINTER_INFO_2W>();
    if (info == nullptr || info->pDevMode == nullptr)
        return;
    WCHAR slot[PAPER_NAME_UNITS + 1] = {};
    LRESULT shownBefore = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0);
    SelectPaperByName(hDlg, DefaultPaperName(*info, true, slot), true);
    // A list that shows another paper now has a new current paper; one that
    // shows the same leaves it as it was.
    if (SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0) != shownBefore)
        TakeShownPaper(hDlg, context);
}

// Other printers whose default paper the form is would be left pointing
// at nothing: the user is told which and asked again.
bool ConfirmOthersDefault(HWND hDlg, PCWSTR name)
{
    WCHAR first[NAME_UNITS];
    DWORD users = CountPrintersUsingPaper(name, gszCurrentPrinter, first);
    if (users == 0)
        return true;
    WCHAR format[LIST_TEXT_UNITS] = {};
    LoadStringW(ghInstance, users == 1 ? IDS_DEFAULT_PAPER_OF_ONE : IDS_DEFAULT_PAPER_OF_MORE, format,
                LIST_TEXT_UNITS);
    WCHAR question[2 * LIST_TEXT_UNITS + NAME_UNITS];
    _snwprintf_s(question, ARRAYSIZE(question), _TRUNCATE, format, first, static_cast<int>(users - 1));
    return MessageBoxW(hDlg, question, name, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void DeleteSelectedForm(HWND hDlg, PPAGECONTEXT context)
{
    WCHAR name[LIST_TEXT_UNITS];
    LRESULT index = SelectedPaper(hDlg, name);
    if (index == CB_ERR)
        return;
    WCHAR question[LIST_TEXT_UNITS] = {};
    LoadStringW(ghInstance, IDS_CONFIRM_DELETE_FORM, question, LIST_TEXT_UNITS);
    if (MessageBoxW(nullptr, question, name, MB_OKCANCEL) != IDOK)
        return;
    if (!ConfirmOthersDefault(hDlg, name))
        return;
    // A form the spooler keeps stays in the list, selected as it was.
    if (!DeletePaperForm(name)) {
        WARNING(TEXT("UI:  DeleteForm fail and error code is %d"), GetLastError());
        return;
    }
    SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_SETCURSEL, static_cast<WPARAM>(index > 0 ? index - 1 : 0), 0);
    TakeShownPaper(hDlg, context);
}

// The print quality as decimal text for the driver's "Resolution" item.
WCHAR gszQuality[QUALITY_TEXT_UNITS] = {};

void OnPageSetupCommand(HWND hDlg, PPAGECONTEXT context, WORD id, WORD code, bool extended)
{
    if (code != kCodeClick && code != kCodeSelChange && code != kCodeDriver)
        return;
    REGSTRUCT &settings = context->Settings;
    if (code == kCodeClick) {
        if (id == IDC_PAPER_DELETE)
            DeleteSelectedForm(hDlg, context);
        else if (id == IDC_PAPER_NEW || id == IDC_PAPER_EDIT)
            RunPaperStock(hDlg, context, id == IDC_PAPER_NEW ? STOCK_NEW : STOCK_EDIT, extended);
        else if (extended && id == IDC_SETTING_VALUE)
            RunDistributedPrinting(hDlg, context);
    }

    PCSTR keyword = nullptr;
    PCWSTR value = nullptr;
    if (extended) {
        switch (id) {
        case IDC_QUALITY_LIST: {
            LRESULT index = SendDlgItemMessageW(hDlg, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0);
            settings.iQuality = static_cast<LONG>(index);
            WARNING(TEXT("UI:  pMyStuff->iQuality is %d"), settings.iQuality);
            _snwprintf_s(gszQuality, QUALITY_TEXT_UNITS, _TRUNCATE, TEXT("%d"), settings.iQuality);
            keyword = "Resolution";
            value = gszQuality;
            break;
        }
        case IDC_DISTRIBUTED:
            settings.Distributed = Checked(hDlg, IDC_DISTRIBUTED) ? 1 : 0;
            EnableWindow(GetDlgItem(hDlg, IDC_SETTING_VALUE), settings.Distributed != 0 ? TRUE : FALSE);
            break;
        default:
            break;
        }
    }
    switch (id) {
    case IDC_PAPER_LIST: {
        WCHAR name[LIST_TEXT_UNITS];
        SelectedPaper(hDlg, name);
        lstrcpynW(gszCurrentPaper, name, NAME_UNITS);
        UpdateFormButtons(hDlg, context, gszCurrentPaper, false);
        keyword = "PaperSize";
        value = gszCurrentPaper;
        break;
    }
    case IDC_CHAIN:
    case IDC_MIRROR:
    case IDC_AUTO_CUT:
    case IDC_HALF_CUT: {
        // Each box is its field; half cut is on the extended page only.
        static const struct {
            WORD id;
            LONG REGSTRUCT::*field;
        } kBoxes[] = {{IDC_CHAIN, &REGSTRUCT::Chain},
                      {IDC_MIRROR, &REGSTRUCT::Mirror},
                      {IDC_AUTO_CUT, &REGSTRUCT::AutoCut},
                      {IDC_HALF_CUT, &REGSTRUCT::HalfCut}};
        for (const auto &box : kBoxes) {
            if (box.id == id && (extended || id != IDC_HALF_CUT))
                settings.*box.field = Checked(hDlg, id) ? 1 : 0;
        }
        ShowOptionPicture(hDlg, settings);
        break;
    }
    case IDC_PORTRAIT:
        settings.Rotate = 0;
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_PORTRAIT);
        keyword = "Orientation";
        value = TEXT("0");
        break;
    case IDC_LANDSCAPE:
        settings.Rotate = 2;
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_LANDSCAPE);
        keyword = "Orientation";
        value = TEXT("1");
        break;
    case IDC_SPECIAL_TAPE:
        settings.SpecialTape = Checked(hDlg, IDC_SPECIAL_TAPE) ? 1 : 0;
        if (extended) {
            LockCutOptions(hDlg, settings.SpecialTape != 0);
        } else if (settings.SpecialTape != 0) {
            ApplySpecialTape(hDlg, settings);
        } else {
            EnableWindow(GetDlgItem(hDlg, IDC_CHAIN), TRUE);
            EnableWindow(GetDlgItem(hDlg, IDC_AUTO_CUT), TRUE);
        }
        ShowOptionPicture(hDlg, settings);
        break;
    default:
        break;
    }
    MarkSheetChanged(hDlg);
    if (keyword != nullptr)
        SetOEMCommonDataIntoOptItem(context, keyword, value);
    gPendingPages |= PENDING_PAGESETUP;
}

}  // namespace

WORD OptionBitmapId(const REGSTRUCT &settings)
{
    if (settings.SpecialTape != 0)
        return settings.Mirror != 0 ? IDB_SPECIAL_TAPE_MIRROR : IDB_SPECIAL_TAPE;
    static const WORD kPictures[16] = {
        IDB_OPTION_NONE,
        IDB_OPTION_MIRROR,
        IDB_OPTION_HALFCUT,
        IDB_OPTION_HALFCUT_MIRROR,
        IDB_OPTION_CHAIN,
        IDB_OPTION_CHAIN_MIRROR,
        IDB_OPTION_CHAIN_HALFCUT,
        IDB_OPTION_CHAIN_HALFCUT_MIRROR,
        IDB_OPTION_AUTOCUT,
        IDB_OPTION_AUTOCUT_MIRROR,
        IDB_OPTION_AUTOCUT_HALFCUT,
        IDB_OPTION_AUTOCUT_HALFCUT_MIRROR,
        IDB_OPTION_AUTOCUT_CHAIN,
        IDB_OPTION_AUTOCUT_CHAIN_MIRROR,
        IDB_OPTION_AUTOCUT_CHAIN_HALFCUT,
        IDB_OPTION_AUTOCUT_CHAIN_HALFCUT_MIRROR,
    };
    // Each option counts as set or not, whatever number a record holds.
    int index = (settings.Mirror != 0 ? 1 : 0) + (settings.HalfCut != 0 ? 2 : 0) + (settings.Chain != 0 ? 4 : 0) +
                (settings.AutoCut != 0 ? 8 : 0);
    return kPictures[index];
}

HBITMAP GetOptionBitmap()
{
    if (gpCurrentSettings == nullptr)
        return nullptr;
    return static_cast<HBITMAP>(LoadImageW(ghInstance, MAKEINTRESOURCEW(OptionBitmapId(*gpCurrentSettings)),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The selected entry's text, empty without a selection.
LRESULT SelectedPaper(HWND hDlg, WCHAR (&text)[NAME_UNITS])
{
    text[0] = 0;
    LRESULT index = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return CB_ERR;
    LRESULT units = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (units == CB_ERR || units >= static_cast<LRESULT>(NAME_UNITS))
        return CB_ERR;
    SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return index;
}

void FillPaperList(HWND hDlg, PCWSTR pPrinterName, PCWSTR pPortName)
{
    PaperList list;
    if (!FetchPaperNames(pPrinterName, pPortName, list))
        return;
    for (int i = 0; i < list.nameCount; ++i) {
        WCHAR name[PAPER_NAME_UNITS + 1];
        list.CopyName(i, name);
        SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

void SelectPaperByName(HWND hDlg, PCWSTR pName, bool trace)
{
    LRESULT count = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT units = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (units == CB_ERR || units >= LIST_TEXT_UNITS)
            continue;
        WCHAR text[LIST_TEXT_UNITS] = {};
        SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (!SameText(text, pName))
            continue;
        SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        if (trace)
            OutputDebugStringW(text);
    }
}

void UpdateFormButtons(HWND hDlg, PPAGECONTEXT pContext, PCWSTR pFormName, bool initial)
{
    if (pContext == nullptr)
        return;
    SpoolerBlock form = FetchForm1(pContext->hPrinter, pFormName);
    const FORM_INFO_1W *info = form.As<FORM_INFO_1W>();
    if (info == nullptr) {
        WARNING(TEXT("UI:  GetForm fail and error code is %d"), GetLastError());
        return;
    }
    // The printer's own forms and the standard ones are not the user's to
    // change or delete.
    bool userForm = (info->Flags & (FORM_PRINTER | FORM_BUILTIN)) == 0;
    if (initial)
        WARNING(TEXT("UI:  pform->Flags is %d"), info->Flags);
    if (initial && userForm)
        return;
    for (int id : {IDC_PAPER_DELETE, IDC_PAPER_EDIT})
        EnableWindow(GetDlgItem(hDlg, id), userForm ? TRUE : FALSE);
}

void RunPaperStock(HWND hDlg, PPAGECONTEXT pContext, DWORD mode, bool extendedPage)
{
    SpoolerBlock block = FetchPrinterInfo2(pContext->hPrinter);
    const PRINTER_INFO_2W *info = block.As<PRINTER_INFO_2W>();
    if (info == nullptr)
        return;
    unique_global memory(GlobalAlloc(GPTR, sizeof(STOCKPARAM)));
    if (!memory)
        return;
    auto *param = static_cast<STOCKPARAM *>(memory.get());
    param->Mode = mode;
    param->Unit = pContext->Settings.Unit != 0 ? 1 : 0;
    lstrcpynW(param->ModelName, info->pDriverName != nullptr ? info->pDriverName : TEXT(""), STOCK_NAME_UNITS);
    FillStockLimits(param, param->ModelName, extendedPage);
    WCHAR selected[LIST_TEXT_UNITS];
    SelectedPaper(hDlg, selected);
    lstrcpynW(param->FormName, selected, STOCK_NAME_UNITS);

    INT_PTR result = DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_PAPER_STOCK), hDlg, PaperStockProc,
                                     reinterpret_cast<LPARAM>(param));
    if (result == 1 && pContext->hPrinter != nullptr) {
        RememberPrinter(*info);
        SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_RESETCONTENT, 0, 0);
        FillPaperList(hDlg, info->pPrinterName, info->pPortName);
        SelectPaperByName(hDlg, param->FormName, false);
        TakeShownPaper(hDlg, pContext);
    }
    if (mode == STOCK_EDIT)
        MarkSheetChanged(hDlg);
}

namespace {

INT_PTR PageSetupProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam, bool extended)
{
    switch (uMessage) {
    case WM_INITDIALOG:
        InitPageSetup(hDlg, lParam, extended);
        return FALSE;
    case WM_DESTROY:
        ReleasePictures(hDlg, {IDC_DIRECTION_PICTURE, IDC_OPTION_PICTURE});
        return FALSE;
    case WM_ERASEBKGND:
        VERBOSE(TEXT("UI:  DevicePropPageProc : WM_CTLCOLORDLG \r\n"));
        return FALSE;
    case WM_COMMAND:
    case WM_NOTIFY:
        break;
    default:
        return FALSE;
    }
    PPAGECONTEXT context = PageContextOf(hDlg);
    if (context == nullptr)
        return FALSE;
    MakeCurrentContext(context);
    if (uMessage == WM_COMMAND) {
        OnPageSetupCommand(hDlg, context, LOWORD(wParam), HIWORD(wParam), extended);
        return FALSE;
    }
    switch (reinterpret_cast<const NMHDR *>(lParam)->code) {
    case PSN_APPLY:
        // The paper first, then the record once no page is pending.
        ChangeDefaultPaper(gszCurrentPrinter, gszCurrentPaper);
        return ApplyPageSettings(hDlg, context, PENDING_PAGESETUP);
    case PSN_SETACTIVE:
        SyncDrvOptItemsToPage(hDlg, context);
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK PageSetupPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    return PageSetupProc(hDlg, uMessage, wParam, lParam, false);
}

INT_PTR CALLBACK ExtendedPageSetupPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    return PageSetupProc(hDlg, uMessage, wParam, lParam, true);
}
