#include "src/pages/bridge.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/pages/pagecommon.h"
#include "src/pages/pagesetup.h"
#include "src/records/records.h"

#include <cstring>

WCHAR gszDrvPaperName[NAME_UNITS] = {};

namespace {

constexpr LONG kNothingPending = -1;

bool IsKeyword(const OPTITEM &item, PCSTR keyword)
{
    PCSTR own = DriverItemKeyword(item);
    return own != nullptr && std::strcmp(own, keyword) == 0;
}

// The option's text at an index the driver chose, or null when the item
// has no such option.
PCWSTR OptionText(const OPTITEM &item, LONG index)
{
    if (item.pOptType == nullptr || item.pOptType->pOptParam == nullptr || index < 0 ||
        index >= static_cast<LONG>(item.pOptType->Count))
        return nullptr;
    return item.pOptType->pOptParam[index].pData;
}

// The paper picked on the driver's page is shown; one that changes what the
// list showed is then the current paper, so that Apply stores the paper the
// list shows (and nothing when the list already showed it).
void SelectPaper(HWND hDlg, PPAGECONTEXT pContext, const OPTITEM &item, LONG index)
{
    PCWSTR name = OptionText(item, index);
    if (name == nullptr)
        return;
    lstrcpynW(gszDrvPaperName, name, NAME_UNITS);
    LRESULT found =
        SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(gszDrvPaperName));
    LRESULT shownBefore = SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0);
    if (found == CB_ERR || found == shownBefore)
        return;
    SendDlgItemMessageW(hDlg, IDC_PAPER_LIST, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    WCHAR shown[NAME_UNITS];
    if (SelectedPaper(hDlg, shown) == CB_ERR)
        return;
    lstrcpynW(gszCurrentPaper, shown, NAME_UNITS);
    UpdateFormButtons(hDlg, pContext, gszCurrentPaper, false);
}

void SyncOrientation(HWND hDlg, OEMDEV *pOEMDev, REGSTRUCT *pSettings)
{
    LONG wanted = pOEMDev->standardOrientationChoose;
    if (wanted == kNothingPending)
        return;
    LONG landscape = IsDlgButtonChecked(hDlg, IDC_LANDSCAPE) == BST_CHECKED ? 1 : 0;
    if (wanted == landscape) {
        pOEMDev->standardOrientationChoose = kNothingPending;
        return;
    }
    // A third orientation of some other driver leaves the page as it is.
    if (wanted == 0) {
        pSettings->Rotate = 0;
        CheckRadioButton(hDlg, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PORTRAIT);
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_PORTRAIT);
    } else if (wanted == 1) {
        pSettings->Rotate = 2;
        CheckRadioButton(hDlg, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_LANDSCAPE);
        SetPicture(hDlg, IDC_DIRECTION_PICTURE, IDB_LANDSCAPE);
    }
    pOEMDev->standardOrientationChoose = kNothingPending;
}

}  // namespace

PCSTR DriverItemKeyword(const OPTITEM &item)
{
    auto *userData = reinterpret_cast<const USERDATA *>(item.UserData);
    return userData != nullptr ? userData->pKeyWordName : nullptr;
}

POPTITEM FindDrvOptItem(POPTITEM pOptItems, DWORD cOptItems, PCSTR pKeyword, BYTE pubId)
{
    VERBOSE(TEXT("UI:  FindDrvOptItem Looking (%S) (%d) \r\n"), pKeyword != nullptr ? pKeyword : "(null)", pubId);
    for (DWORD i = 0; pOptItems != nullptr && i < cOptItems; ++i) {
        bool match = pKeyword != nullptr ? IsKeyword(pOptItems[i], pKeyword) : pOptItems[i].DMPubID == pubId;
        if (match)
            return &pOptItems[i];
    }
    ERR(TEXT("ERROR UI:  FindDrvOptItem OPTITEM NOT Found \r\n"));
    return nullptr;
}

