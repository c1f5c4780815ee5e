// The three conversions on a ticket and capabilities document as the core
// writes them, beside the least the same work costs with libxml2 alone:
// parsing the document and writing the debug files the description
// requires (RequiredWork), and the floor measured before, one parse and one
// serialisation to memory. Each document comes with 0, 100 and 1,000
// features of another vendor before ours, as a core with many installed
// features writes them: a conversion should cost the same multiple of the
// floor whatever their number. Each conversion also reports the DOM calls
// it makes. The debug files go to the folder the drive root names: a disk
// folder, then a memory one. Wall-clock ratios on a shared machine are
// noisy; tools/ticket-cost.sh gives the same ratios in instructions.
#include "bench/documents.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

using namespace bench;

// The conversions' trace lines are captured by the stand-in; a capture
// that grew over thousands of iterations would be timed too.
void KeepCaptureSmall()
{
    if (standin::DebugCaptureCount() > 10000)
        standin::DebugCaptureClear();
}

// range(2) 0: debug files on disk (the system temporary folder); 1: in memory.
void PointDumps(benchmark::State &state)
{
    setenv("STANDIN_DRIVE_ROOT", state.range(2) ? "/dev/shm/orvoui-bench" : "/tmp/orvoui-bench", 1);
}

// Conversion, foreign features, dumps on disk or in memory.
void ConversionArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"conversion", "foreign", "memory"});
    for (long conversion : {kDevModeToTicket, kTicketToDevMode, kCapabilities})
        for (long foreign : kForeignCounts)
            for (long memory : {0, 1})
                b->Args({conversion, foreign, memory});
}

// One conversion per iteration on a freshly loaded copy of the document,
// with the DOM calls it makes.
void BM_Conversion(benchmark::State &state)
{
    PointDumps(state);
    Session session;
    auto conversion = static_cast<Conversion>(state.range(0));
    std::u16string xml = Input(conversion, state.range(1));
    unsigned long long calls = 0;
    for (auto _ : state) {
        IXMLDOMDocument2 *document = Session::Load(xml);
        calls = Convert(session, conversion, document);
        document->Release();
        KeepCaptureSmall();
    }
    state.counters["dom_calls"] = static_cast<double>(calls);
    standin::DebugCaptureClear();
}
BENCHMARK(BM_Conversion)->Apply(ConversionArgs);

// The required-work floor of the same conversion (range(3) 1: the floor
// measured before instead).
void BM_Floor(benchmark::State &state)
{
    PointDumps(state);
    Session session;
    auto conversion = static_cast<Conversion>(state.range(0));
    std::u16string xml = Input(conversion, state.range(1));
    IXMLDOMDocument2 *document = Session::Load(xml);
    Convert(session, conversion, document);
    RequiredWork floor(conversion, xml, DocumentUtf8(document));
    document->Release();
    for (auto _ : state) {
        if (state.range(3))
            floor.RunParseAndSerialise();
        else
            floor.Run();
    }
    standin::DebugCaptureClear();
}
BENCHMARK(BM_Floor)->Apply([](benchmark::internal::Benchmark *b) {
    b->ArgNames({"conversion", "foreign", "memory", "old"});
    for (long conversion : {kDevModeToTicket, kTicketToDevMode, kCapabilities})
        for (long foreign : kForeignCounts)
            for (long old : {0, 1})
                b->Args({conversion, foreign, 0, old});
});

// The same documents through the DOM the conversions use, loaded and
// serialised only: the share of a conversion that is the DOM's, not the
// plug-in's.
void BM_LoadAndSerialiseDom(benchmark::State &state)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::u16string xml = Input(static_cast<Conversion>(state.range(0)), state.range(1));
    for (auto _ : state) {
        IXMLDOMDocument2 *document = Session::Load(xml);
        BSTR text = nullptr;
        document->get_xml(&text);
        benchmark::DoNotOptimize(text);
        SysFreeString(text);
        document->Release();
    }
    CoUninitialize();
}
BENCHMARK(BM_LoadAndSerialiseDom)->Apply([](benchmark::internal::Benchmark *b) {
    b->ArgNames({"conversion", "foreign"});
    for (long conversion : {kDevModeToTicket, kTicketToDevMode, kCapabilities})
        for (long foreign : kForeignCounts)
            b->Args({conversion, foreign});
});

}  // namespace
