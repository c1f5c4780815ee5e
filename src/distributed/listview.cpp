#include "src/distributed/listview.h"

#include "src/base/debug.h"

int InsertRow(HWND hList, int row, PCWSTR pText)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(pText);
    item.iImage = IMAGE_BLANK;
    return static_cast<int>(SendMessageW(hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCellText(HWND hList, int row, int column, PCWSTR pText)
{
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(pText);
    SendMessageW(hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetCellTextAndImage(HWND hList, int row, int column, PCWSTR pText, int image)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(pText);
    item.iImage = image;
    SendMessageW(hList, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void GetCellText(HWND hList, int row, int column, WCHAR *pText, int units)
{
    pText[0] = 0;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = pText;
    item.cchTextMax = units;
    SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

UINT RowCheckImage(HWND hList, int row)
{
    return static_cast<UINT>(SendMessageW(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK)) >>
           12;
}

bool IsRowChecked(HWND hList, int row) { return RowCheckImage(hList, row) == CHECK_ON; }

void SetRowChecked(HWND hList, int row, bool checked)
{
    WARNING(TEXT("UI:  set check %d"), checked ? 1 : 0);
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? CHECK_ON : CHECK_OFF);
    SendMessageW(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND hList) { return static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0)); }

int FocusedRow(HWND hList)
{
    auto row = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0)
        row = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return row;
}
