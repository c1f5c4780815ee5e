#include "src/distributed/distributed.h"

// Not built yet: every dialog ends at once as cancelled. The ribbon query
// is in ribbonquery.cpp.
namespace {

INT_PTR EndAtOnce(HWND hDlg, UINT uMessage)
{
    if (uMessage == WM_INITDIALOG)
        EndDialog(hDlg, 0);
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK DistributedPrintingProc(HWND hDlg, UINT uMessage, WPARAM, LPARAM)
{
    return EndAtOnce(hDlg, uMessage);
}

INT_PTR CALLBACK RibbonWidthProc(HWND hDlg, UINT uMessage, WPARAM, LPARAM)
{
    return EndAtOnce(hDlg, uMessage);
}

