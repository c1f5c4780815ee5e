#include "fuzz/common.h"

#include "platform/linux/spooler/server.h"
#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "host/ptcore.h"
#include "src/core/intrface.h"
#include "src/records/records.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

void Fail(const char *what)
{
    std::fprintf(stderr, "fuzz: contract broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

Counts::Counts() : counters_(standin::GetCounters()), windows_(standin::ui::WindowCount()), components_(gcComponents) {}

void Counts::Check() const
{
    using C = standin::Counters;
    const std::pair<long C::*, const char *> kinds[] = {
        {&C::heapBlocks, "heap blocks"},     {&C::heaps, "heaps"},
        {&C::globalBlocks, "global blocks"}, {&C::threads, "thread handles"},
        {&C::taskBlocks, "task memory"},     {&C::bstrs, "system strings"},
        {&C::comObjects, "COM objects"},     {&C::printerHandles, "printer handles"},
        {&C::gdiObjects, "GDI objects"}};
    const C now = standin::GetCounters();
    for (const auto &[count, name] : kinds)
        if (now.*count != counters_.*count)
            Fail((std::string(name) + " leaked").c_str());
    Require(standin::ui::WindowCount() == windows_, "windows leaked");
    Require(gcComponents == components_, "plug-in objects still alive");
}

namespace {

std::string &sampleJson()
{
    static std::string json;
    return json;
}

}  // namespace

void Initialize()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The conversions' debug dumps go to drive C: of a folder of our own.
    std::string root = "/tmp/orvoui-fuzz-drives";
    if (const char *tmp = std::getenv("TMPDIR"))
        root = std::string(tmp) + "/orvoui-fuzz-drives";
    setenv("STANDIN_DRIVE_ROOT", root.c_str(), 0);
    gDebugLevel = DBG_ERROR;
    ghInstance = PluginResources();
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    standin::spooler::LoadSample();
    sampleJson() = standin::spooler::ToJson();
}

const std::string &SampleJson() { return sampleJson(); }

HANDLE OpenSamplePrinter(const std::u16string &name)
{
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    Require(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &defaults) != FALSE, "printer not there");
    return printer;
}

DEVMODEW ConvertedDevMode()
{
    DEVMODEW devmode = {};
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = sizeof(OEMDEV);
    return devmode;
}

LONG FieldAt(const void *record, size_t offset)
{
    LONG value;
    std::memcpy(&value, static_cast<const BYTE *>(record) + offset, sizeof(value));
    return value;
}

void SetFieldAt(void *record, size_t offset, LONG value)
{
    std::memcpy(static_cast<BYTE *>(record) + offset, &value, sizeof(value));
}

#define SHARED(field)                                                                                                  \
    {                                                                                                                  \
        offsetof(OEMDEV, field), offsetof(REGSTRUCT, field)                                                            \
    }
const SharedField kSharedFields[20] = {SHARED(Speed),      SHARED(Density),     SHARED(Reference), SHARED(Reference[1]),
                                       SHARED(Rotate),     SHARED(Gap),         SHARED(Gappara),   SHARED(Gappara[1]),
                                       SHARED(Offset),     SHARED(Settear),     SHARED(Gray),      SHARED(Reverse),
                                       SHARED(BlackLevel), SHARED(GrayLevel),   SHARED(Chain),     SHARED(Mirror),
                                       SHARED(AutoCut),    SHARED(SpecialTape), SHARED(HalfCut),   SHARED(iQuality)};
#undef SHARED

std::vector<BYTE> StoredSettings(const std::u16string &printer)
{
    standin::spooler::DataValue value;
    if (!standin::spooler::GetData(printer, kSettingsValueName, value))
        return {};
    return value.bytes;
}

void CheckStoredSettings(const std::u16string &printer)
{
    standin::spooler::DataValue value;
    if (!standin::spooler::GetData(printer, kSettingsValueName, value))
        return;
    Require(value.type == REG_BINARY, "stored settings are not REG_BINARY");
    Require(value.bytes.size() == REGSTRUCT_SIZE, "stored settings are not 116 bytes");
    LONG version = 0;
    std::memcpy(&version, value.bytes.data(), sizeof(version));
    Require(version == REGSTRUCT_VERSION, "stored settings are not of version 5");
}

std::u16string Widen(const uint8_t *data, size_t size)
{
    if (size == 0)
        return {};
    int units =
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(data), static_cast<int>(size), nullptr, 0);
    if (units <= 0)
        return {};
    std::u16string text(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(data), static_cast<int>(size), &text[0], units);
    return text;
}

BoundProvider::BoundProvider(const std::u16string &name)
{
    // The host's core helper: it makes the stand-in's MSXML objects. One for
    // the process, as the core driver keeps one.
    static host::CorePrintHelper *core = host::CorePrintHelper::Create();
    IClassFactory *factory = nullptr;
    Require(DllGetClassObject(CLSID_OEMPTPROVIDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)) == S_OK,
            "no class factory for the provider");
    Require(factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, reinterpret_cast<void **>(&provider_)) ==
                S_OK,
            "no provider");
    factory->Release();
    printer_ = OpenSamplePrinter(name);
    OEMPTOPTS options = 0;
    INT count = 0;
    BSTR *namespaces = nullptr;
    Require(provider_->BindPrinter(printer_, 1, &options, &count, &namespaces) == S_OK, "BindPrinter failed");
    for (INT i = 0; i < count; ++i)
        SysFreeString(namespaces[i]);
    CoTaskMemFree(namespaces);
    Require(provider_->PublishPrintTicketHelperInterface(core) == S_OK, "helper refused");
}

BoundProvider::~BoundProvider()
{
    provider_->Release();
    ClosePrinter(printer_);
}

IXMLDOMDocument2 *LoadTicket(const std::u16string &text)
{
    IXMLDOMDocument2 *document = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, msxml6::IID_Document2,
                                reinterpret_cast<void **>(&document))))
        return nullptr;
    BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    VARIANT_BOOL ok = VARIANT_FALSE;
    document->loadXML(bstr, &ok);
    SysFreeString(bstr);
    if (ok != VARIANT_TRUE) {
        document->Release();
        return nullptr;
    }
    return document;
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::Initialize();
    return 0;
}
