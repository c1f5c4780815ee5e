// The Other page: the measurement unit of the paper stock dialog, and the
// printer's detection page.
#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pageprocs.h"
#include "src/settings/printer.h"
#include "src/settings/settings.h"

namespace {

// The models whose firmware prints no detection page.
constexpr PCWSTR kNoSelfTestModels[] = {TEXT("Wren"),   TEXT("Robin"),  TEXT("Heron"),
                                        TEXT("Osprey"), TEXT("Plover"), TEXT("HeronBT PRO")};

constexpr BYTE kSelfTestCommand[] = {0x1F, 0x11, 0x27};

bool HasSelfTest(PCWSTR driverName)
{
    for (PCWSTR model : kNoSelfTestModels) {
        if (SameText(driverName, model))
            return false;
    }
    return true;
}

void ShowUnit(HWND hDlg, LONG unit)
{
    if (unit == 0 || unit == 1) {
        CheckRadioButton(hDlg, IDC_UNIT_MM, IDC_UNIT_INCH, unit == 0 ? IDC_UNIT_MM : IDC_UNIT_INCH);
        return;
    }
    CheckDlgButton(hDlg, IDC_UNIT_MM, BST_UNCHECKED);
    CheckDlgButton(hDlg, IDC_UNIT_INCH, BST_UNCHECKED);
}

void InitOtherPage(HWND hDlg, LPARAM lParam)
{
    // Pending from the start: the settings record is stored only once this
    // page, too, has been applied.
    gPendingPages |= PENDING_OTHER;
    PPAGECONTEXT context = TakePageContext(hDlg, lParam);
    if (context == nullptr)
        return;
    AttachDocumentSheet(context);
    MakeCurrentContext(context);
    ReadWriteSettings(context, FALSE);
    ShowUnit(hDlg, context->Settings.Unit);

    SpoolerBlock info = FetchPrinterInfo2(context->hPrinter);
    if (!info.fetched)
        return;
    if (!HasSelfTest(info.As<PRINTER_INFO_2W>()->pDriverName)) {
        for (int id : {IDC_SELF_TEST_GROUP, IDC_SELF_TEST_LABEL, IDC_SELF_TEST_PRINT})
            ShowWindow(GetDlgItem(hDlg, id), SW_HIDE);
    }
}

// The three bytes go to the printer as a raw job of their own.
void PrintSelfTest(HANDLE hPrinter)
{
    DOC_INFO_1W docInfo = {};
    docInfo.pDocName = const_cast<LPWSTR>(TEXT("label cmd"));
    docInfo.pOutputFile = nullptr;
    docInfo.pDatatype = const_cast<LPWSTR>(TEXT("RAW"));
    if (StartDocPrinterW(hPrinter, 1, reinterpret_cast<LPBYTE>(&docInfo)) == 0)
        return;
    DWORD written = 0;
    if (!WritePrinter(hPrinter, const_cast<BYTE *>(kSelfTestCommand), sizeof(kSelfTestCommand), &written))
        WARNING(TEXT("UI:  WritePrinter fail and error code is %d"), GetLastError());
    EndDocPrinter(hPrinter);
}

void OnOtherCommand(HWND hDlg, PPAGECONTEXT context, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDC_UNIT_MM:
        context->Settings.Unit = 0;
        break;
    case IDC_UNIT_INCH:
        context->Settings.Unit = 1;
        break;
    case IDC_SELF_TEST_PRINT:
        if (HIWORD(wParam) == BN_CLICKED)
            PrintSelfTest(context->hPrinter);
        break;
    default:
        break;
    }
    MarkSheetChanged(hDlg);
    gPendingPages |= PENDING_OTHER;
}

}  // namespace

INT_PTR CALLBACK OtherPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    if (uMessage == WM_INITDIALOG) {
        InitOtherPage(hDlg, lParam);
        return FALSE;
    }
    if (uMessage != WM_COMMAND && uMessage != WM_NOTIFY)
        return FALSE;
    PPAGECONTEXT context = PageContextOf(hDlg);
    if (context == nullptr)
        return FALSE;
    MakeCurrentContext(context);
    if (uMessage == WM_COMMAND) {
        OnOtherCommand(hDlg, context, wParam);
    } else if (reinterpret_cast<const NMHDR *>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
        return ApplyPageSettings(hDlg, context, PENDING_OTHER);
    }
    return FALSE;
}
