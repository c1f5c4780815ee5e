// PrintTicket to DEVMODE with any text as the ticket: every setting the
// ticket names with a valid value (as the ticket reads on its own) ends with
// that value in the record, every other keeps the record's value, the
// header is kept; the printer's stored settings become the old ones with
// the twenty ticket fields of the record; nothing the conversion took from
// the stand-in is left behind.
#include "fuzz/common.h"
#include "fuzz/ticketview.h"

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

#include <cstring>

namespace {

const std::u16string kPrinter = u"FalconBT";

LONG Get(const OEMDEV &record, size_t offset)
{
    LONG value;
    std::memcpy(&value, reinterpret_cast<const BYTE *>(&record) + offset, sizeof(value));
    return value;
}
void Set(OEMDEV &record, size_t offset, LONG value)
{
    std::memcpy(reinterpret_cast<BYTE *>(&record) + offset, &value, sizeof(value));
}

// The fields a ticket reaches and the stored record shares, as pairs of
// offsets in OEMDEV and REGSTRUCT.
const std::pair<size_t, size_t> kShared[] = {
    {offsetof(OEMDEV, Speed), offsetof(REGSTRUCT, Speed)},
    {offsetof(OEMDEV, Density), offsetof(REGSTRUCT, Density)},
    {offsetof(OEMDEV, Reference), offsetof(REGSTRUCT, Reference)},
    {offsetof(OEMDEV, Reference) + 4, offsetof(REGSTRUCT, Reference) + 4},
    {offsetof(OEMDEV, Rotate), offsetof(REGSTRUCT, Rotate)},
    {offsetof(OEMDEV, Gap), offsetof(REGSTRUCT, Gap)},
    {offsetof(OEMDEV, Gappara), offsetof(REGSTRUCT, Gappara)},
    {offsetof(OEMDEV, Gappara) + 4, offsetof(REGSTRUCT, Gappara) + 4},
    {offsetof(OEMDEV, Offset), offsetof(REGSTRUCT, Offset)},
    {offsetof(OEMDEV, Settear), offsetof(REGSTRUCT, Settear)},
    {offsetof(OEMDEV, Gray), offsetof(REGSTRUCT, Gray)},
    {offsetof(OEMDEV, Reverse), offsetof(REGSTRUCT, Reverse)},
    {offsetof(OEMDEV, BlackLevel), offsetof(REGSTRUCT, BlackLevel)},
    {offsetof(OEMDEV, GrayLevel), offsetof(REGSTRUCT, GrayLevel)},
    {offsetof(OEMDEV, Chain), offsetof(REGSTRUCT, Chain)},
    {offsetof(OEMDEV, Mirror), offsetof(REGSTRUCT, Mirror)},
    {offsetof(OEMDEV, AutoCut), offsetof(REGSTRUCT, AutoCut)},
    {offsetof(OEMDEV, SpecialTape), offsetof(REGSTRUCT, SpecialTape)},
    {offsetof(OEMDEV, HalfCut), offsetof(REGSTRUCT, HalfCut)},
    {offsetof(OEMDEV, iQuality), offsetof(REGSTRUCT, iQuality)},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::Initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::BoundProvider provider(kPrinter);
    standin::DebugCaptureClear();
    std::vector<BYTE> stored = fuzz::StoredSettings(kPrinter);
    fuzz::Counts counts;
    std::u16string text = fuzz::Widen(data, size);
    IXMLDOMDocument2 *ticket = fuzz::LoadTicket(text);
    if (ticket != nullptr) {
        std::vector<fuzz::TicketField> asked = fuzz::ReadTicketFields(fuzz::Narrow(text));
        fuzz::Require(!asked.empty(), "MSXML took a ticket that is no document");
        DEVMODEW devmode = {};
        devmode.dmSize = sizeof(DEVMODEW);
        devmode.dmDriverExtra = sizeof(OEMDEV);
        // Every field a value that no ticket gives, so a change shows.
        OEMDEV record;
        SetDefaultOEMDev(&record);
        for (size_t i = 0; i < sizeof(kShared) / sizeof(kShared[0]); ++i)
            Set(record, kShared[i].first, -1000 - static_cast<LONG>(i));
        const OEMDEV before = record;
        HRESULT hr =
            provider.get()->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV), &record);
        ticket->Release();
        fuzz::Require(hr == S_OK, "the conversion failed");
        fuzz::Require(std::memcmp(&record, &before, offsetof(OEMDEV, Speed)) == 0,
                      "the record's header or the driver's selections changed");
        for (const fuzz::TicketField &field : asked) {
            if (field.asks == fuzz::Asks::Value && Get(record, field.field) != field.value)
                fuzz::Fail((std::string(field.name) + " named with a valid value did not take it").c_str());
            if (field.asks == fuzz::Asks::Nothing && Get(record, field.field) != Get(before, field.field))
                fuzz::Fail((std::string(field.name) + " not named changed").c_str());
        }
        // The stored record: the old one with the record's ticket fields.
        std::vector<BYTE> want = stored;
        if (want.size() == REGSTRUCT_SIZE) {
            for (const auto &shared : kShared) {
                LONG value = Get(record, shared.first);
                std::memcpy(&want[shared.second], &value, sizeof(value));
            }
            fuzz::Require(fuzz::StoredSettings(kPrinter) == want,
                          "the stored settings are not the old ones with the ticket's fields");
        }
    }
    fuzz::CheckStoredSettings(kPrinter);
    counts.Check();
    // The next input starts from the same server.
    if (fuzz::StoredSettings(kPrinter) != stored)
        standin::spooler::SetData(kPrinter, kSettingsValueName, REG_BINARY, stored);
    return 0;
}
