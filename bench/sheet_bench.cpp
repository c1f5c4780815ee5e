// What the user waits for when a printer's property sheet opens: the driver's
// sequence, the plug-in's pages made from their templates, and the close.
#include "bench/forms.h"
#include "host/propsheet.h"
#include "platform/linux/spooler/server.h"
#include "resources/res_blob.h"
#include "src/core/intrface.h"
#include "src/base/module.h"

#include <benchmark/benchmark.h>

namespace {

using host::PropertySheet;
using host::SheetKind;

IPrintOemUI *MakeUi(long forms = 0)
{
    ghInstance = PluginResources();
    LoadServerWithForms(forms);
    IClassFactory *factory = nullptr;
    DllGetClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    IPrintOemUI *ui = nullptr;
    factory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&ui));
    factory->Release();
    return ui;
}

// range(0): 0 the document sheet with every page shown, 1 the device sheet;
// range(1): forms in the store besides the sample's (the Page Setup page
// lists those the printer's driver offers).
void BM_OpenShowAndCloseSheet(benchmark::State &state)
{
    IPrintOemUI *ui = MakeUi(state.range(1));
    SheetKind kind = state.range(0) ? SheetKind::Device : SheetKind::Document;
    for (auto _ : state) {
        PropertySheet sheet(ui, kind, u"KestrelBT", ghInstance);
        std::string error;
        sheet.Open(error);
        for (size_t i = 1; i < sheet.Pages().size(); ++i)
            sheet.Activate(i);
        sheet.Close();
    }
    ui->Release();
    standin::spooler::LoadSample();
    standin::DebugCaptureClear();
}
BENCHMARK(BM_OpenShowAndCloseSheet)
    ->ArgNames({"device", "forms"})
    ->Args({0, 0})
    ->Args({0, 100})
    ->Args({0, 1000})
    ->Args({1, 0})
    ->Unit(benchmark::kMicrosecond);

// The document sheet on a server with range(0) forms: its paper list comes
// from the forms the printer's driver offers.
void BM_OpenDocumentSheet(benchmark::State &state)
{
    IPrintOemUI *ui = MakeUi(state.range(0));
    for (auto _ : state) {
        PropertySheet sheet(ui, SheetKind::Document, u"KestrelBT", ghInstance);
        std::string error;
        sheet.Open(error);
        sheet.Close();
    }
    ui->Release();
    standin::spooler::LoadSample();
    standin::DebugCaptureClear();
}
BENCHMARK(BM_OpenDocumentSheet)->ArgName("forms")->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
