// The distributed printing dialog: every local printer of the extended model
// in a list view with check boxes, the width each is set up for, and the
// stored list "DISTRIBUTEDLIST" of the sheet's printer that says which of them
// take part.
#include "src/distributed/distlist.h"
#include "src/distributed/listview.h"

#include "resources/resource.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "src/base/text.h"
#include "src/settings/printer.h"

namespace {

constexpr int COLUMN_COUNT = 7;
// Column widths in pixels at 96 DPI; the list scales them to its own DPI.
constexpr int kColumnWidths[COLUMN_COUNT] = {20, 160, 100, 100, 100, 100, 100};

constexpr DWORD CAPTION_UNITS = DIST_NAME_UNITS + 128;

HWND List(HWND hDlg) { return GetDlgItem(hDlg, IDC_DISTRIBUTED_LIST); }

PCWSTR SheetPrinter(HWND hDlg)
{
    auto *info = reinterpret_cast<const PRINTER_INFO_2W *>(GetWindowLongPtrW(hDlg, DWLP_USER));
    return info != nullptr ? info->pPrinterName : nullptr;
}

void EnableApply(HWND hDlg, bool enable)
{
    EnableWindow(GetDlgItem(hDlg, IDC_DISTRIBUTED_APPLY), enable ? TRUE : FALSE);
}

// The list view destroys the image list with itself (the template does not
// share image lists); the bitmaps are copied into it and go at once.
void AttachImages(HWND list)
{
    if (list == nullptr)
        return;
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
    if (images == nullptr)
        return;
    for (int id : {IDB_WARNING, IDB_BLANK}) {
        unique_gdiobj bitmap(LoadImageW(ghInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (bitmap)
            ImageList_Add(images, static_cast<HBITMAP>(bitmap.get()), nullptr);
    }
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

void SetUpList(HWND hDlg)
{
    HWND list = List(hDlg);
    DWORD styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_CHECKBOXES;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    AttachImages(list);
    HDC dc = GetDC(list);
    int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr)
        ReleaseDC(list, dc);
    if (dpi <= 0)
        dpi = 96;
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        WCHAR header[DIST_NAME_UNITS] = {};
        if (column != COLUMN_CHECK)
            LoadStringW(ghInstance, IDS_COLUMN_PRINTER_NAME + column - COLUMN_PRINTER, header, DIST_NAME_UNITS);
        LVCOLUMNW col = {};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = MulDiv(kColumnWidths[column], dpi, 96);
        col.pszText = header;
        col.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
    }
}

// The Set Width of a printer: the width of its default paper. A paper the
// driver does not name, or a printer without a default DEVMODE, counts as
// the fallback paper.
void ShowSetWidth(HWND hDlg, int row, HANDLE hPrinter, const PRINTER_INFO_2W &info)
{
    WCHAR paper[PAPER_NAME_UNITS + 1] = {};
    if (info.pDevMode != nullptr)
        GetPaperNameById(info.pPrinterName, info.pPortName, info.pDevMode->dmPaperSize, paper);
    PCWSTR name = paper[0] != 0 ? paper : kFallbackRibbonPaper;
    WCHAR width[RIBBON_TEXT_UNITS] = {};
    if (FormWidthText(hPrinter, name, width, RIBBON_TEXT_UNITS))
        SetCellText(List(hDlg), row, COLUMN_SET_WIDTH, width);
}

void AddPrinterRow(HWND hDlg, PCWSTR pPrinterName, const StoredList &saved)
{
    unique_printer printer(OpenPrinterAllAccess(pPrinterName));
    if (!printer)
        return;
    SpoolerBlock block = FetchPrinterInfo2(printer.get());
    const PRINTER_INFO_2W *info = block.As<PRINTER_INFO_2W>();
    if (info == nullptr || !SameText(info->pDriverName, kFalconModel))
        return;

    int row = InsertRow(List(hDlg), RowCount(List(hDlg)), TEXT(""));
    if (row < 0)
        return;
    SetCellText(List(hDlg), row, COLUMN_PRINTER, info->pPrinterName);
    ShowSetWidth(hDlg, row, printer.get(), *info);
    SetCellTextAndImage(List(hDlg), row, COLUMN_CURRENT_WIDTH, kNoRibbonText, IMAGE_WARNING);
    SetCellText(List(hDlg), row, COLUMN_RIBBON_TYPE, kNoRibbonText);
    SetCellText(List(hDlg), row, COLUMN_PORT, info->pPortName != nullptr ? info->pPortName : TEXT(""));

    const DISTRIBUTEDENTRY *entry = saved.Find(info->pPrinterName);
    if (entry == nullptr)
        return;
    // The stored comment may fill its field without a terminator.
    WCHAR comment[DIST_NAME_UNITS + 1] = {};
    CopyMemory(comment, entry->Comment, sizeof(entry->Comment));
    SetCellText(List(hDlg), row, COLUMN_COMMENT, comment);
    if (entry->Checked != 0)
        SetRowChecked(List(hDlg), row, true);
}

void FillList(HWND hDlg, const StoredList &saved)
{
    DWORD returned = 0;
    SpoolerBlock printers = FetchSpoolerBlock([&returned](LPBYTE buffer, DWORD size, DWORD *needed) {
        return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer, size, needed, &returned);
    });
    const PRINTER_INFO_4W *list = printers.As<PRINTER_INFO_4W>();
    if (list == nullptr)
        return;
    for (DWORD i = 0; i < returned; ++i) {
        if (list[i].pPrinterName != nullptr)
            AddPrinterRow(hDlg, list[i].pPrinterName, saved);
    }
}

void InitDistributedPrinting(HWND hDlg, LPARAM lParam)
{
    SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
    PCWSTR sheetPrinter = SheetPrinter(hDlg);
    WCHAR suffix[DIST_NAME_UNITS] = {};
    LoadStringW(ghInstance, IDS_DISTRIBUTED_CAPTION_SUFFIX, suffix, DIST_NAME_UNITS);
    WCHAR caption[CAPTION_UNITS] = {};
    _snwprintf_s(caption, CAPTION_UNITS, _TRUNCATE, TEXT("%s%s"), sheetPrinter != nullptr ? sheetPrinter : TEXT(""),
                 suffix);
    SetWindowTextW(hDlg, caption);

    SetUpList(hDlg);
    // The stored list only seeds the rows; it is let go before the dialog
    // shows, and from then on the list view is the state.
    StoredList saved;
    if (sheetPrinter != nullptr && ReadDistributedList(sheetPrinter, saved))
        WARNING(TEXT("UI:  saveList->Count %d"), saved.storedCount);
    FillList(hDlg, saved);
}

// Apply stores every row, OK the checked ones only; rows keep list order.
void StoreRows(HWND hDlg, bool checkedOnly)
{
    PCWSTR sheetPrinter = SheetPrinter(hDlg);
    int rows = RowCount(List(hDlg));
    LONG count = 0;
    for (int row = 0; row < rows; ++row) {
        if (!checkedOnly || IsRowChecked(List(hDlg), row))
            ++count;
    }
    DistributedRecord record;
    if (sheetPrinter == nullptr || !record.Allocate(count))
        return;
    LONG at = 0;
    for (int row = 0; row < rows && at < count; ++row) {
        bool checked = IsRowChecked(List(hDlg), row);
        if (checkedOnly && !checked)
            continue;
        DISTRIBUTEDENTRY *entry = record.Entry(at++);
        entry->Checked = checked ? 1 : 0;
        GetCellText(List(hDlg), row, COLUMN_PRINTER, entry->PrinterName, DIST_NAME_UNITS);
        GetCellText(List(hDlg), row, COLUMN_COMMENT, entry->Comment, DIST_NAME_UNITS);
    }
    WriteDistributedList(sheetPrinter, record);
}

// The list view has toggled a box that was clicked on by itself before it
// reports the click; only a click elsewhere on the row inverts the check here.
// Either way the toggle comes back as LVN_ITEMCHANGED, which enables Apply.
void OnClick(HWND hDlg, const NMITEMACTIVATE &one)
{
    OutputDebugStringW(TEXT("one click"));
    WARNING(TEXT("UI:  item is %d and one->iSubItem %d"), one.iItem, one.iSubItem);
    if (one.iItem < 0 || one.iItem >= RowCount(List(hDlg)))
        return;
    LVHITTESTINFO hit = {};
    hit.pt = one.ptAction;
    SendMessageW(List(hDlg), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem != one.iItem || (hit.flags & LVHT_ONITEMSTATEICON) == 0)
        SetRowChecked(List(hDlg), one.iItem, !IsRowChecked(List(hDlg), one.iItem));
}

// A row's box changed, by a click, by Space or by OnClick. The rows checked
// while the list is filled, before the dialog shows, are no change of the
// user's, nor is a box a new row gets (from no state image to unchecked).
void OnItemChanged(HWND hDlg, const NMLISTVIEW &change)
{
    UINT old = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
    UINT now = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if ((change.uChanged & LVIF_STATE) == 0 || old == now || old == 0 || !IsWindowVisible(hDlg))
        return;
    WARNING(TEXT("UI:  old %x and  new %x"), INDEXTOSTATEIMAGEMASK(old), INDEXTOSTATEIMAGEMASK(now));
    EnableApply(hDlg, true);
}

// Right-click, double-click, the context-menu key or Shift+F10: the ribbon
// width dialog for the row.
void EditRow(HWND hDlg, int row)
{
    if (row < 0 || row >= RowCount(List(hDlg)))
        return;
    RIBBONPARAM param = {};
    GetCellText(List(hDlg), row, COLUMN_PRINTER, param.PrinterName, DIST_NAME_UNITS);
    GetCellText(List(hDlg), row, COLUMN_CURRENT_WIDTH, param.CurrentWidth, RIBBON_TEXT_UNITS);
    GetCellText(List(hDlg), row, COLUMN_RIBBON_TYPE, param.RibbonType, RIBBON_TEXT_UNITS);
    GetCellText(List(hDlg), row, COLUMN_COMMENT, param.Comment, DIST_NAME_UNITS);
    INT_PTR returned = DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_WIDTH), hDlg, RibbonWidthProc,
                                       reinterpret_cast<LPARAM>(&param));
    WARNING(TEXT("UI:  returnData is %d"), static_cast<int>(returned));
    if (returned == 0 || returned == -1)
        return;
    EnableApply(hDlg, true);
    SetCellText(List(hDlg), row, COLUMN_COMMENT, param.Comment);
    SetCellText(List(hDlg), row, COLUMN_SET_WIDTH, param.SetWidth);
}

