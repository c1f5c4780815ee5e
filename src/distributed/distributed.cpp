#include "src/distributed/distributed.h"

// Not built yet: the ribbon query's dialog ends at once as cancelled, and no
// exchange gets a reply.
namespace {

INT_PTR EndAtOnce(HWND hDlg, UINT uMessage)
{
    if (uMessage == WM_INITDIALOG)
        EndDialog(hDlg, 0);
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK GetRibbonDataProc(HWND hDlg, UINT uMessage, WPARAM, LPARAM)
{
    return EndAtOnce(hDlg, uMessage);
}

DWORD WINAPI GetRibbonDataThread(LPVOID)
{
    return 0;
}

DWORD BidiCmdtoPrinter(PCWSTR, const BYTE *, DWORD, BYTE **)
{
    return 0;
}
