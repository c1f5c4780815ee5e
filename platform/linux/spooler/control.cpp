// The stand-in print server itself: the one server object, the lookups the
// winspool calls share, the checks of a configuration, and the controls of
// server.h that tests and the host use instead of handles.
#include "platform/linux/spooler/state.h"

#include "platform/linux/crt/crt.h"
#include "platform/linux/crt/utf.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <unordered_set>

static_assert(sizeof(DEVMODEW) == 220, "the public DEVMODEW is 220 bytes");

namespace standin::spooler {
namespace detail {

Server &server()
{
    // Never destroyed: handles and other threads may outlive static cleanup.
    static auto *instance = new Server;
    return *instance;
}

bool SameName(const std::u16string &a, const std::u16string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i]))
            return false;
    return true;
}

std::u16string FoldName(const std::u16string &name)
{
    std::u16string key(name);
    for (char16_t &c : key)
        c = static_cast<char16_t>(towlower(c));
    return key;
}

std::u16string FromWide(const WCHAR *text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

Printer *FindPrinter(Server &s, const std::u16string &name)
{
    for (Printer &p : s.printers)
        if (SameName(p.config.name, name))
            return &p;
    return nullptr;
}

DriverConfig *FindDriver(Server &s, const std::u16string &name)
{
    for (DriverConfig &d : s.drivers)
        if (SameName(d.name, name))
            return &d;
    return nullptr;
}

FormConfig *FindForm(Server &s, const std::u16string &name)
{
    for (FormConfig &f : s.forms)
        if (SameName(f.name, name))
            return &f;
    return nullptr;
}

// ---- Checks ---------------------------------------------------------------

namespace {

std::string utf8(const std::u16string &text)
{
    std::string out;
    utf::AppendUtf8(text.data(), text.size(), out);
    return out;
}

bool refuse(std::string &error, std::string why)
{
    error = std::move(why);
    return false;
}

// The first pair (i, j), i < j, in the order a double loop over items meets
// it, whose keys are equal: the smallest i that has a later duplicate, with
// its first one. Found in one pass over a hash of the keys.
template <typename T, typename Key, typename Hash = std::hash<Key>>
bool firstDuplicate(const std::vector<T> &items, const std::function<Key(const T &)> &key, size_t &first,
                    size_t &second)
{
    std::unordered_map<Key, std::pair<size_t, size_t>, Hash> seen;  // first, second index
    seen.reserve(items.size());
    bool found = false;
    for (size_t j = 0; j < items.size(); ++j) {
        auto entry = seen.emplace(key(items[j]), std::make_pair(j, j));
        std::pair<size_t, size_t> &at = entry.first->second;
        if (entry.second || at.second != at.first)
            continue;
        at.second = j;
        if (!found || at.first < first) {
            first = at.first;
            second = j;
            found = true;
        }
    }
    return found;
}

template <typename T>
bool uniqueNames(const std::vector<T> &items, const std::u16string &(*name)(const T &), const char *what,
                 std::string &error)
{
    size_t i = 0, j = 0;
    if (firstDuplicate<T, std::u16string>(
            items, [name](const T &item) { return FoldName(name(item)); }, i, j))
        return refuse(error, std::string("two ") + what + " named \"" + utf8(name(items[j])) + "\"");
    return true;
}

// A name as a message may show it: control characters as \uXXXX, so a
// name read from a file never writes them to a terminal.
std::string shown(const std::u16string &name)
{
    std::string out;
    size_t run = 0;  // start of the text not yet written
    for (size_t i = 0; i <= name.size(); ++i) {
        bool control = i < name.size() && (name[i] < 0x20 || (name[i] >= 0x7F && name[i] < 0xA0));
        if (i < name.size() && !control)
            continue;
        utf::AppendUtf8(name.data() + run, i - run, out);
        run = i + 1;
        if (control) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", static_cast<unsigned>(name[i]));
            out += escaped;
        }
    }
    return out;
}

// Names are what users and tools pick printers, forms and values by; none
// of the platform's holds a control character (U+0000 included).
bool plainName(const std::u16string &name, const char *what, std::string &error)
{
    for (char16_t c : name)
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            return refuse(error, std::string(what) + " name \"" + shown(name) + "\" has a control character");
    return true;
}
const std::u16string &dataName(const DataValue &v) { return v.name; }
const std::u16string &driverName(const DriverConfig &d) { return d.name; }
const std::u16string &formName(const FormConfig &f) { return f.name; }
const std::u16string &printerName(const PrinterConfig &p) { return p.name; }

WORD readWord(const std::vector<BYTE> &bytes, size_t offset)
{
    return static_cast<WORD>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

bool ValidDevMode(const std::vector<BYTE> &devmode, std::string &error)
{
    if (devmode.empty())
        return true;
    if (devmode.size() < sizeof(DEVMODEW))
        return refuse(error, "DEVMODE of " + std::to_string(devmode.size()) + " bytes is shorter than 220");
    WORD size = readWord(devmode, offsetof(DEVMODEW, dmSize));
    WORD extra = readWord(devmode, offsetof(DEVMODEW, dmDriverExtra));
    if (size != sizeof(DEVMODEW))
        return refuse(error, "DEVMODE dmSize is " + std::to_string(size) + ", not 220");
    if (devmode.size() != size + size_t(extra))
        return refuse(error, "DEVMODE has " + std::to_string(devmode.size()) +
                                 " bytes, its dmSize and dmDriverExtra say " + std::to_string(size + extra));
    return true;
}

bool ValidPrinter(const PrinterConfig &c, std::string &error)
{
    if (!plainName(c.name, "printer", error))
        return false;
    if (c.name.empty() || c.name.find_first_of(u",\\") != std::u16string::npos)
        return refuse(error, "printer name \"" + utf8(c.name) + "\" is empty or has ',' or '\\'");
    std::string who = "printer \"" + utf8(c.name) + "\": ";
    if (c.port.empty() || c.driver.empty())
        return refuse(error, who + "needs a port and a driver");
    if (!ValidDevMode(c.devmode, error)) {
        error = who + error;
        return false;
    }
    for (const DataValue &value : c.data) {
        if (value.name.empty())
            return refuse(error, who + "a data value has no name");
        if (!plainName(value.name, "data value", error)) {
            error = who + error;
            return false;
        }
    }
    if (!uniqueNames(c.data, dataName, "data values", error)) {
        error = who + error;
        return false;
    }
    return true;
}

bool ValidForm(const FormConfig &f, std::string &error)
{
    std::string who = "form \"" + utf8(f.name) + "\": ";
    if (f.name.empty())
        return refuse(error, "a form has no name");
    if (!plainName(f.name, "form", error))
        return false;
    if (f.flags != FORM_USER && f.flags != FORM_BUILTIN && f.flags != FORM_PRINTER)
        return refuse(error, who + "flags " + std::to_string(f.flags) + " are not a form kind");
    if (f.size.cx <= 0 || f.size.cy <= 0)
        return refuse(error, who + "size is not positive");
    if (f.paper == 0 || f.paper > kLastPaper)
        return refuse(error, who + "paper number " + std::to_string(f.paper) + " is out of range");
    return true;
}

bool ValidState(const State &state, std::string &error)
{
    for (const DriverConfig &d : state.drivers) {
        if (!plainName(d.name, "driver", error))
            return false;
        if (d.name.empty() || d.minWidth > d.maxWidth)
            return refuse(error, "driver \"" + utf8(d.name) + "\" has no name or its widths are reversed");
    }
    if (!uniqueNames(state.drivers, driverName, "drivers", error))
        return false;
    for (const FormConfig &f : state.forms)
        if (!ValidForm(f, error))
            return false;
    if (!uniqueNames(state.forms, formName, "forms", error))
        return false;
    size_t i = 0, j = 0;
    if (firstDuplicate<FormConfig, WORD>(
            state.forms, [](const FormConfig &f) { return f.paper; }, i, j))
        return refuse(error, "forms \"" + utf8(state.forms[i].name) + "\" and \"" + utf8(state.forms[j].name) +
                                 "\" have the same paper number");
    std::unordered_set<std::u16string> drivers;
    drivers.reserve(state.drivers.size());
    for (const DriverConfig &d : state.drivers)
        drivers.insert(FoldName(d.name));
    for (const PrinterConfig &p : state.printers) {
        if (!ValidPrinter(p, error))
            return false;
        if (drivers.count(FoldName(p.driver)) == 0)
            return refuse(error, "printer \"" + utf8(p.name) + "\": no driver \"" + utf8(p.driver) + "\"");
    }
    return uniqueNames(state.printers, printerName, "printers", error);
}

// ---- Whole states ---------------------------------------------------------

State Snapshot(Server &s)
{
    State state;
    state.drivers = s.drivers;
    state.forms = s.forms;
    for (const Printer &p : s.printers)
        state.printers.push_back(p.config);
    state.nextPaper = s.nextPaper;
    return state;
}

// The jobs go with the server they were printed on; job ids keep counting.
void Install(Server &s, State state)
{
    s.drivers = std::move(state.drivers);
    s.forms = std::move(state.forms);
    s.printers.clear();
    for (PrinterConfig &config : state.printers)
        s.printers.push_back({s.nextPrinterId++, std::move(config)});
    // A number once given out stays taken, even by a state that forgot it.
    WORD next = std::max(state.nextPaper, kFirstUserPaper);
    for (const FormConfig &f : s.forms)
        if (f.paper >= next)
            next = static_cast<WORD>(f.paper + 1);
    s.nextPaper = next;
    s.jobs.clear();
    s.bidiExchanges.clear();
    s.bidiTimeout = kDefaultBidiTimeout;
    ++s.changes;
}

}  // namespace detail

using namespace detail;

namespace {

// Runs f(printer) on the named printer under the lock; false when none.
template <typename F>
bool withPrinter(const std::u16string &name, F f)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = FindPrinter(s, name);
    return p != nullptr && f(*p);
}

void ensureDriver(Server &s, const std::u16string &name)
{
    if (FindDriver(s, name) == nullptr)
        s.drivers.push_back(ModelDriver(name));
}

}  // namespace

