// DEVMODE to PrintTicket on any text as the base ticket: the record takes
// the printer's stored job settings but keeps its header and the driver's
// own pending selections; the ticket written on serialises, and read back on
// its own it gives the record's values: every parameter, and every private
// feature whose option the base ticket had (the plug-in makes no features);
// nothing is left behind.
#include "fuzz/common.h"
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
    REGSTRUCT settings;
    SetDefaultSettings(&settings);
    settings.Speed = 3;
    settings.Density = 14;
    settings.Reference[0] = -2;
    settings.Reference[1] = 3;
    settings.Rotate = 3;
    settings.Gap = 2;
    settings.Gappara[0] = 5;
    settings.Gappara[1] = 1;
    settings.Offset = 4;
    settings.Settear = 2;
    settings.Gray = 1;
    settings.Reverse = 1;
    settings.BlackLevel = 6;
    settings.GrayLevel = 4;
    settings.Chain = 1;
    settings.Mirror = 1;
    settings.AutoCut = 1;
    settings.SpecialTape = 1;
    settings.HalfCut = 1;
    settings.iQuality = 2;
    return settings;
}

LONG Get(const OEMDEV &record, size_t offset)
{
    LONG value;
    std::memcpy(&value, reinterpret_cast<const BYTE *>(&record) + offset, sizeof(value));
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::Initialize();
    REGSTRUCT settings = StoredJobSettings();
    const BYTE *bytes = reinterpret_cast<const BYTE *>(&settings);
    standin::spooler::SetData(kPrinter, kSettingsValueName, REG_BINARY,
                              std::vector<BYTE>(bytes, bytes + sizeof(settings)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::BoundProvider provider(kPrinter);
    static const REGSTRUCT stored = StoredJobSettings();
    standin::DebugCaptureClear();
    fuzz::Counts counts;
    std::u16string text = fuzz::Widen(data, size);
    IXMLDOMDocument2 *ticket = fuzz::LoadTicket(text);
    if (ticket != nullptr) {
        std::vector<fuzz::TicketField> base = fuzz::ReadTicketFields(fuzz::Narrow(text));
        fuzz::Require(!base.empty(), "MSXML took a ticket that is no document");
        DEVMODEW devmode = {};
        devmode.dmSize = sizeof(DEVMODEW);
        devmode.dmDriverExtra = sizeof(OEMDEV);
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
                if (written[i].asks != fuzz::Asks::Value || written[i].value != Get(record, written[i].field))
                    fuzz::Fail((std::string(written[i].name) + " does not read back as the record's value").c_str());
            }
        }
        ticket->Release();
    }
    counts.Check();
    return 0;
}
