#include "src/settings/printer.h"

#include "src/base/debug.h"
#include "src/base/text.h"
#include "src/base/unique.h"
#include "src/sheet/sheetstate.h"

namespace {

bool FetchCapability(PCWSTR pDevice, PCWSTR pPort, WORD capability, size_t unitBytes, unique_heap_block &out,
                     int &count)
{
    count = DeviceCapabilitiesW(pDevice, pPort, capability, nullptr, nullptr);
    if (count <= 0)
        return false;
    out.reset(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, static_cast<size_t>(count) * unitBytes));
    if (!out)
        return false;
    int fetched = DeviceCapabilitiesW(pDevice, pPort, capability, static_cast<LPWSTR>(out.get()), nullptr);
    // A list that grew between the two calls would not fit the buffer.
    if (fetched < 0 || fetched > count)
        return false;
    count = fetched;
    return true;
}

bool FetchPaperNumbers(PCWSTR pDevice, PCWSTR pPort, PaperList &list)
{
    return FetchCapability(pDevice, pPort, DC_PAPERS, sizeof(SHORT), list.numbers, list.numberCount);
}

}  // namespace

bool FetchPaperNames(PCWSTR pDevice, PCWSTR pPort, PaperList &list)
{
    return FetchCapability(pDevice, pPort, DC_PAPERNAMES, PAPER_NAME_UNITS * sizeof(WCHAR), list.names, list.nameCount);
}

void PaperList::CopyName(int i, WCHAR (&dest)[PAPER_NAME_UNITS + 1]) const
{
    CopyMemory(dest, Name(i), PAPER_NAME_UNITS * sizeof(WCHAR));
    dest[PAPER_NAME_UNITS] = 0;
}

SpoolerBlock FetchForm1(HANDLE hPrinter, PCWSTR pFormName)
{
    return FetchSpoolerBlock([hPrinter, pFormName](LPBYTE buffer, DWORD size, DWORD *needed) {
        return GetFormW(hPrinter, const_cast<LPWSTR>(pFormName), 1, buffer, size, needed);
    });
}

HANDLE OpenPrinterAllAccess(PCWSTR pPrinterName)
{
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(pPrinterName), &hPrinter, &defaults)) {
        WARNING(TEXT("UI:  OpenPrinter error code is %d"), GetLastError());
        return nullptr;
    }
    return hPrinter;
}

SpoolerBlock FetchPrinterInfo2(HANDLE hPrinter)
{
    return FetchSpoolerBlock([hPrinter](LPBYTE buffer, DWORD size, DWORD *needed) {
        return GetPrinterW(hPrinter, 2, buffer, size, needed);
    });
}

SpoolerBlock FetchDriverInfo8(HANDLE hPrinter)
{
    return FetchSpoolerBlock([hPrinter](LPBYTE buffer, DWORD size, DWORD *needed) {
        return GetPrinterDriverW(hPrinter, nullptr, 8, buffer, size, needed);
    });
}

PRINTER_INFO_2W *GetPrinterInfo2(PCWSTR pPrinterName)
{
    unique_printer printer(OpenPrinterAllAccess(pPrinterName));
    if (!printer)
        return nullptr;
    SpoolerBlock info = FetchPrinterInfo2(printer.get());
    if (!info.fetched)
        return nullptr;
    return static_cast<PRINTER_INFO_2W *>(info.block.Take());
}

BOOL SetPrinterInfo2(PRINTER_INFO_2W *pInfo)
{
    // A printer that cannot be opened for writing, or that refuses the
    // block, has not taken it: the caller is told, with the spooler's error.
    unique_printer printer(OpenPrinterAllAccess(pInfo->pPrinterName));
    if (!printer)
        return FALSE;
    if (SetPrinterW(printer.get(), 2, reinterpret_cast<LPBYTE>(pInfo), 0))
        return TRUE;
    DWORD error = GetLastError();
    WARNING(TEXT("UI:  SetPrinter fail and error code is %d"), error);
    SetLastError(error);
    return FALSE;
}

SHORT GetPaperIdByName(PCWSTR pDevice, PCWSTR pPort, PCWSTR pPaperName)
{
    PaperList list;
    if (!FetchPaperNames(pDevice, pPort, list))
        return -1;

    int found = -1;
    for (int i = 0; i < list.nameCount && found < 0; ++i) {
        if (SameText(list.Name(i), pPaperName, PAPER_NAME_UNITS))
            found = i;
    }
    if (found < 0)
        return -1;

    if (!FetchPaperNumbers(pDevice, pPort, list) || found >= list.numberCount)
        return -1;
    return list.Number(found);
}

