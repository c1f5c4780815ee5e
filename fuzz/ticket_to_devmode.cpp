// PrintTicket to DEVMODE with any text as the ticket: every setting the
// ticket names with a valid value (as the ticket reads on its own) ends with
// that value in the record, every other keeps the record's value, the
// header is kept; the printer's stored settings become the old ones with
// the twenty ticket fields of the record; nothing the conversion took from
// the stand-in is left behind.
#include "fuzz/common.h"
#include "tests/support/xml.h"
#include "fuzz/ticketview.h"

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::u16string kPrinter = u"FalconBT";
    static fuzz::BoundProvider provider(kPrinter);
    standin::DebugCaptureClear();
    std::vector<BYTE> stored = fuzz::StoredSettings(kPrinter);
    fuzz::Counts counts;
    std::u16string text = fuzz::Widen(data, size);
    IXMLDOMDocument2 *ticket = LoadDocument(text);
    if (ticket != nullptr) {
        std::vector<fuzz::TicketField> asked = fuzz::ReadTicketFields(fuzz::Narrow(text));
        fuzz::Require(!asked.empty(), "MSXML took a ticket that is no document");
        DEVMODEW devmode = fuzz::ConvertedDevMode();
        // Every field a value that no ticket gives, so a change shows.
        OEMDEV record;
        SetDefaultOEMDev(&record);
        for (size_t i = 0; i < 20; ++i)
            fuzz::SetFieldAt(&record, fuzz::kSharedFields[i].record, -1000 - static_cast<LONG>(i));
        const OEMDEV before = record;
        HRESULT hr =
            provider.get()->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV), &record);
        ticket->Release();
        fuzz::Require(hr == S_OK, "the conversion failed");
        fuzz::Require(std::memcmp(&record, &before, offsetof(OEMDEV, Speed)) == 0,
                      "the record's header or the driver's selections changed");
        for (const fuzz::TicketField &field : asked) {
            LONG now = fuzz::FieldAt(&record, field.field);
            if (field.asks == fuzz::Asks::Value && now != field.value)
                fuzz::Fail((std::string(field.name) + " named with a valid value did not take it").c_str());
            if (field.asks == fuzz::Asks::Nothing && now != fuzz::FieldAt(&before, field.field))
                fuzz::Fail((std::string(field.name) + " not named changed").c_str());
        }
        // The stored record: the old one with the record's ticket fields.
        std::vector<BYTE> want = stored;
        if (want.size() == REGSTRUCT_SIZE) {
            for (const fuzz::SharedField &shared : fuzz::kSharedFields)
                fuzz::SetFieldAt(want.data(), shared.stored, fuzz::FieldAt(&record, shared.record));
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
