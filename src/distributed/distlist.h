// The stored distributed printing list ("DISTRIBUTEDLIST" of the sheet's
// printer) as the two dialogs of this layer read and write it, and the width
// text of a form.
#pragma once

#include "platform/win32.h"
#include "src/base/unique.h"
#include "src/distributed/distributed.h"

// The record as read from printer data. The value is the user's and may be
// damaged or hand-made: only the whole entries that lie inside it count, and
// never more than its header promises.
struct StoredList {
    unique_heap_block value;
    DWORD size = 0;
    LONG storedCount = 0;  // the header's Count as stored
    LONG count = 0;        // entries usable: 0 ... storedCount, within size

    const DISTRIBUTEDENTRY *Entry(LONG i) const;
    // The first entry with exactly this printer name, null when none. A name
    // that fills its 260 units unterminated is compared within them.
    const DISTRIBUTEDENTRY *Find(PCWSTR pPrinterName) const;
};

// Reads the value of the printer; false when it has none or it cannot be
// read (then `list` holds no entries). A value shorter than the header reads
// as a list without entries.
bool ReadDistributedList(PCWSTR pPrinterName, StoredList &list);

// A record to write: the header (Tag 1, Count, Entries 0) and Count zeroed
// entries in one block.
struct DistributedRecord {
    unique_heap_block block;
    DWORD size = 0;

    bool Allocate(LONG count);
    DISTRIBUTEDHEADER *Header() const { return static_cast<DISTRIBUTEDHEADER *>(block.get()); }
    DISTRIBUTEDENTRY *Entry(LONG i) const;
};

// Stores the record as the printer's value (REG_BINARY); false when the
// printer cannot be opened or the spooler refuses.
bool WriteDistributedList(PCWSTR pPrinterName, const DistributedRecord &record);

// "%d mm" of the named form's width, rounded to whole millimetres (halves
// up), into `pText` of `units`; false, and `pText` unchanged, when the form
// cannot be read.
bool FormWidthText(HANDLE hPrinter, PCWSTR pFormName, WCHAR *pText, size_t units);

// The paper a printer's Set Width falls back to when its default paper is not
// among the driver's papers.
constexpr WCHAR kFallbackRibbonPaper[] = TEXT("18 x 100 mm");
