// The paths the driver calls for every DEVMODE it builds and every object it
// asks for, and the trace writer every entry line goes through.
#include "src/base/debug.h"
#include "src/core/intrface.h"
#include "src/settings/devmode.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_CreateAndReleaseObject(benchmark::State &state)
{
    IClassFactory *factory = nullptr;
    DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    // The provider path goes through the UI object first and writes a trace line.
    REFIID iid = state.range(0) ? IID_IPrintOemPrintTicketProvider : IID_IPrintOemUI;
    for (auto _ : state) {
        IUnknown *object = nullptr;
        factory->CreateInstance(nullptr, iid, reinterpret_cast<void **>(&object));
        benchmark::DoNotOptimize(object);
        object->Release();
    }
    factory->Release();
    standin::DebugCaptureClear();
}
BENCHMARK(BM_CreateAndReleaseObject)->Arg(0)->Arg(1);

void BM_DevModeMerge(benchmark::State &state)
{
    OEMDEV in = {}, out = {};
    SetDefaultOEMDev(&in);
    SetDefaultOEMDev(&out);
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    param.pOEMDMIn = &in;
    param.pOEMDMOut = &out;
    for (auto _ : state) {
        hrOEMDevMode(OEMDM_MERGE, &param);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_DevModeMerge);

void BM_LogLine(benchmark::State &state)
{
    std::u16string text(static_cast<size_t>(state.range(0)), u'x');
    for (auto _ : state) {
        LogMsgW(TEXT("UI:  %s %d %#x\r\n"), text.c_str(), 42, 0x4D534654u);
        if (standin::DebugCaptureCount() > 10000)
            standin::DebugCaptureClear();
    }
    standin::DebugCaptureClear();
}
BENCHMARK(BM_LogLine)->Range(8, 512);

// A verbose line at the default level costs only the level test.
void BM_FilteredLogLine(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(VERBOSE(TEXT("UI:  IOemUI:AddRef entry.\r\n")));
}
BENCHMARK(BM_FilteredLogLine);

}  // namespace
