// DEVMODE to PrintTicket on any text as the base ticket: the record takes
// the printer's stored job settings but keeps its header and the driver's
// own pending selections, and the ticket written on is still a document
// MSXML can serialise; nothing is left behind.
#include "fuzz/common.h"

#include "src/records/records.h"

#include <cstring>

namespace {

const std::u16string kPrinter = u"KestrelBT";

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
    fuzz::Counts counts;
    IXMLDOMDocument2 *ticket = fuzz::LoadTicket(fuzz::Widen(data, size));
    if (ticket != nullptr) {
        DEVMODEW devmode = {};
        devmode.dmSize = sizeof(DEVMODEW);
        devmode.dmDriverExtra = sizeof(OEMDEV);
        OEMDEV record;
        SetDefaultOEMDev(&record);
        // Every job setting away from its default, so that each is written.
        record.Rotate = 2;
        record.Density = 14;
        record.Mirror = 1;
        record.AutoCut = 1;
        OEMDEV before = record;
        HRESULT hr =
            provider.get()->ConvertDevModeToPrintTicket(sizeof(devmode), &devmode, sizeof(OEMDEV), &record, ticket);
        fuzz::Require(std::memcmp(&before, &record, offsetof(OEMDEV, Speed)) == 0,
                      "the record's header or the driver's selections were changed");
        if (SUCCEEDED(hr)) {
            BSTR xml = nullptr;
            fuzz::Require(ticket->get_xml(&xml) == S_OK && xml != nullptr, "the ticket cannot be serialised");
            SysFreeString(xml);
        }
        ticket->Release();
    }
    counts.Check();
    return 0;
}
