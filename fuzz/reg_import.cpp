// A registry export, any bytes: refused with a reason, or read with every
// value kept inside the bound and inside the keys an import reads; then
// imported into the sample server: a failed import leaves the server as it
// was, a finished one leaves a server that saves to a text that loads again
// to the same server.
#include "fuzz/common.h"

#include "host/regimport.h"
#include "platform/linux/spooler/server.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    standin::DebugCaptureClear();
    standin::spooler::LoadSample();
    fuzz::Counts counts;
    host::RegExport reg;
    std::string error;
    std::string bytes(reinterpret_cast<const char *>(data), size);
    if (!host::ReadRegExport(bytes, host::IsImportedKey, reg, error)) {
        fuzz::Require(!error.empty() && reg.keys.empty(), "a refused export without a reason, or with keys");
        counts.Check();
        return 0;
    }
    for (const host::RegKey &key : reg.keys) {
        fuzz::Require(key.values.empty() || host::IsImportedKey(key.path), "a value kept outside the print keys");
        for (const host::RegValue &value : key.values)
            fuzz::Require(value.bytes.size() <= host::kMaxRegValueBytes, "a value kept over the bound");
    }
    host::ImportReport report;
    if (!host::ImportIntoServer(reg, {}, report, error)) {
        fuzz::Require(!error.empty(), "a failed import without a reason");
        fuzz::Require(standin::spooler::ToJson() == fuzz::SampleJson(), "a failed import changed the server");
    } else {
        std::string now = standin::spooler::ToJson();
        std::string reloadError;
        fuzz::Require(standin::spooler::FromJson(now, &reloadError), "an imported server does not load again");
        fuzz::Require(standin::spooler::ToJson() == now, "an imported server loads to another server");
        fuzz::Require(report.printers + report.forms > 0 || now == fuzz::SampleJson(),
                      "an import that took nothing changed the server");
    }
    counts.Check();
    return 0;
}
