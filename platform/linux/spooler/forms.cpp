// The server's form store behind GetFormW, AddFormW, SetFormW and
// DeleteFormW, and the paper lists that DeviceCapabilitiesW builds from it.
//
// Forms are server-wide: the printer handle only says which server, and
// any handle of it reaches every form. Names compare without regard to
// case, as the platform compares them. Changing the store needs a handle
// with the right to manage the printer (PRINTER_ACCESS_ADMINISTER, part of
// PRINTER_ALL_ACCESS). Only user forms can be changed or deleted: the
// standard (builtin) forms are the server's, a driver's own (printer) forms
// the driver's. The platform documents no error for such calls (the print
// protocol leaves further validation to the server); the stand-in answers
// them with ERROR_INVALID_PARAMETER, the print protocol's answer to a form
// request it does not accept.
#include "platform/linux/spooler/pack.h"
#include "platform/linux/spooler/state.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

using standin::spooler::DriverConfig;
using standin::spooler::FormConfig;
using standin::spooler::kLastPaper;
using standin::spooler::PrinterConfig;
using namespace standin::spooler::detail;

namespace {

constexpr size_t kPaperNameUnits = 64;  // one DC_PAPERNAMES slot

bool validSize(const FORM_INFO_1W &info) { return info.Size.cx > 0 && info.Size.cy > 0; }

bool fits(const DriverConfig &driver, const FormConfig &form)
{
    return form.size.cx >= driver.minWidth && form.size.cx <= driver.maxWidth;
}

// The name cut to its 64-unit slot and zero-filled; a name of 64 units or
// more fills the slot without a terminator.
void writePaperName(WCHAR *slot, const std::u16string &name)
{
    size_t n = std::min(name.size(), kPaperNameUnits);
    std::memcpy(slot, name.data(), n * sizeof(WCHAR));
    std::fill(slot + n, slot + kPaperNameUnits, WCHAR(0));
}

void writePapers(const std::vector<const FormConfig *> &papers, WORD capability, void *out)
{
    for (size_t i = 0; i < papers.size(); ++i) {
        const FormConfig &form = *papers[i];
        if (capability == DC_PAPERNAMES) {
            writePaperName(static_cast<WCHAR *>(out) + i * kPaperNameUnits, form.name);
        } else if (capability == DC_PAPERS) {
            static_cast<WORD *>(out)[i] = form.paper;
        } else {
            // POINT {width, length} in tenths of a millimetre.
            LONG *point = static_cast<LONG *>(out) + 2 * i;
            point[0] = form.size.cx / 100;
            point[1] = form.size.cy / 100;
        }
    }
}

// The handle of a form change: a printer's, opened to manage it. Null with
// the last error set otherwise.
Handle *ManagingHandle(Server &s, HANDLE hPrinter)
{
    Handle *handle = nullptr;
    if (PrinterOf(s, hPrinter, &handle) == nullptr)
        return nullptr;
    if (!MayManage(*handle)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return handle;
}

}  // namespace

namespace standin::spooler::detail {

std::vector<const FormConfig *> OfferedPapers(Server &s, const PrinterConfig &printer)
{
    std::vector<const FormConfig *> papers;
    const DriverConfig *driver = FindDriver(s, printer.driver);
    if (driver == nullptr)
        return papers;
    // Which forms of the store are offered already, by their place in it.
    std::vector<bool> offered(s.forms.size(), false);
    auto offer = [&](const FormConfig &form) {
        size_t at = static_cast<size_t>(&form - s.forms.data());
        if (!offered[at]) {
            offered[at] = true;
            papers.push_back(&form);
        }
    };
    // A driver names a paper or two: each is looked up in the store. A
    // driver that names many gets them through one index of the store.
    constexpr size_t kLookupsWithoutIndex = 8;
    if (driver->papers.size() <= kLookupsWithoutIndex) {
        for (const auto &name : driver->papers)
            if (const FormConfig *form = FindForm(s, name))
                offer(*form);
    } else {
        // Names are unique, so each folded name has one form.
        std::unordered_map<std::u16string, const FormConfig *> byName;
        byName.reserve(s.forms.size());
        for (const FormConfig &form : s.forms)
            byName.emplace(FoldName(form.name), &form);
        for (const auto &name : driver->papers) {
            auto found = byName.find(FoldName(name));
            if (found != byName.end())
                offer(*found->second);
        }
    }
    for (const FormConfig &form : s.forms)
        if (fits(*driver, form))
            offer(form);
    return papers;
}

}  // namespace standin::spooler::detail

extern "C" {

BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded)
{
    if (standin::ShouldFail("GetFormW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (PrinterOf(s, hPrinter) == nullptr)
        return FALSE;
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    if (pFormName == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    if (pcbNeeded == nullptr)
        return Fail(RPC_X_NULL_REF_POINTER);
    const FormConfig *form = FindForm(s, FromWide(pFormName));
    if (form == nullptr)
        return Fail(ERROR_INVALID_FORM_NAME);
    return PackReply(pForm, cbBuf, pcbNeeded, [&](Packer &k) {
        FORM_INFO_1W *info = k.Struct<FORM_INFO_1W>();
        WCHAR *name = k.String(form->name);
        if (info == nullptr)
            return;
        info->Flags = form->flags;
        info->pName = name;
        info->Size = form->size;
        info->ImageableArea = form->imageableArea;
    });
}

// A user form, or a driver's own form (FORM_PRINTER); the standard forms
// are the server's own. The form gets the next unused paper number.
BOOL WINAPI AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm)
{
    if (standin::ShouldFail("AddFormW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (ManagingHandle(s, hPrinter) == nullptr)
        return FALSE;
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    if (pForm == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    const auto *info = reinterpret_cast<const FORM_INFO_1W *>(pForm);
    std::u16string name = FromWide(info->pName);
    if (name.empty() || (info->Flags != FORM_USER && info->Flags != FORM_PRINTER) || !validSize(*info))
        return Fail(ERROR_INVALID_PARAMETER);
    if (FindForm(s, name) != nullptr)
        return Fail(ERROR_FILE_EXISTS);
    if (s.nextPaper > kLastPaper)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);  // every paper number has been given out
    s.forms.push_back({name, info->Flags, info->Size, info->ImageableArea, s.nextPaper++});
    ++s.changes;
    return !standin::ShouldFailAfterWriting("AddFormW");
}

// Changes size and imageable area. The form keeps its name (pName of the
// record is not read), its kind and its paper number.
BOOL WINAPI SetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm)
{
    if (standin::ShouldFail("SetFormW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (ManagingHandle(s, hPrinter) == nullptr)
        return FALSE;
    if (Level != 1)
        return Fail(ERROR_INVALID_LEVEL);
    if (pFormName == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    FormConfig *form = FindForm(s, FromWide(pFormName));
    if (form == nullptr)
        return Fail(ERROR_INVALID_FORM_NAME);
    const auto *info = reinterpret_cast<const FORM_INFO_1W *>(pForm);
    if (info == nullptr || !validSize(*info) || form->flags != FORM_USER)
        return Fail(ERROR_INVALID_PARAMETER);
    const RECTL &area = info->ImageableArea, &was = form->imageableArea;
    if (form->size.cx != info->Size.cx || form->size.cy != info->Size.cy || was.left != area.left ||
        was.top != area.top || was.right != area.right || was.bottom != area.bottom)
        ++s.changes;
    form->size = info->Size;
    form->imageableArea = info->ImageableArea;
    return !standin::ShouldFailAfterWriting("SetFormW");
}

// Its paper number is not given out again.
BOOL WINAPI DeleteFormW(HANDLE hPrinter, LPWSTR pFormName)
{
    if (standin::ShouldFail("DeleteFormW"))
        return FALSE;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (ManagingHandle(s, hPrinter) == nullptr)
        return FALSE;
    if (pFormName == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    FormConfig *form = FindForm(s, FromWide(pFormName));
    if (form == nullptr)
        return Fail(ERROR_INVALID_FORM_NAME);
    if (form->flags != FORM_USER)
        return Fail(ERROR_INVALID_PARAMETER);
    s.forms.erase(s.forms.begin() + (form - s.forms.data()));
    ++s.changes;
    return !standin::ShouldFailAfterWriting("DeleteFormW");
}

// The papers of the printer named pDevice, from its driver and the form
// store (OfferedPapers). The port and the DEVMODE do not change the answer.
// Only the three paper capabilities are answered; any other one fails.
int WINAPI DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR pPort, WORD fwCapability, LPWSTR pOutput,
                               const DEVMODEW *pDevMode)
{
    UNREFERENCED_PARAMETER(pPort);
    UNREFERENCED_PARAMETER(pDevMode);
    if (standin::ShouldFail("DeviceCapabilitiesW"))
        return -1;
    if (pDevice == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (fwCapability != DC_PAPERNAMES && fwCapability != DC_PAPERS && fwCapability != DC_PAPERSIZE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return -1;
    }
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    const Printer *p = FindPrinter(s, FromWide(pDevice));
    if (p == nullptr) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return -1;
    }
    std::vector<const FormConfig *> papers = OfferedPapers(s, p->config);
    if (pOutput != nullptr)
        writePapers(papers, fwCapability, pOutput);
    return static_cast<int>(papers.size());
}

}  // extern "C"