void OnListNotify(HWND hDlg, const NMHDR &header)
{
    const auto &one = reinterpret_cast<const NMITEMACTIVATE &>(header);
    switch (header.code) {
    case NM_CLICK:
        OnClick(hDlg, one);
        break;
    case NM_RCLICK:
    case NM_DBLCLK:
        EditRow(hDlg, one.iItem);
        break;
    case LVN_ITEMCHANGED:
        OnItemChanged(hDlg, reinterpret_cast<const NMLISTVIEW &>(header));
        break;
    default:
        break;
    }
}

void CheckRibbons(HWND hDlg)
{
    RIBBONQUERY query = {};
    query.Owner = hDlg;
    query.ListId = IDC_DISTRIBUTED_LIST;
    DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_RIBBON_QUERY), hDlg, GetRibbonDataProc,
                    reinterpret_cast<LPARAM>(&query));
}

void OnCommand(HWND hDlg, WORD id)
{
    switch (id) {
    case IDC_CHECK_RIBBON:
        CheckRibbons(hDlg);
        break;
    case IDC_DISTRIBUTED_APPLY:
        EnableApply(hDlg, false);
        StoreRows(hDlg, false);
        break;
    case IDOK:
        StoreRows(hDlg, true);
        EndDialog(hDlg, 1);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 0);
        break;
    default:
        break;
    }
}

