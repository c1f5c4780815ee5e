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

// The stand-in's counts (blocks, strings, handles, objects, windows, GDI
// objects and the plug-in's live objects) when it was made; Check aborts
// when any differs now.
class Counts {
public:
    Counts();
    void Check() const;

private:
    standin::Counters counters_;
    long windows_;
    long components_;
};

// Once per process (every target's LLVMFuzzerInitialize): the sample
// server, debug output quiet, COM started, the plug-in's resources, dumps
// into a folder of the temporary directory.
void Initialize();
// The sample server as it was loaded.
const std::string &SampleJson();

// The printer's "OrvoPrinterData" as stored; empty when there is none.
std::vector<BYTE> StoredSettings(const std::u16string &printer);
// Aborts unless the printer's stored settings, when it has any, are a
// 116-byte REG_BINARY record of version 5.
void CheckStoredSettings(const std::u16string &printer);

// The bytes as UTF-8 text, widened (invalid sequences become U+FFFD).
std::u16string Widen(const uint8_t *data, size_t size);
// The printer of the sample server, opened for use; aborts when it is not there.
HANDLE OpenSamplePrinter(const std::u16string &name);
// A public DEVMODE followed by one private record, as the conversions get it.
DEVMODEW ConvertedDevMode();

// A LONG field of a record by its offset.
LONG FieldAt(const void *record, size_t offset);
void SetFieldAt(void *record, size_t offset, LONG value);
// The fields a ticket reaches and the stored record shares: offsets in
// OEMDEV and in REGSTRUCT.
struct SharedField {
    size_t record, stored;
};
extern const SharedField kSharedFields[20];

// A print ticket provider bound to a printer of the sample server, with a
// core helper that makes the stand-in's MSXML objects.
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
