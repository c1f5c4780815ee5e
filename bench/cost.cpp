// Instruction counts of the three conversions against their required-work
// floor, and of the host's document sheet over servers of 500 and 5,000
// forms, for tools/ticket-cost.sh to run under callgrind: each measured part
// runs once unmeasured (first-use costs and the converted document the
// floor saves), then kRuns times with collection on, and is dumped under its
// own name. The conversions' DOM calls are printed, one line a part.
#include "bench/documents.h"
#include "bench/forms.h"
#include "host/commands.h"
#include "host/output.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRuns = 3;

template <typename Work>
void Measure(const std::string &name, Work work)
{
    work();
    CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < kRuns; ++i)
        work();
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(name.c_str());
}

void Conversions(const char *drives, const char *only)
{
    setenv("STANDIN_DRIVE_ROOT", drives, 1);
    bench::Session session;
    for (bench::Conversion conversion : {bench::kDevModeToTicket, bench::kTicketToDevMode, bench::kCapabilities}) {
        for (long foreign : bench::kForeignCounts) {
            std::u16string xml = bench::Input(conversion, foreign);
            std::string part = std::to_string(conversion) + "/" + std::to_string(foreign);
            if (only != nullptr && std::string(only) != "conversions" && part != only)
                continue;
            unsigned long long calls = 0;
            std::string converted;
            Measure("conversion " + part, [&] {
                IXMLDOMDocument2 *document = bench::Session::Load(xml);
                calls = bench::Convert(session, conversion, document);
                if (converted.empty())
                    converted = bench::DocumentUtf8(document);
                document->Release();
                standin::DebugCaptureClear();
            });
            bench::RequiredWork floor(conversion, xml, converted);
            Measure("floor " + part, [&] { floor.Run(); });
            Measure("old-floor " + part, [&] { floor.RunParseAndSerialise(); });
            std::printf("calls %s %llu\n", part.c_str(), calls);
        }
    }
}

// `orvoui-host --state FILE sheet --printer KestrelBT`, its listing to the
// null device.
void Sheets(const std::string &folder)
{
    for (long forms : {500L, 5000L}) {
        LoadServerWithForms(forms);
        std::string file = folder + "/sheet-" + std::to_string(forms) + ".json";
        std::string error;
        if (!standin::spooler::SaveJson(file, &error)) {
            std::fprintf(stderr, "cannot save %s: %s\n", file.c_str(), error.c_str());
            continue;
        }
        host::HostOptions options;
        options.printer = "KestrelBT";
        options.stateFile = file;
        std::fflush(stdout);
        int saved = ::dup(STDOUT_FILENO);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDOUT_FILENO);
        Measure("sheet " + std::to_string(forms), [&] { host::RunSheet(options); });
        std::fflush(stdout);
        ::dup2(saved, STDOUT_FILENO);
        ::close(null);
        ::close(saved);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    // Optionally one part only, "conversion/foreign" (e.g. 2/100), or all
    // the conversions ("conversions"), without the sheets.
    const char *folder = argc > 1 ? argv[1] : "/tmp";
    const char *only = argc > 2 ? argv[2] : nullptr;
    Conversions((std::string(folder) + "/drives").c_str(), only);
    if (only == nullptr)
        Sheets(folder);
    return 0;
}
