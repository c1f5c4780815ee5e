// The print server's saved state, any text: a refused state leaves the
// server exactly as it was; an accepted one saves to a text that loads
// again to the same server.
#include "fuzz/common.h"

#include "platform/linux/spooler/server.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    standin::DebugCaptureClear();
    standin::spooler::LoadSample();
    fuzz::Counts counts;
    std::string error;
    bool loaded = standin::spooler::FromJson(std::string(reinterpret_cast<const char *>(data), size), &error);
    std::string now = standin::spooler::ToJson();
    if (!loaded) {
        fuzz::Require(!error.empty(), "a refusal without a reason");
        fuzz::Require(now == fuzz::SampleJson(), "a refused state changed the server");
    } else {
        std::string reloadError;
        fuzz::Require(standin::spooler::FromJson(now, &reloadError), "a saved state does not load");
        fuzz::Require(standin::spooler::ToJson() == now, "a saved state loads to another server");
    }
    counts.Check();
    return 0;
}