void Reset()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Install(s, State{});
}

void LoadSample()
{
    State sample = SampleState();
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Install(s, std::move(sample));
}

bool AddPrinter(const PrinterConfig &config)
{
    std::string error;
    if (!ValidPrinter(config, error))
        return false;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (FindPrinter(s, config.name) != nullptr)
        return false;
    ensureDriver(s, config.driver);
    s.printers.push_back({s.nextPrinterId++, config});
    ++s.changes;
    return true;
}

bool UpdatePrinter(const std::u16string &name, const PrinterConfig &config)
{
    std::string error;
    if (!ValidPrinter(config, error))
        return false;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = FindPrinter(s, name);
    Printer *namesake = FindPrinter(s, config.name);
    if (p == nullptr || (namesake != nullptr && namesake != p))
        return false;
    ensureDriver(s, config.driver);
    p->config = config;
    ++s.changes;
    return true;
}

bool RemovePrinter(const std::u16string &name)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    Printer *p = FindPrinter(s, name);
    if (p == nullptr)
        return false;
    s.printers.erase(s.printers.begin() + (p - s.printers.data()));
    ++s.changes;
    return true;
}

bool GetPrinter(const std::u16string &name, PrinterConfig &out)
{
    return withPrinter(name, [&](Printer &p) {
        out = p.config;
        return true;
    });
}

