// The operations on the distributed printing list's rows and cells, shared
// by its dialog and the ribbon query's worker (which sends them from its own
// thread: each is one synchronous message to the list view).
#pragma once

#include "platform/win32.h"

// The columns of the list and the images of its small-image list.
constexpr int COLUMN_CHECK = 0;
constexpr int COLUMN_PRINTER = 1;
constexpr int COLUMN_SET_WIDTH = 2;
constexpr int COLUMN_CURRENT_WIDTH = 3;
constexpr int COLUMN_RIBBON_TYPE = 4;
constexpr int COLUMN_PORT = 5;
constexpr int COLUMN_COMMENT = 6;
constexpr int IMAGE_WARNING = 0;
constexpr int IMAGE_BLANK = 1;
constexpr int IMAGE_NONE = -1;

// What a cell shows for a ribbon nobody reported: two U+2014.
constexpr WCHAR kNoRibbonText[] = TEXT("\x2014\x2014");

// A row with the text and the blank image in column 0; the new row's index.
int InsertRow(HWND hList, int row, PCWSTR pText);
void SetCellText(HWND hList, int row, int column, PCWSTR pText);
// The text and an image (IMAGE_NONE for none) of a cell.
void SetCellTextAndImage(HWND hList, int row, int column, PCWSTR pText, int image);
// The cell's text into `units` UTF-16 units, empty when it has none.
void GetCellText(HWND hList, int row, int column, WCHAR *pText, int units);
// The row's check box: its state image, CHECK_ON or CHECK_OFF.
constexpr UINT CHECK_OFF = 1;
constexpr UINT CHECK_ON = 2;
UINT RowCheckImage(HWND hList, int row);
bool IsRowChecked(HWND hList, int row);
void SetRowChecked(HWND hList, int row, bool checked);
int RowCount(HWND hList);
// The row with the focus, else the first selected one, else -1.
int FocusedRow(HWND hList);