// A stored name without a terminator is its 260 units: a longer name that
// begins with them is another name.
bool SameStoredName(const WCHAR *pStored, PCWSTR pName)
{
    size_t length = wcsnlen(pStored, DIST_NAME_UNITS);
    for (size_t i = 0; i < length; ++i) {
        if (pStored[i] != pName[i])
            return false;
    }
    return pName[length] == 0;
}

}  // namespace

const DISTRIBUTEDENTRY *StoredList::Entry(LONG i) const
{
    if (i < 0 || i >= count)
        return nullptr;
    return reinterpret_cast<const DISTRIBUTEDENTRY *>(static_cast<const BYTE *>(value.get()) +
                                                      sizeof(DISTRIBUTEDHEADER)) +
           i;
}

const DISTRIBUTEDENTRY *StoredList::Find(PCWSTR pPrinterName) const
{
    if (pPrinterName == nullptr)
        return nullptr;
    for (LONG i = 0; i < count; ++i) {
        const DISTRIBUTEDENTRY *entry = Entry(i);
        if (SameStoredName(entry->PrinterName, pPrinterName))
            return entry;
    }
    return nullptr;
}

bool ReadDistributedList(PCWSTR pPrinterName, StoredList &list)
{
    list = StoredList();
    unique_printer printer(OpenPrinterAllAccess(pPrinterName));
    if (!printer)
        return false;
    DWORD type = 0, needed = 0;
    LPWSTR name = const_cast<LPWSTR>(kDistributedListValueName);
    DWORD status = GetPrinterDataW(printer.get(), name, &type, nullptr, 0, &needed);
    if ((status != ERROR_MORE_DATA && status != ERROR_SUCCESS) || needed == 0)
        return false;
    unique_heap_block value(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (!value)
        return false;
    DWORD size = 0;
    if (GetPrinterDataW(printer.get(), name, &type, static_cast<LPBYTE>(value.get()), needed, &size) != ERROR_SUCCESS)
        return false;
    list.value = std::move(value);
    list.size = size < needed ? size : needed;
    if (list.size < sizeof(DISTRIBUTEDHEADER))
        return true;

    // Count is a promise the bytes may not keep: whole entries inside the
    // value only.
    list.storedCount = static_cast<const DISTRIBUTEDHEADER *>(list.value.get())->Count;
    DWORD room = (list.size - sizeof(DISTRIBUTEDHEADER)) / sizeof(DISTRIBUTEDENTRY);
    if (list.storedCount > 0)
        list.count = static_cast<DWORD>(list.storedCount) < room ? list.storedCount : static_cast<LONG>(room);
    return true;
}

bool DistributedRecord::Allocate(LONG count)
{
    if (count < 0 || static_cast<DWORD>(count) > (0x7FFFFFFFu - sizeof(DISTRIBUTEDHEADER)) / sizeof(DISTRIBUTEDENTRY))
        return false;
    DWORD bytes = sizeof(DISTRIBUTEDHEADER) + static_cast<DWORD>(count) * sizeof(DISTRIBUTEDENTRY);
    block.reset(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
    if (!block) {
        size = 0;
        return false;
    }
    size = bytes;
    // Entries is not a pointer in storage: a reader takes the entries from
    // just after the header, so the field is written as 0.
    Header()->Tag = 1;
    Header()->Count = count;
    Header()->Entries = 0;
    return true;
}

DISTRIBUTEDENTRY *DistributedRecord::Entry(LONG i) const
{
    return reinterpret_cast<DISTRIBUTEDENTRY *>(static_cast<BYTE *>(block.get()) + sizeof(DISTRIBUTEDHEADER)) + i;
}

bool WriteDistributedList(PCWSTR pPrinterName, const DistributedRecord &record)
{
    if (!record.block)
        return false;
    unique_printer printer(OpenPrinterAllAccess(pPrinterName));
    if (!printer)
        return false;
    DWORD status = SetPrinterDataW(printer.get(), const_cast<LPWSTR>(kDistributedListValueName), REG_BINARY,
                                   static_cast<LPBYTE>(record.block.get()), record.size);
    if (status != ERROR_SUCCESS) {
        WARNING(TEXT("UI:  SetPrinterData DISTRIBUTEDLIST error code is %d"), status);
        return false;
    }
    return true;
}

bool FormWidthText(HANDLE hPrinter, PCWSTR pFormName, WCHAR *pText, size_t units)
{
    SpoolerBlock block = FetchForm1(hPrinter, pFormName);
    const FORM_INFO_1W *form = block.As<FORM_INFO_1W>();
    if (form == nullptr)
        return false;
    _snwprintf_s(pText, units, _TRUNCATE, TEXT("%d mm"),
                 static_cast<int>((static_cast<LONGLONG>(form->Size.cx) + 500) / 1000));
    return true;
}

INT_PTR CALLBACK DistributedPrintingProc(HWND hDlg, UINT uMessage, WPARAM wParam, LPARAM lParam)
{
    switch (uMessage) {
    case WM_INITDIALOG:
        InitDistributedPrinting(hDlg, lParam);
        return TRUE;
    case WM_NOTIFY: {
        const auto *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header != nullptr && header->idFrom == IDC_DISTRIBUTED_LIST)
            OnListNotify(hDlg, *header);
        return FALSE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(hDlg, LOWORD(wParam));
        return FALSE;
    case WM_CONTEXTMENU:
        // From the keyboard (the point -1, -1) the row is the focused one. A
        // right-click has had its NM_RCLICK before the list view passes the
        // message on, and is not taken twice.
        if (reinterpret_cast<HWND>(wParam) != List(hDlg) || LOWORD(lParam) != 0xFFFF || HIWORD(lParam) != 0xFFFF)
            return FALSE;
        EditRow(hDlg, FocusedRow(List(hDlg)));
        return TRUE;
    default:
        return FALSE;
    }
}