std::vector<std::u16string> PrinterNames()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<std::u16string> names;
    for (const Printer &p : s.printers)
        names.push_back(p.config.name);
    return names;
}

bool SetData(const std::u16string &printer, const std::u16string &value, DWORD type, const std::vector<BYTE> &bytes)
{
    if (value.empty())
        return false;
    return withPrinter(printer, [&](Printer &p) {
        for (DataValue &v : p.config.data) {
            if (SameName(v.name, value)) {
                if (v.type != type || v.bytes != bytes)
                    ++server().changes;
                v.type = type;
                v.bytes = bytes;
                return true;
            }
        }
        p.config.data.push_back({value, type, bytes});
        ++server().changes;
        return true;
    });
}

bool GetData(const std::u16string &printer, const std::u16string &value, DataValue &out)
{
    return withPrinter(printer, [&](Printer &p) {
        for (const DataValue &v : p.config.data) {
            if (SameName(v.name, value)) {
                out = v;
                return true;
            }
        }
        return false;
    });
}

bool RemoveData(const std::u16string &printer, const std::u16string &value)
{
    return withPrinter(printer, [&](Printer &p) {
        auto &data = p.config.data;
        auto it = std::find_if(data.begin(), data.end(), [&](const DataValue &v) { return SameName(v.name, value); });
        if (it == data.end())
            return false;
        data.erase(it);
        ++server().changes;
        return true;
    });
}

std::vector<BYTE> DefaultDevMode(const std::u16string &printer)
{
    std::vector<BYTE> devmode;
    withPrinter(printer, [&](Printer &p) {
        devmode = p.config.devmode;
        return true;
    });
    return devmode;
}

