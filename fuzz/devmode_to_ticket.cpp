// DEVMODE to PrintTicket on any text as the base ticket: the record takes
// the printer's stored job settings but keeps its header and the driver's
// own pending selections; the ticket written on serialises, and read back on
// its own it gives the record's values: every parameter, and every private
// feature whose option the base ticket had (the plug-in makes no features);
// nothing is left behind.
#include "fuzz/common.h"
#include "tests/support/xml.h"
#include "fuzz/ticketview.h"

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

#include <cstring>

namespace {

const std::u16string kPrinter = u"KestrelBT";

// The printer's stored settings: every job setting away from its default
// and within its option list, so each is written and can be read back.
REGSTRUCT StoredJobSettings()
{
    const LONG values[20] = {3, 14, -2, 3, 3, 2, 5, 1, 4, 2, 1, 1, 6, 4, 1, 1, 1, 1, 1, 2};
    REGSTRUCT settings;
    SetDefaultSettings(&settings);
    for (size_t i = 0; i < 20; ++i)
        fuzz::SetFieldAt(&settings, fuzz::kSharedFields[i].stored, values[i]);
    const BYTE *bytes = reinterpret_cast<const BYTE *>(&settings);
    standin::spooler::SetData(kPrinter, kSettingsValueName, REG_BINARY,
                              std::vector<BYTE>(bytes, bytes + sizeof(settings)));
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const REGSTRUCT stored = StoredJobSettings();
    static fuzz::BoundProvider provider(kPrinter);
    standin::DebugCaptureClear();
    fuzz::Counts counts;
    std::u16string text = fuzz::Widen(data, size);
    IXMLDOMDocument2 *ticket = LoadDocument(text);
    if (ticket != nullptr) {
        std::vector<fuzz::TicketField> base = fuzz::ReadTicketFields(fuzz::Narrow(text));
        fuzz::Require(!base.empty(), "MSXML took a ticket that is no document");
        DEVMODEW devmode = fuzz::ConvertedDevMode();
        OEMDEV record;
        SetDefaultOEMDev(&record);
        record.standardPaperSizeChoose = 3;
        const OEMDEV before = record;
        HRESULT hr =
            provider.get()->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), &record, ticket);
        fuzz::Require(std::memcmp(&before, &record, offsetof(OEMDEV, Speed)) == 0,
                      "the record's header or the driver's selections were changed");
        fuzz::Require(record.Density == stored.Density && record.Rotate == stored.Rotate &&
                          record.Gappara[1] == stored.Gappara[1] && record.iQuality == stored.iQuality,
                      "the record did not take the printer's settings");
        if (SUCCEEDED(hr)) {
            BSTR xml = nullptr;
            fuzz::Require(ticket->get_xml(&xml) == S_OK && xml != nullptr, "the ticket cannot be serialised");
            std::vector<fuzz::TicketField> written = fuzz::ReadTicketFields(fuzz::Narrow(xml));
            SysFreeString(xml);
            fuzz::Require(!written.empty(), "the ticket written is no document");
            // PageResolution is the Falcon model's only.
            for (size_t i = 0; i + 1 < written.size(); ++i) {
                if (base[i].asks == fuzz::Asks::Unclear || (i >= 5 && !base[i].found))
                    continue;
                if (written[i].asks != fuzz::Asks::Value ||
                    written[i].value != fuzz::FieldAt(&record, written[i].field))
                    fuzz::Fail((std::string(written[i].name) + " does not read back as the record's value").c_str());
            }
        }
        ticket->Release();
    }
    counts.Check();
    return 0;
}
