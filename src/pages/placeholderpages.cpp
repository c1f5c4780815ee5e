// The extended Page Setup page as far as it is built: each keeps its
// page context and makes it current, so the sheet's other pages and the
// driver's callbacks see the right sheet.
#include "resources/resource.h"
#include "src/pages/bridge.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pageprocs.h"

namespace {

INT_PTR KeepPageContext(HWND hDlg, UINT uMessage, LPARAM lParam)
{
    switch (uMessage) {
    case WM_DESTROY:
        ReleasePictures(hDlg, {IDC_DIRECTION_PICTURE, IDC_OPTION_PICTURE});
        break;
    case WM_INITDIALOG: {
        PPAGECONTEXT context = TakePageContext(hDlg, lParam);
        AttachDocumentSheet(context);
        MakeCurrentContext(context);
        break;
    }
    case WM_COMMAND:
        MakeCurrentContext(PageContextOf(hDlg));
        break;
    case WM_NOTIFY: {
        PPAGECONTEXT context = PageContextOf(hDlg);
        MakeCurrentContext(context);
        if (context != nullptr && context->pOEMUIParam != nullptr &&
            reinterpret_cast<const NMHDR *>(lParam)->code == static_cast<UINT>(PSN_SETACTIVE))
            SyncDrvOptItemsToPage(hDlg, context);
        break;
    }
    default:
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK ExtendedPageSetupPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    UNREFERENCED_PARAMETER(wParam);
    return KeepPageContext(hDlg, uMessage, lParam);
}

