// PrintTicket to DEVMODE with any text as the ticket: a ticket MSXML takes
// is converted into the printer's record, which stays a valid record of
// this plug-in; the printer's stored settings stay a whole record; nothing
// the conversion took from the stand-in is left behind.
#include "fuzz/common.h"

#include "platform/linux/spooler/server.h"
#include "src/records/records.h"

namespace {

const std::u16string kPrinter = u"FalconBT";

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
    IXMLDOMDocument2 *ticket = fuzz::LoadTicket(fuzz::Widen(data, size));
    if (ticket != nullptr) {
        DEVMODEW devmode = {};
        devmode.dmSize = sizeof(DEVMODEW);
        devmode.dmDriverExtra = sizeof(OEMDEV);
        OEMDEV record;
        SetDefaultOEMDev(&record);
        HRESULT hr =
            provider.get()->ConvertPrintTicketToDevMode(ticket, sizeof(devmode), &devmode, sizeof(OEMDEV), &record);
        ticket->Release();
        if (SUCCEEDED(hr)) {
            fuzz::Require(record.dmOEMExtra.dwSize == sizeof(OEMDEV), "record size changed");
            fuzz::Require(record.dmOEMExtra.dwSignature == OEMDEV_SIGNATURE, "record signature changed");
            fuzz::Require(record.dmOEMExtra.dwVersion == OEMDEV_VERSION, "record version changed");
        }
    }
    fuzz::CheckStoredSettings(kPrinter);
    counts.Check();
    // The next input starts from the same server.
    if (fuzz::StoredSettings(kPrinter) != stored)
        standin::spooler::SetData(kPrinter, kSettingsValueName, REG_BINARY, stored);
    return 0;
}
