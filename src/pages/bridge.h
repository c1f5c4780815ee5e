// Keeps the driver's own option items for paper, orientation and print
// quality in step with the Page Setup pages, in both directions.
#pragma once

#include "platform/win32.h"
#include "src/sheet/sheetstate.h"

// The narrow keyword in a driver item's user data record, or null when the
// item has none.
PCSTR DriverItemKeyword(const OPTITEM &item);

// With a keyword, the first item carrying exactly that keyword; without one,
// the first whose DMPubID is pubId. Null when none matches.
POPTITEM FindDrvOptItem(POPTITEM pOptItems, DWORD cOptItems, PCSTR pKeyword, BYTE pubId);
// Sets the item's selection from a page value and tells the driver.
void ChangeOpItem(IPrintOemDriverUI *pOEMHelp, POEMUIOBJ poemuiobj, POPTITEM pOptItem, PCWSTR pValue);
// Page to driver: the item with this keyword takes the page's value.
void SetOEMCommonDataIntoOptItem(PPAGECONTEXT pContext, PCSTR pKeyword, PCWSTR pValue);
// Driver to page: the selections made on the driver's pages since the page
// was last active move into its controls.
void SyncDrvOptItemsToPage(HWND hDlg, PPAGECONTEXT pContext);

// The paper name being looked up in the page's paper list.
extern WCHAR gszDrvPaperName[NAME_UNITS];
