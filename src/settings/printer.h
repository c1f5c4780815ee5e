// Printer access shared by the whole plug-in, and the model tests.
#pragma once

#include "platform/win32.h"
#include "src/base/unique.h"
#include "src/sheet/sheetstate.h"

constexpr DWORD PAPER_NAME_UNITS = 64;
constexpr WCHAR kCondorModel[] = TEXT("Condor Printer");
constexpr WCHAR kFalconModel[] = TEXT("FalconBT");

// Opens the named printer with PRINTER_ALL_ACCESS; null on failure. The
// caller closes the handle.
HANDLE OpenPrinterAllAccess(PCWSTR pPrinterName);
// A variable-size spooler structure in a zero-filled GPTR block.
struct SpoolerBlock {
    unique_global block;   // null when the size query gave 0 or no block could be had
    bool fetched = false;  // the data are in the block

    template <typename T>
    T *As() const
    {
        return fetched ? static_cast<T *>(block.get()) : nullptr;
    }
};

// The spooler's two-call protocol: fetch(nullptr, 0, &needed) for the size,
// then fetch(buffer, needed, &needed) into a block of that size.
template <typename Fetch>
SpoolerBlock FetchSpoolerBlock(Fetch fetch)
{
    SpoolerBlock result;
    DWORD needed = 0;
    fetch(nullptr, 0, &needed);
    if (needed == 0)
        return result;
    result.block.reset(GlobalAlloc(GPTR, needed));
    if (result.block)
        result.fetched = fetch(static_cast<LPBYTE>(result.block.get()), needed, &needed) != FALSE;
    return result;
}

// The PRINTER_INFO_2 of a printer handle the caller holds.
SpoolerBlock FetchPrinterInfo2(HANDLE hPrinter);
// The DRIVER_INFO_8 of the printer's driver.
SpoolerBlock FetchDriverInfo8(HANDLE hPrinter);
// The named printer's PRINTER_INFO_2 in one zero-filled GPTR block, or null.
// The caller frees it with GlobalFree.
PRINTER_INFO_2W *GetPrinterInfo2(PCWSTR pPrinterName);
// Writes the block back to the printer its pPrinterName names. FALSE, with
// the spooler's last error, when the printer did not take it.
BOOL SetPrinterInfo2(PRINTER_INFO_2W *pInfo);

// The driver's paper list as DeviceCapabilitiesW reports it: names in
// 64-unit slots (a 64-unit name has no terminator) and 16-bit numbers,
// paired by index.
struct PaperList {
    unique_heap_block names;
    unique_heap_block numbers;
    int nameCount = 0;
    int numberCount = 0;

    const WCHAR *Name(int i) const { return static_cast<const WCHAR *>(names.get()) + i * PAPER_NAME_UNITS; }
    SHORT Number(int i) const { return static_cast<const SHORT *>(numbers.get())[i]; }
    // A name as terminated text.
    void CopyName(int i, WCHAR (&dest)[PAPER_NAME_UNITS + 1]) const;
};
// The names only; false when there are none or they cannot be read.
bool FetchPaperNames(PCWSTR pDevice, PCWSTR pPort, PaperList &list);
// A form of the server's form store, level 1.
SpoolerBlock FetchForm1(HANDLE hPrinter, PCWSTR pFormName);

// The driver's paper number of a paper name (exact, case-sensitive), -1
// when the driver has no such paper.
SHORT GetPaperIdByName(PCWSTR pDevice, PCWSTR pPort, PCWSTR pPaperName);
// The paper name of a paper number into a destination of 64 units, empty
// when there is none. A 64-unit name fills the slot unterminated, as the
// driver's own list has it: read it with wcsnlen(..., 64).
void GetPaperNameById(PCWSTR pDevice, PCWSTR pPort, SHORT paperId, WCHAR *pDest);
// Makes the paper the printer's default paper (portrait, no explicit size):
// its number and, when it fits whole, its form name, so that the paper
// sticks whichever of the two a driver reads.
BOOL ChangeDefaultPaper(PCWSTR pPrinterName, PCWSTR pPaperName);
// The printers of this machine, other than pExcept, whose default paper is
// the named paper: by the form name when their DEVMODE carries one, by the
// paper number otherwise. Returns how many; the first one's name goes to
// first (empty when there is none).
DWORD CountPrintersUsingPaper(PCWSTR pPaperName, PCWSTR pExcept, WCHAR (&first)[NAME_UNITS]);
// Deletes a form through the current printer.
BOOL DeletePaperForm(PCWSTR pFormName);

// The models, by the driver name of the document sheet initialised last.
BOOL IsCondorModel();
BOOL IsFalconModel();
