// The paper stock dialog: creates or changes a printer form of a tape width
// the model takes, for the Page Setup pages' New and Edit buttons.
#pragma once

#include "platform/win32.h"

#include <cstddef>

constexpr UINT STOCK_EDIT = 0;
constexpr UINT STOCK_NEW = 1;
constexpr UINT STOCK_NAME_UNITS = 256;

// The dialog's parameter block, in global memory from the caller, kept in
// the dialog's user slot for one modal run.
struct STOCKPARAM {
    DWORD Mode;                        // STOCK_NEW or STOCK_EDIT
    WCHAR FormName[STOCK_NAME_UNITS];  // in: the page's selected form; out: the name saved
    DWORD Unit;                        // 0 millimetres, 1 inches
    LONG WidthCount;                   // entries of the model's width table offered
    double MinLength;                  // in Unit
    double MaxLength;
    double MinWidth;
    double MaxWidth;                    // also each margin's upper bound
    WCHAR ModelName[STOCK_NAME_UNITS];  // the printer's driver name
};
static_assert(sizeof(STOCKPARAM) == 1072, "STOCKPARAM is 1072 bytes");
static_assert(offsetof(STOCKPARAM, FormName) == 4, "STOCKPARAM layout");
static_assert(offsetof(STOCKPARAM, Unit) == 516, "STOCKPARAM layout");
static_assert(offsetof(STOCKPARAM, WidthCount) == 520, "STOCKPARAM layout");
static_assert(offsetof(STOCKPARAM, MinLength) == 528, "STOCKPARAM layout");
static_assert(offsetof(STOCKPARAM, MaxWidth) == 552, "STOCKPARAM layout");
static_assert(offsetof(STOCKPARAM, ModelName) == 560, "STOCKPARAM layout");

// The model's limits, by exact driver name, in the block's Unit: the
// standard Page Setup page's rows, or the extended page's one row.
void FillStockLimits(STOCKPARAM *pParam, PCWSTR pModelName, bool extendedPage);

// Dialog template 109, run with DialogBoxParamW and a STOCKPARAM. Ends
// with 1 after OK (or when the current page context has no printer), 0
// after Cancel.
INT_PTR CALLBACK PaperStockProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);

// Back to the values of a freshly loaded module (tests only).
void ResetPaperStockState();
