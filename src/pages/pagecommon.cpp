#include "src/pages/pagecommon.h"

#include "src/base/module.h"
#include "resources/resource.h"
#include "src/base/unique.h"
#include "src/settings/settings.h"

PPAGECONTEXT TakePageContext(HWND hDlg, LPARAM initParam)
{
    auto *page = reinterpret_cast<const PROPSHEETPAGEW *>(initParam);
    auto *context = page != nullptr ? reinterpret_cast<PPAGECONTEXT>(page->lParam) : nullptr;
    SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    return context;
}

PPAGECONTEXT PageContextOf(HWND hDlg) { return reinterpret_cast<PPAGECONTEXT>(GetWindowLongPtrW(hDlg, DWLP_USER)); }

void MakeCurrentContext(PPAGECONTEXT pContext)
{
    if (pContext == nullptr)
        return;
    gpCurrentContext = pContext;
    gpCurrentSettings = &pContext->Settings;
}

void AttachDocumentSheet(PPAGECONTEXT pContext)
{
    if (pContext == nullptr)
        return;
    pContext->pOEMUIParam = gpDocUIParam;
    pContext->pOEMHelp = gpDriverUIHelp;
}

void MarkSheetChanged(HWND hDlg) { SendMessageW(GetParent(hDlg), PSM_CHANGED, reinterpret_cast<WPARAM>(hDlg), 0); }

INT_PTR ApplyPageSettings(HWND hDlg, PPAGECONTEXT pContext, BYTE pendingBit)
{
    gPendingPages &= static_cast<BYTE>(~pendingBit);
    DWORD error = ReadWriteSettings(pContext, TRUE);
    if (error == ERROR_SUCCESS)
        return FALSE;
    WCHAR prefix[260] = {};
    LoadStringW(ghInstance, IDS_SETTINGS_NOT_SAVED, prefix, ARRAYSIZE(prefix));
    WCHAR message[300];
    _snwprintf_s(message, ARRAYSIZE(message), _TRUNCATE, TEXT("%s%u"), prefix, static_cast<unsigned>(error));
    MessageBoxW(hDlg, message, TEXT(""), MB_OK | MB_ICONERROR);
    gPendingPages |= pendingBit;
    MarkSheetChanged(hDlg);
    SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
    return TRUE;
}

void SetPicture(HWND hDlg, int pictureId, WORD bitmapId)
{
    HANDLE bitmap = LoadImageW(ghInstance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    // The control hands back the picture it showed; it is ours to delete.
    unique_gdiobj previous(reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageW(hDlg, pictureId, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap))));
}

void ReleasePictures(HWND hDlg, std::initializer_list<int> pictureIds)
{
    for (int id : pictureIds) {
        unique_gdiobj previous(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(hDlg, id, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    }
}
