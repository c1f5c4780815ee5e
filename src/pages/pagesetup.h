// What both Page Setup pages share: the paper list, the option picture and
// the paper stock dialog's run.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"
#include "src/sheet/sheetstate.h"

// The option picture of a record: special tape (with or without mirror), or
// one of sixteen for mirror, half cut, chain and auto cut.
WORD OptionBitmapId(const REGSTRUCT &settings);
// The option picture of the current settings, newly loaded; the caller
// deletes it. Null without current settings.
HBITMAP GetOptionBitmap();

// The selected entry's text, empty without a selection; its index or CB_ERR.
LRESULT SelectedPaper(HWND hDlg, WCHAR (&text)[NAME_UNITS]);
// Adds the printer's paper names to the page's sorted paper list.
void FillPaperList(HWND hDlg, PCWSTR pPrinterName, PCWSTR pPortName);
// Selects every entry that equals the name exactly; with trace, each match
// goes to the debugger output.
void SelectPaperByName(HWND hDlg, PCWSTR pName, bool trace);
// Edit and Delete are for the user's own forms only. At initialisation only
// a form that is not a user form changes the buttons; later a user form
// enables them.
void UpdateFormButtons(HWND hDlg, PPAGECONTEXT pContext, PCWSTR pFormName, bool initial);
// New or Edit: the paper stock dialog for the selected form; after a save
// the list is filled again and the saved form selected.
void RunPaperStock(HWND hDlg, PPAGECONTEXT pContext, DWORD mode, bool extendedPage);
