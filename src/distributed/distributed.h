// Distributed printing: the list of extended-model printers that share a
// job, kept as the printer data value "DISTRIBUTEDLIST" of the sheet's
// printer; the ribbon width each is set up for; the ribbon each really has,
// asked over the bidirectional channel.
#pragma once

#include "platform/win32.h"

#include <cstddef>

constexpr DWORD DIST_NAME_UNITS = 260;
constexpr DWORD RIBBON_TEXT_UNITS = 16;

// One printer of the stored list.
struct DISTRIBUTEDENTRY {
    DWORD Checked;                       // 1: the printer takes part
    WCHAR PrinterName[DIST_NAME_UNITS];  // terminated within its 260 units
    WCHAR Comment[DIST_NAME_UNITS];
};
static_assert(sizeof(DISTRIBUTEDENTRY) == 1044, "a list entry is 1044 bytes");
static_assert(offsetof(DISTRIBUTEDENTRY, PrinterName) == 4, "DISTRIBUTEDENTRY layout");
static_assert(offsetof(DISTRIBUTEDENTRY, Comment) == 524, "DISTRIBUTEDENTRY layout");

// The stored value: this header, then Count entries back to back.
struct DISTRIBUTEDHEADER {
    DWORD Tag;      // written as 1, not checked on reading
    LONG Count;     // entries that follow
    DWORD Entries;  // written as 0; readers take the entries from offset 12
};
static_assert(sizeof(DISTRIBUTEDHEADER) == 12, "the list header is 12 bytes");
static_assert(offsetof(DISTRIBUTEDHEADER, Count) == 4, "DISTRIBUTEDHEADER layout");
static_assert(offsetof(DISTRIBUTEDHEADER, Entries) == 8, "DISTRIBUTEDHEADER layout");

constexpr WCHAR kDistributedListValueName[] = TEXT("DISTRIBUTEDLIST");

// What the distributed printing dialog hands the ribbon width dialog for
// one row, and takes back.
struct RIBBONPARAM {
    WCHAR PrinterName[DIST_NAME_UNITS];     // in
    WCHAR SetWidth[RIBBON_TEXT_UNITS];      // out: "%d mm"
    WCHAR CurrentWidth[RIBBON_TEXT_UNITS];  // in
    WCHAR RibbonType[RIBBON_TEXT_UNITS];    // in
    WCHAR Comment[DIST_NAME_UNITS];         // in and out
};

// What the distributed printing dialog hands the ribbon query's progress
// dialog; the dialog names itself in it. The worker gets a copy of its own
// that outlives the dialog if need be (ribbonquery.cpp).
struct RIBBONQUERY {
    HWND Owner;     // the distributed printing dialog
    int ListId;     // its list view
    HWND Progress;  // the progress dialog, set when it starts
};

// Template 217, run with a PRINTER_INFO_2 of the sheet's printer.
INT_PTR CALLBACK DistributedPrintingProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
// Template 238, run with a RIBBONPARAM.
INT_PTR CALLBACK RibbonWidthProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
// Template 240, run with a RIBBONQUERY; ends when its worker is done. Ended
// from outside before that, it has the worker stop before its next printer.
INT_PTR CALLBACK GetRibbonDataProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam);
// The worker the progress dialog starts, with the state the two share.
DWORD WINAPI GetRibbonDataThread(LPVOID lpParameter);
// One bidi exchange with the schema "\Printer.WR": the reply's length, 0
// without one; a nonempty reply is copied to *ppReply (process heap; the
// caller frees it with HeapFree).
DWORD BidiCmdtoPrinter(PCWSTR pPrinterName, const BYTE *pRequest, DWORD cbRequest, BYTE **ppReply);