void GetPaperNameById(PCWSTR pDevice, PCWSTR pPort, SHORT paperId, WCHAR *pDest)
{
    pDest[0] = 0;
    PaperList list;
    if (!FetchPaperNames(pDevice, pPort, list) || !FetchPaperNumbers(pDevice, pPort, list))
        return;
    for (int i = 0; i < list.numberCount; ++i) {
        if (list.Number(i) != paperId)
            continue;
        // A number without a name at its index names nothing.
        if (i < list.nameCount)
            wcsncpy(pDest, list.Name(i), PAPER_NAME_UNITS);
        return;
    }
}

BOOL ChangeDefaultPaper(PCWSTR pPrinterName, PCWSTR pPaperName)
{
    OutputDebugStringW(pPrinterName);
    OutputDebugStringW(pPaperName);

    unique_global block(GetPrinterInfo2(pPrinterName));
    if (!block) {
        WARNING(TEXT("UI:  ppi2 is null"));
        return FALSE;
    }
    auto *info = static_cast<PRINTER_INFO_2W *>(block.get());
    SHORT paper = GetPaperIdByName(info->pPrinterName, info->pPortName, pPaperName);
    WARNING(TEXT("UI:  nPaperSize is %d"), paper);
    if (paper == -1 || info->pDevMode == nullptr)
        return FALSE;

    // The paper alone decides the page: the old field mask goes. The form
    // name goes beside the number, unless it would be cut: a cut name would
    // name another form or none.
    DEVMODEW *devmode = info->pDevMode;
    devmode->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    ZeroMemory(devmode->dmFormName, sizeof(devmode->dmFormName));
    if (wcsnlen(pPaperName, CCHFORMNAME) < CCHFORMNAME) {
        lstrcpynW(devmode->dmFormName, pPaperName, CCHFORMNAME);
        devmode->dmFields |= DM_FORMNAME;
    }
    devmode->dmPaperSize = paper;
    devmode->dmPaperWidth = 0;
    devmode->dmPaperLength = 0;
    devmode->dmOrientation = DMORIENT_PORTRAIT;
    return SetPrinterInfo2(info);
}

DWORD CountPrintersUsingPaper(PCWSTR pPaperName, PCWSTR pExcept, WCHAR (&first)[NAME_UNITS])
{
    first[0] = 0;
    DWORD returned = 0;
    SpoolerBlock printers = FetchSpoolerBlock([&returned](LPBYTE buffer, DWORD size, DWORD *needed) {
        return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, &returned);
    });
    const PRINTER_INFO_2W *list = printers.As<PRINTER_INFO_2W>();
    DWORD count = 0;
    for (DWORD i = 0; list != nullptr && i < returned; ++i) {
        const PRINTER_INFO_2W &printer = list[i];
        const DEVMODEW *devmode = printer.pDevMode;
        if (printer.pPrinterName == nullptr || devmode == nullptr || SameText(printer.pPrinterName, pExcept))
            continue;
        bool uses;
        if ((devmode->dmFields & DM_FORMNAME) != 0) {
            uses = SameText(devmode->dmFormName, pPaperName, CCHFORMNAME);
        } else {
            WCHAR name[PAPER_NAME_UNITS + 1] = {};
            GetPaperNameById(printer.pPrinterName, printer.pPortName, devmode->dmPaperSize, name);
            uses = name[0] != 0 && SameText(name, pPaperName, PAPER_NAME_UNITS);
        }
        if (!uses)
            continue;
        if (count++ == 0)
            lstrcpynW(first, printer.pPrinterName, NAME_UNITS);
    }
    return count;
}

BOOL DeletePaperForm(PCWSTR pFormName)
{
    unique_printer printer(OpenPrinterAllAccess(gszCurrentPrinter));
    if (!printer)
        return FALSE;
    return DeleteFormW(printer.get(), const_cast<LPWSTR>(pFormName)) ? TRUE : FALSE;
}

BOOL IsCondorModel() { return SameText(gszDriverName, kCondorModel); }

BOOL IsFalconModel() { return SameText(gszDriverName, kFalconModel); }