void ChangeOpItem(IPrintOemDriverUI *pOEMHelp, POEMUIOBJ poemuiobj, POPTITEM pOptItem, PCWSTR pValue)
{
    if (IsKeyword(*pOptItem, "PaperSize")) {
        POPTTYPE type = pOptItem->pOptType;
        for (WORD i = 0; type != nullptr && type->pOptParam != nullptr && i < type->Count; ++i) {
            PCWSTR text = type->pOptParam[i].pData;
            if (SameText(text, pValue)) {
                pOptItem->Sel = i;
                break;
            }
        }
    } else if (IsKeyword(*pOptItem, "Orientation")) {
        pOptItem->Sel = _wtoi(pValue);
    } else if (IsKeyword(*pOptItem, "Resolution")) {
        WORD count = pOptItem->pOptType != nullptr ? pOptItem->pOptType->Count : 0;
        LogAtA(DBG_WARNING, "pOptType->Count %d", count);
        LogAtA(DBG_WARNING, "pOptItem->Sel %d", pOptItem->Sel);
        if (count != 0) {
            pOptItem->Sel = _wtoi(pValue);
            LogAtA(DBG_WARNING, "pOptItem->Sel %d", pOptItem->Sel);
        }
    }
    pOptItem->Flags |= OPTIF_CHANGED;
    HRESULT hr =
        pOEMHelp != nullptr ? pOEMHelp->DrvUpdateUISetting(poemuiobj, pOptItem, 0, OEMCUIP_DOCPROP) : E_POINTER;
    if (hr != S_OK)
        ERR(TEXT("ERROR UI:  ChangeOpItem DrvUpdateUISetting FAILED \r\n"));
}

void SetOEMCommonDataIntoOptItem(PPAGECONTEXT pContext, PCSTR pKeyword, PCWSTR pValue)
{
    VERBOSE(TEXT("UI:  SetOEMCommonDataIntoOptItem (%S) \r\n"), pKeyword);
    POEMCUIPPARAM pOEMUIParam = pContext != nullptr ? pContext->pOEMUIParam : nullptr;
    POPTITEM item = pOEMUIParam != nullptr
                        ? FindDrvOptItem(pOEMUIParam->pDrvOptItems, pOEMUIParam->cDrvOptItems, pKeyword, 0)
                        : nullptr;
    if (item == nullptr) {
        ERR(TEXT("ERROR UI:  SetOEMCommonDataIntoOptItem Item Not Found OPTITEM(%S) \r\n"), pKeyword);
        return;
    }
    ChangeOpItem(pContext->pOEMHelp, pOEMUIParam->poemuiobj, item, pValue);
}

void SyncDrvOptItemsToPage(HWND hDlg, PPAGECONTEXT pContext)
{
    POEMCUIPPARAM pOEMUIParam = pContext != nullptr ? pContext->pOEMUIParam : nullptr;
    if (pOEMUIParam == nullptr || pOEMUIParam->pOEMDM == nullptr)
        return;
    // The job's record, at whatever address the driver's DEVMODE holds it.
    RecordAt<OEMDEV> record(pOEMUIParam->pOEMDM);
    OEMDEV *pOEMDev = record.get();
    REGSTRUCT *pSettings = gpCurrentSettings != nullptr ? gpCurrentSettings : &pContext->Settings;

    for (DWORD i = 0; pOEMUIParam->pDrvOptItems != nullptr && i < pOEMUIParam->cDrvOptItems; ++i) {
        const OPTITEM &item = pOEMUIParam->pDrvOptItems[i];
        if (DriverItemKeyword(item) == nullptr)
            continue;
        if (IsKeyword(item, "PaperSize") && pOEMDev->standardPaperSizeChoose != kNothingPending) {
            SelectPaper(hDlg, pContext, item, pOEMDev->standardPaperSizeChoose);
            pOEMDev->standardPaperSizeChoose = kNothingPending;
        } else if (IsKeyword(item, "Resolution") && pOEMDev->standardResolutionChoose != kNothingPending) {
            pSettings->iQuality = pOEMDev->standardResolutionChoose;
            SendDlgItemMessageW(hDlg, IDC_QUALITY_LIST, CB_SETCURSEL,
                                static_cast<WPARAM>(pOEMDev->standardResolutionChoose), 0);
            pOEMDev->standardResolutionChoose = kNothingPending;
        }
    }
    SyncOrientation(hDlg, pOEMDev, pSettings);
}
