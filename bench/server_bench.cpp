// The host's `printers` command on print servers with more and more forms:
// loading the saved state and listing every printer should grow with the
// size of the state, not with its square.
#include "bench/forms.h"
#include "host/commands.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The listing goes to a null device while the loop runs.
class QuietStdout {
public:
    QuietStdout() : saved_(::dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }

private:
    int saved_;
};

void BM_PrintersCommand(benchmark::State &state)
{
    LoadServerWithForms(state.range(0));
    char folder[] = "/tmp/orvoui-bench-state-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    host::HostOptions options;
    options.stateFile = std::string(folder) + "/server.json";
    std::string error;
    if (!standin::spooler::SaveJson(options.stateFile, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    {
        QuietStdout quiet;
        for (auto _ : state)
            benchmark::DoNotOptimize(host::RunPrinters(options));
    }
    ::unlink(options.stateFile.c_str());
    ::rmdir(folder);
    standin::spooler::LoadSample();
}
BENCHMARK(BM_PrintersCommand)
    ->ArgName("forms")
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
