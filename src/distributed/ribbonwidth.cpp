// The ribbon width dialog: one printer of the distributed printing list gets
// a paper from its own paper list, which becomes its default paper and whose
// width its row shows as the Set Width, and a comment.
#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/distributed/distlist.h"
#include "src/settings/printer.h"

namespace {

constexpr int COMMENT_LIMIT = 255;
constexpr int COMMENT_READ_UNITS = 256;
constexpr int ENTRY_UNITS = 260;

RIBBONPARAM *ParamOf(HWND hDlg) { return reinterpret_cast<RIBBONPARAM *>(GetWindowLongPtrW(hDlg, DWLP_USER)); }

// False when the driver names no paper.
bool FillPapers(HWND hDlg, const PRINTER_INFO_2W &info)
{
    PaperList papers;
    if (!FetchPaperNames(info.pPrinterName, info.pPortName, papers) || papers.nameCount == 0)
        return false;
    HWND combo = GetDlgItem(hDlg, IDC_RIBBON_SET_WIDTH);
    for (int i = 0; i < papers.nameCount; ++i) {
        WCHAR name[PAPER_NAME_UNITS + 1];
        papers.CopyName(i, name);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    return true;
}

// The entry with exactly that text; the list compares without regard to case,
// so CB_FINDSTRINGEXACT could pick another paper. The last of equal entries.
void SelectPaper(HWND hDlg, PCWSTR pName)
{
    HWND combo = GetDlgItem(hDlg, IDC_RIBBON_SET_WIDTH);
    int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int found = -1;
    for (int i = 0; i < count; ++i) {
        if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= ENTRY_UNITS)
            continue;
        WCHAR text[ENTRY_UNITS] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        if (SameText(text, pName))
            found = i;
    }
    if (found >= 0)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void SelectDefaultPaper(HWND hDlg, const PRINTER_INFO_2W &info)
{
    if (info.pDevMode == nullptr) {
        OutputDebugStringW(TEXT("pdm is null"));
        return;
    }
    WARNING(TEXT("UI:  pdm->dmPaperSize is %d"), info.pDevMode->dmPaperSize);
    WCHAR paper[PAPER_NAME_UNITS + 1] = {};
    GetPaperNameById(info.pPrinterName, info.pPortName, info.pDevMode->dmPaperSize, paper);
    SelectPaper(hDlg, paper[0] != 0 ? paper : kFallbackRibbonPaper);
}

void InitRibbonWidth(HWND hDlg, LPARAM lParam)
{
    SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
    RIBBONPARAM *param = ParamOf(hDlg);
    if (param == nullptr)
        return;
    SetWindowTextW(hDlg, param->PrinterName);
    SetDlgItemTextW(hDlg, IDC_RIBBON_CURRENT_WIDTH, param->CurrentWidth);
    SetDlgItemTextW(hDlg, IDC_RIBBON_TYPE, param->RibbonType);
    SendDlgItemMessageW(hDlg, IDC_RIBBON_COMMENT, EM_LIMITTEXT, COMMENT_LIMIT, 0);
    SetDlgItemTextW(hDlg, IDC_RIBBON_COMMENT, param->Comment);

    // Without the printer the dialog shows only what its row knew.
    unique_printer printer(OpenPrinterAllAccess(param->PrinterName));
    if (!printer)
        return;
    SpoolerBlock block = FetchPrinterInfo2(printer.get());
    const PRINTER_INFO_2W *info = block.As<PRINTER_INFO_2W>();
    if (info == nullptr)
        return;
    SetDlgItemTextW(hDlg, IDC_RIBBON_PORT, info->pPortName != nullptr ? info->pPortName : TEXT(""));
    if (FillPapers(hDlg, *info))
        SelectDefaultPaper(hDlg, *info);
}

// The paper chosen becomes the printer's default paper; the printer is the
// row's, which need not be the sheet's.
void OnOk(HWND hDlg)
{
    OutputDebugStringW(TEXT("ok"));
    RIBBONPARAM *param = ParamOf(hDlg);
    if (param == nullptr) {
        EndDialog(hDlg, 0);
        return;
    }
    GetDlgItemTextW(hDlg, IDC_RIBBON_COMMENT, param->Comment, COMMENT_READ_UNITS);

    WCHAR paper[ENTRY_UNITS] = {};
    HWND combo = GetDlgItem(hDlg, IDC_RIBBON_SET_WIDTH);
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR && SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0) < ENTRY_UNITS)
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(paper));

    {
        unique_printer printer(OpenPrinterAllAccess(param->PrinterName));
        if (printer)
            FormWidthText(printer.get(), paper, param->SetWidth, RIBBON_TEXT_UNITS);
    }
    ChangeDefaultPaper(param->PrinterName, paper);
    EndDialog(hDlg, 1);
}

}  // namespace

INT_PTR CALLBACK RibbonWidthProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_INITDIALOG:
        InitRibbonWidth(hDlg, lParam);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        if (LOWORD(wParam) == IDOK) {
            OnOk(hDlg);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OutputDebugStringW(TEXT("cancel"));
            EndDialog(hDlg, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