bool SetDefaultDevMode(const std::u16string &printer, const std::vector<BYTE> &devmode)
{
    std::string error;
    if (!ValidDevMode(devmode, error))
        return false;
    return withPrinter(printer, [&](Printer &p) {
        if (p.config.devmode != devmode)
            ++server().changes;
        p.config.devmode = devmode;
        return true;
    });
}

bool SetRefuseFullAccess(const std::u16string &printer, bool refuse)
{
    return withPrinter(printer, [&](Printer &p) {
        if (p.config.refuseFullAccess != refuse)
            ++server().changes;
        p.config.refuseFullAccess = refuse;
        return true;
    });
}

bool AddDriver(const DriverConfig &config)
{
    if (config.name.empty() || config.minWidth > config.maxWidth)
        return false;
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    if (DriverConfig *existing = FindDriver(s, config.name))
        *existing = config;
    else
        s.drivers.push_back(config);
    ++s.changes;
    return true;
}

bool GetDriver(const std::u16string &name, DriverConfig &out)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    const DriverConfig *d = FindDriver(s, name);
    if (d != nullptr)
        out = *d;
    return d != nullptr;
}

bool SetDriverVersion(const std::u16string &driver, DWORDLONG version)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    DriverConfig *d = FindDriver(s, driver);
    if (d != nullptr && d->version != version) {
        d->version = version;
        ++s.changes;
    }
    return d != nullptr;
}

bool AddForm(const FormConfig &form)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    FormConfig added = form;
    if (added.paper == 0) {
        if (s.nextPaper > kLastPaper)
            return false;
        added.paper = s.nextPaper;
    }
    std::string error;
    if (!ValidForm(added, error) || FindForm(s, added.name) != nullptr)
        return false;
    if (std::any_of(s.forms.begin(), s.forms.end(), [&](const FormConfig &f) { return f.paper == added.paper; }))
        return false;
    if (added.paper >= s.nextPaper)
        s.nextPaper = static_cast<WORD>(added.paper + 1);
    s.forms.push_back(added);
    ++s.changes;
    return true;
}

bool RemoveForm(const std::u16string &name)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    FormConfig *f = FindForm(s, name);
    if (f == nullptr)
        return false;
    s.forms.erase(s.forms.begin() + (f - s.forms.data()));
    ++s.changes;
    return true;
}

unsigned long long Changes()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.changes;
}

std::vector<FormConfig> Forms()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.forms;
}

std::vector<BYTE> MakeDefaultDevMode(const std::u16string &printer, const std::u16string &driver,
                                     const std::u16string &form)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    const FormConfig *f = FindForm(s, form);
    if (f == nullptr)
        return {};
    const DriverConfig *d = FindDriver(s, driver);
    return BuildDevMode(printer, d != nullptr ? *d : ModelDriver(driver), *f);
}

std::vector<BYTE> MakeDefaultDevMode(const std::u16string &printer, const std::u16string &form)
{
    std::u16string driver;
    {
        Server &s = server();
        std::lock_guard<std::mutex> guard(s.lock);
        const Printer *p = FindPrinter(s, printer);
        if (p == nullptr)
            return {};
        driver = p->config.driver;
    }
    return MakeDefaultDevMode(printer, driver, form);
}

std::vector<JobRecord> Jobs()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.jobs;
}

void ClearJobs()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    s.jobs.clear();
}

// ---- Bidi ports -------------------------------------------------------------

std::vector<BYTE> RibbonStatus(BYTE type, BYTE widthMm)
{
    std::vector<BYTE> block(16, 0);
    block[0] = 0x1A;
    block[1] = 0x40;
    block[8] = type;
    block[15] = widthMm;
    return block;
}

BidiReply AnswerWith(std::vector<BYTE> data, DWORD delay)
{
    BidiReply reply;
    reply.answers = true;
    reply.data = std::move(data);
    reply.delay = delay;
    return reply;
}

bool SetBidiReply(const std::u16string &printer, const BidiReply &reply)
{
    return withPrinter(printer, [&](Printer &p) {
        p.config.bidi = reply;
        ++server().changes;
        return true;
    });
}

std::vector<BidiExchange> BidiExchanges()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.bidiExchanges;
}

void ClearBidiExchanges()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    s.bidiExchanges.clear();
}

void SetBidiTimeout(DWORD milliseconds)
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    s.bidiTimeout = milliseconds;
}

DWORD BidiTimeout()
{
    Server &s = server();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.bidiTimeout;
}

}  // namespace standin::spooler
