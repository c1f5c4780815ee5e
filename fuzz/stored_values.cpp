// The printer data values the plug-in reads, of any type and size: the first
// byte picks the value, the second its registry type, the rest are its bytes.
//   "OrvoPrinterData": a sheet's read keeps a record of version 5 and,
//     written back, stores 116 bytes of version 5 as REG_BINARY; a value that
//     is not one is told apart from one that is.
//   "OEMUI_VALUE": the printer sheet's item selects 0..100, the stored number
//     only when it is a REG_DWORD of four bytes within that range.
//   "DISTRIBUTEDLIST": exactly the whole entries inside the value are used,
//     as many as the header promises.
#include "fuzz/common.h"

#include "platform/linux/spooler/server.h"
#include "src/distributed/distlist.h"
#include "src/pages/optitems.h"
#include "src/settings/settings.h"
#include "src/sheet/sheetstate.h"

#include <algorithm>
#include <cstring>

namespace {

const std::u16string kPrinter = u"KestrelBT";
// REG_NONE, _SZ, _BINARY, _DWORD, _MULTI_SZ (7), _QWORD (11) and one no writer uses.
const DWORD kTypes[] = {REG_NONE, REG_SZ, REG_BINARY, REG_DWORD, 7, 11, 0x12345678};

void PrinterSettings(DWORD type, const std::vector<BYTE> &bytes)
{
    HANDLE printer = fuzz::OpenSamplePrinter(kPrinter);
    REGSTRUCT direct = {};
    SettingsRead read = ReadStoredSettings(printer, &direct);
    LONG version = 0;
    if (bytes.size() >= sizeof(version))
        std::memcpy(&version, bytes.data(), sizeof(version));
    bool valid = type == REG_BINARY && bytes.size() == REGSTRUCT_SIZE && version == REGSTRUCT_VERSION;
    fuzz::Require((read.state == StoredSettings::Valid) == valid, "a stored record misjudged");
    if (valid)
        fuzz::Require(std::memcmp(&direct, bytes.data(), REGSTRUCT_SIZE) == 0, "a valid record read wrong");

    PAGECONTEXT context = {};
    context.hPrinter = printer;
    ReadWriteSettings(&context, FALSE);
    fuzz::Require(context.nReads == 1, "the sheet did not read its settings");
    fuzz::Require(context.Settings.Version == REGSTRUCT_VERSION, "the sheet's copy is not of version 5");
    fuzz::CheckStoredSettings(kPrinter);
    ReadWriteSettings(&context, TRUE);
    std::vector<BYTE> stored = fuzz::StoredSettings(kPrinter);
    fuzz::Require(stored.size() == REGSTRUCT_SIZE, "nothing stored on Apply");
    fuzz::CheckStoredSettings(kPrinter);
    ClosePrinter(printer);
}

void OptionItem(DWORD type, const std::vector<BYTE> &bytes)
{
    HANDLE printer = fuzz::OpenSamplePrinter(kPrinter);
    OPTITEM item = {};
    OEMCUIPPARAM param = {};
    param.cbSize = sizeof(param);
    param.hPrinter = printer;
    param.pOEMOptItems = &item;
    param.cOEMOptItems = 1;
    fuzz::Require(hrPrinterPropertyPage(OEMCUIP_PRNPROP, &param) == S_OK, "the printer sheet's item failed");
    DWORD value = 0;
    if (bytes.size() == sizeof(value))
        std::memcpy(&value, bytes.data(), sizeof(value));
    LONG expected =
        type == REG_DWORD && bytes.size() == sizeof(value) && value <= OEMUI_VALUE_MAX ? static_cast<LONG>(value) : 0;
    fuzz::Require(item.Sel == expected, "the item shows what was not a stored selection");
    ClosePrinter(printer);
}

void DistributedList(const std::vector<BYTE> &bytes)
{
    StoredList list;
    bool read = ReadDistributedList(kPrinter.c_str(), list);
    fuzz::Require(read || bytes.empty(), "a stored list not read");
    size_t whole = bytes.size() < sizeof(DISTRIBUTEDHEADER)
                       ? 0
                       : (bytes.size() - sizeof(DISTRIBUTEDHEADER)) / sizeof(DISTRIBUTEDENTRY);
    fuzz::Require(list.count == (list.storedCount <= 0 ? 0 : LONG(std::min<size_t>(list.storedCount, whole))),
                  "not exactly the whole entries inside the value that the header promises");
    for (LONG i = 0; i < list.count; ++i) {
        const DISTRIBUTEDENTRY *entry = list.Entry(i);
        fuzz::Require(entry != nullptr, "an entry inside the value is missing");
        list.Find(entry->PrinterName);
    }
    list.Find(kPrinter.c_str());
    list.Find(TEXT(""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    int which = data[0] % 3;
    DWORD type = kTypes[data[1] % (sizeof(kTypes) / sizeof(kTypes[0]))];
    std::vector<BYTE> bytes(data + 2, data + size);
    const char16_t *name = which == 0 ? kSettingsValueName : which == 1 ? u"OEMUI_VALUE" : kDistributedListValueName;

    standin::DebugCaptureClear();
    ResetPageState();
    standin::spooler::DataValue old;
    bool had = standin::spooler::GetData(kPrinter, name, old);
    fuzz::Counts counts;
    fuzz::Require(standin::spooler::SetData(kPrinter, name, type, bytes), "the value cannot be stored");
    if (which == 0)
        PrinterSettings(type, bytes);
    else if (which == 1)
        OptionItem(type, bytes);
    else
        DistributedList(bytes);
    counts.Check();
    if (had)
        standin::spooler::SetData(kPrinter, name, old.type, old.bytes);
    else
        standin::spooler::RemoveData(kPrinter, name);
    ResetPageState();
    return 0;
}
