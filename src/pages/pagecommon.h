// What every property page does with its page context.
#pragma once

#include "platform/win32.h"
#include "src/sheet/sheetstate.h"

#include <initializer_list>

// The page context of a page's WM_INITDIALOG (the PROPSHEETPAGE's lParam),
// kept in the page window's user slot.
PPAGECONTEXT TakePageContext(HWND hDlg, LPARAM initParam);
// The context kept in the page window, null before WM_INITDIALOG.
PPAGECONTEXT PageContextOf(HWND hDlg);
// The context becomes the current page context, its Settings the current
// settings.
void MakeCurrentContext(PPAGECONTEXT pContext);
// A document page takes the sheet's UI parameters and the driver's helper.
void AttachDocumentSheet(PPAGECONTEXT pContext);
// Tells the sheet that the page has unapplied changes.
void MarkSheetChanged(HWND hDlg);
// PSN_APPLY of a document page: its pending bit goes and the settings
// record is stored once no page is pending. A record the printer did not
// take is said in a message box with the error, and the page stays changed
// (its bit, PSM_CHANGED, the apply refused) so that Apply can be tried
// again. Returns what the page's procedure returns for the notification.
INT_PTR ApplyPageSettings(HWND hDlg, PPAGECONTEXT pContext, BYTE pendingBit);
// Puts a resource bitmap into a picture control and deletes the one it
// showed before.
void SetPicture(HWND hDlg, int pictureId, WORD bitmapId);
// A picture control never deletes the bitmaps it is given: when the page
// goes, it takes each picture's bitmap back and deletes it.
void ReleasePictures(HWND hDlg, std::initializer_list<int> pictureIds);
