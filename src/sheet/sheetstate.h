// The page context one property sheet's pages share, and the module-wide
// state through which pages, option-item callbacks and dialogs find the
// sheet the user touched last. All of it lives on the property sheet's
// thread; there is no lock.
#pragma once

#include "platform/win32.h"
#include "src/records/records.h"

constexpr DWORD NAME_UNITS = 260;

struct PAGECONTEXT {
    HANDLE hPrinter;  // the driver's handle of the sheet's printer
    HANDLE hHeap;     // the OEM heap the block came from
    DWORD nReads;     // 0 until Settings has been read from the printer
    BOOL bReadFailed; // a read of Settings failed while nReads was 0
    REGSTRUCT Settings;
    POEMCUIPPARAM pOEMUIParam;
    IPrintOemDriverUI *pOEMHelp;
};
typedef PAGECONTEXT *PPAGECONTEXT;

// Bits of the pending-pages byte: a page with unapplied changes.
constexpr BYTE PENDING_PAGESETUP = 0x01;
constexpr BYTE PENDING_GRAPHICS = 0x02;
constexpr BYTE PENDING_OTHER = 0x04;

extern PPAGECONTEXT gpCurrentContext;
extern PREGSTRUCT gpCurrentSettings;
extern POEMCUIPPARAM gpDocUIParam;
extern IPrintOemDriverUI *gpDriverUIHelp;
// The driver name of the document sheet initialised last; empty before.
extern WCHAR gszDriverName[NAME_UNITS];
// The printer of the sheet whose page was initialised last.
extern WCHAR gszCurrentPrinter[NAME_UNITS];
// Its port, beside it.
extern WCHAR gszCurrentPort[NAME_UNITS];
// The paper the user picked last on a Page Setup page, or the form the
// paper stock dialog added last; the Page Setup page makes it the printer's
// default paper on Apply.
extern WCHAR gszCurrentPaper[NAME_UNITS];
extern BYTE gPendingPages;

// A new sheet starts with nothing of an earlier one: no current context or
// settings, no pending pages. Until one of its own pages is initialised,
// an Apply of the new sheet has nothing to apply.
void BeginSheet();
// A sheet that goes (its context freed, or its OEM heap released by the
// driver) leaves no module pointer into its context, and its pending bits
// go with it. A sheet other than the current one changes nothing.
void EndSheet(PPAGECONTEXT pContext);

// Back to the state of a freshly loaded module (tests only).
void ResetPageState();
