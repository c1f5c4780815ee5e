#include "fuzz/common.h"

#include "platform/linux/spooler/server.h"
#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "src/base/debug.h"
#include "src/base/module.h"
#include "host/ptcore.h"
#include "src/core/intrface.h"
#include "src/records/records.h"
#include "tests/support/xml.h"

#include <algorithm>
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
    const standin::Counters now = standin::GetCounters();
    Require(std::memcmp(&now, &counters_, sizeof(now)) == 0,
            "a heap block, heap, global block, thread handle, task block, system string, COM object, printer handle "
            "or GDI object leaked");
    Require(standin::ui::WindowCount() == windows_, "windows leaked");
    Require(gcComponents == components_, "plug-in objects still alive");
}

std::string gSampleJson;
const std::string &SampleJson() { return gSampleJson; }

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
    LONG version = 0;
    std::memcpy(&version, value.bytes.data(), std::min(value.bytes.size(), sizeof(version)));
    Require(value.type == REG_BINARY && value.bytes.size() == REGSTRUCT_SIZE && version == REGSTRUCT_VERSION,
            "stored settings that are not a 116-byte REG_BINARY record of version 5");
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
    // The host's core helper makes the stand-in's MSXML objects; one for the
    // process, as the core driver keeps one.
    static host::CorePrintHelper *core = host::CorePrintHelper::Create();
    provider_ = BindProvider(name.c_str(), printer_);
    Require(provider_ != nullptr, "no provider bound to the sample's printer");
    Require(provider_->PublishPrintTicketHelperInterface(core) == S_OK, "helper refused");
}

BoundProvider::~BoundProvider()
{
    provider_->Release();
    ClosePrinter(printer_);
}

}  // namespace fuzz

// Once per process: the sample server, debug output quiet, COM started, the
// plug-in's resources; the conversions' dumps go to drive C: of a folder of
// the temporary directory.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *tmp = std::getenv("TMPDIR");
    setenv("STANDIN_DRIVE_ROOT", (std::string(tmp != nullptr ? tmp : "/tmp") + "/orvoui-fuzz-drives").c_str(), 0);
    gDebugLevel = DBG_ERROR;
    ghInstance = PluginResources();
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    standin::spooler::LoadSample();
    fuzz::gSampleJson = standin::spooler::ToJson();
    return 0;
}
