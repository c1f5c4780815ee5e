#include "src/paper/paperstock.h"

// Not built yet: the dialog refuses to open, so no form is ever reported
// saved.
void FillStockLimits(STOCKPARAM *, PCWSTR, bool) {}

INT_PTR CALLBACK PaperStockProc(HWND hDlg, UINT uMessage, WPARAM, LPARAM)
{
    if (uMessage == WM_INITDIALOG)
        EndDialog(hDlg, 0);
    return FALSE;
}

void ResetPaperStockState() {}
