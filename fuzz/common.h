// What every fuzz target shares: the sample print server, a provider bound
// to one of its printers, and the check that an input gave back everything
// it took from the stand-in. A broken contract aborts with what broke, so
// libFuzzer keeps the input as a crash.
#pragma once

#include "platform/win32.h"
#include "src/ptprovider/oemptprovider.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

[[noreturn]] void Fail(const char *what);
inline void Require(bool ok, const char *what)
{
    if (!ok)
        Fail(what);
}

// The stand-in's counts and the plug-in's live objects when it was made;
// Check aborts when any differs now.
class Counts {
public:
    Counts();
    void Check() const;

private:
    standin::Counters counters_;
    long windows_;
    long components_;
};

// The sample server as every target's LLVMFuzzerInitialize loaded it.
extern std::string gSampleJson;
const std::string &SampleJson();

// The printer's "OrvoPrinterData" as stored; empty when there is none.
std::vector<BYTE> StoredSettings(const std::u16string &printer);
// Aborts unless the printer's stored settings, if any, are a stored record.
void CheckStoredSettings(const std::u16string &printer);

// The bytes as UTF-8 text, widened (invalid sequences become U+FFFD).
std::u16string Widen(const uint8_t *data, size_t size);
HANDLE OpenSamplePrinter(const std::u16string &name);
// A public DEVMODE followed by one private record, as the conversions get it.
DEVMODEW ConvertedDevMode();

// A LONG field of a record by its offset.
LONG FieldAt(const void *record, size_t offset);
void SetFieldAt(void *record, size_t offset, LONG value);
// The fields a ticket reaches and the stored record shares, by their offsets.
struct SharedField {
    size_t record, stored;
};
extern const SharedField kSharedFields[20];

// A print ticket provider bound to a printer of the sample server.
class BoundProvider {
public:
    explicit BoundProvider(const std::u16string &printer);
    ~BoundProvider();
    IPrintOemPrintTicketProvider *get() const { return provider_; }

private:
    IPrintOemPrintTicketProvider *provider_ = nullptr;
    HANDLE printer_ = nullptr;
};

}  // namespace fuzz
