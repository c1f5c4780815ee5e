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
    standin::Counters now = standin::GetCounters();
    Require(now.heapBlocks == counters_.heapBlocks, "heap blocks leaked");
    Require(now.heaps == counters_.heaps, "heaps leaked");
    Require(now.globalBlocks == counters_.globalBlocks, "global blocks leaked");
    Require(now.threads == counters_.threads, "thread handles leaked");
    Require(now.taskBlocks == counters_.taskBlocks, "task memory leaked");
    Require(now.bstrs == counters_.bstrs, "system strings leaked");
    Require(now.comObjects == counters_.comObjects, "COM objects leaked");
    Require(now.printerHandles == counters_.printerHandles, "printer handles leaked");
    Require(now.gdiObjects == counters_.gdiObjects, "GDI objects leaked");
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
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    Require(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer_, &defaults) != FALSE, "printer not there");
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
