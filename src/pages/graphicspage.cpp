// The Graphics page: dithering, the Effect level, brightness and contrast,
// with the rendering and brightness/contrast previews.
#include "resources/resource.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pageprocs.h"

// Not built yet: the page keeps its context and makes it current, so the
// sheet's other pages and the driver's callbacks see the right sheet.
INT_PTR CALLBACK GraphicsPageProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    UNREFERENCED_PARAMETER(wParam);
    switch (uMessage) {
    case WM_DESTROY:
        ReleasePictures(hDlg, {IDC_SAMPLE_PICTURE, IDC_RENDERING_PICTURE, IDC_EFFECT_PICTURE});
        break;
    case WM_INITDIALOG:
        MakeCurrentContext(TakePageContext(hDlg, lParam));
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
        MakeCurrentContext(PageContextOf(hDlg));
        break;
    default:
        break;
    }
    return FALSE;
}
