// The print server's state as JSON: drivers, forms and printers with every
// field, byte fields (DEVMODE, printer data) as lower-case hex. The reader
// takes only what the writer writes and says where a state goes wrong; a
// state is installed only once all of it has been read and checked.
#include "platform/linux/spooler/state.h"

#include "platform/linux/crt/utf.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <new>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace standin::spooler {
namespace {

using Json = nlohmann::ordered_json;
using detail::State;

constexpr const char *kFormat = "orvo-print-server";
constexpr int kFormatVersion = 1;

// ---- Writing --------------------------------------------------------------

std::string utf8(const std::u16string &text)
{
    std::string out;
    utf::AppendUtf8(text.data(), text.size(), out);
    return out;
}

std::string hex(const std::vector<BYTE> &bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (BYTE b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

std::string versionText(DWORDLONG v)
{
    return std::to_string(v >> 48 & 0xFFFF) + "." + std::to_string(v >> 32 & 0xFFFF) + "." +
           std::to_string(v >> 16 & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

Json driverJson(const DriverConfig &d)
{
    Json papers = Json::array();
    for (const auto &name : d.papers)
        papers.push_back(utf8(name));
    return {{"name", utf8(d.name)},
            {"version", versionText(d.version)},
            {"minWidth", d.minWidth},
            {"maxWidth", d.maxWidth},
            {"papers", papers}};
}

Json formJson(const FormConfig &f)
{
    const RECTL &a = f.imageableArea;
    return {{"name", utf8(f.name)}, {"flags", f.flags},    {"paper", f.paper},
            {"width", f.size.cx},   {"length", f.size.cy}, {"imageableArea", {a.left, a.top, a.right, a.bottom}}};
}

Json bidiJson(const BidiReply &b)
{
    return {{"answers", b.answers}, {"data", hex(b.data)}, {"error", b.error}, {"delay", b.delay}};
}

Json printerJson(const PrinterConfig &p)
{
    Json data = Json::array();
    for (const DataValue &v : p.data)
        data.push_back({{"name", utf8(v.name)}, {"type", v.type}, {"bytes", hex(v.bytes)}});
    return {{"name", utf8(p.name)},
            {"port", utf8(p.port)},
            {"driver", utf8(p.driver)},
            {"attributes", p.attributes},
            {"comment", utf8(p.comment)},
            {"location", utf8(p.location)},
            {"shareName", utf8(p.shareName)},
            {"datatype", utf8(p.datatype)},
            {"refuseFullAccess", p.refuseFullAccess},
            {"devmode", hex(p.devmode)},
            {"data", data},
            {"bidi", bidiJson(p.bidi)}};
}

Json stateJson(const State &state)
{
    Json drivers = Json::array(), forms = Json::array(), printers = Json::array();
    for (const DriverConfig &d : state.drivers)
        drivers.push_back(driverJson(d));
    for (const FormConfig &f : state.forms)
        forms.push_back(formJson(f));
    for (const PrinterConfig &p : state.printers)
        printers.push_back(printerJson(p));
    return {
        {"format", kFormat}, {"version", kFormatVersion}, {"nextPaperNumber", state.nextPaper}, {"drivers", drivers},
        {"forms", forms},    {"printers", printers}};
}

// ---- Reading --------------------------------------------------------------

// Thrown inside this file only: the reader's way out with a message.
struct BadState {
    std::string why;
};

[[noreturn]] void bad(const std::string &where, const std::string &what) { throw BadState{where + ": " + what}; }

const Json &field(const Json &object, const char *key, const std::string &where)
{
    if (!object.is_object())
        bad(where, "is not an object");
    auto it = object.find(key);
    if (it == object.end())
        bad(where, std::string("has no \"") + key + "\"");
    return *it;
}

std::u16string asText(const Json &value, const std::string &where)
{
    if (!value.is_string())
        bad(where, "is not a string");
    const auto &s = value.get_ref<const std::string &>();
    std::u16string out;
    if (!utf::AppendUtf16(s.data(), s.size(), out))
        bad(where, "is not valid UTF-8");
    return out;
}

int64_t asInteger(const Json &value, const std::string &where, int64_t min, int64_t max)
{
    if (!value.is_number_integer())
        bad(where, "is not an integer");
    bool huge = value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX);
    int64_t n = huge ? INT64_MAX : value.get<int64_t>();
    if (n < min || n > max)
        bad(where, "is out of range");
    return n;
}

std::string member(const std::string &where, const char *key) { return where + "." + key; }

std::u16string text(const Json &object, const char *key, const std::string &where)
{
    return asText(field(object, key, where), member(where, key));
}

int64_t integer(const Json &object, const char *key, const std::string &where, int64_t min, int64_t max)
{
    return asInteger(field(object, key, where), member(where, key), min, max);
}

LONG longValue(const Json &object, const char *key, const std::string &where)
{
    return static_cast<LONG>(integer(object, key, where, INT32_MIN, INT32_MAX));
}

DWORD dword(const Json &object, const char *key, const std::string &where)
{
    return static_cast<DWORD>(integer(object, key, where, 0, UINT32_MAX));
}

const Json &array(const Json &object, const char *key, const std::string &where)
{
    const Json &value = field(object, key, where);
    if (!value.is_array())
        bad(where, std::string("\"") + key + "\" is not an array");
    return value;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::vector<BYTE> bytes(const Json &object, const char *key, const std::string &where)
{
    const Json &value = field(object, key, where);
    if (!value.is_string())
        bad(where, std::string("\"") + key + "\" is not a hex string");
    const auto &s = value.get_ref<const std::string &>();
    if (s.size() % 2 != 0)
        bad(where, std::string("\"") + key + "\" has an odd number of hex digits");
    std::vector<BYTE> out;
    for (size_t i = 0; i < s.size(); i += 2) {
        int high = hexDigit(s[i]), low = hexDigit(s[i + 1]);
        if (high < 0 || low < 0)
            bad(where, std::string("\"") + key + "\" is not a hex string");
        out.push_back(static_cast<BYTE>(high << 4 | low));
    }
    return out;
}

// "major.minor.build.revision", each 0..65535.
DWORDLONG version(const Json &object, const std::string &where)
{
    std::string s = utf8(text(object, "version", where));
    DWORDLONG v = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        size_t end = s.find('.', at);
        std::string digits = s.substr(at, end == std::string::npos ? std::string::npos : end - at);
        bool last = part == 3;
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(digits) > 0xFFFF || (end == std::string::npos) != last)
            bad(where, "\"version\" is not major.minor.build.revision");
        v = v << 16 | std::stoul(digits);
        at = end + 1;
    }
    return v;
}

std::string at(const std::string &what, size_t index) { return what + "[" + std::to_string(index) + "]"; }

DriverConfig readDriver(const Json &j, const std::string &where)
{
    DriverConfig d;
    d.name = text(j, "name", where);
    d.version = version(j, where);
    d.minWidth = longValue(j, "minWidth", where);
    d.maxWidth = longValue(j, "maxWidth", where);
    const Json &papers = array(j, "papers", where);
    for (size_t i = 0; i < papers.size(); ++i) {
        d.papers.push_back(asText(papers[i], at(where + ".papers", i)));
    }
    return d;
}

FormConfig readForm(const Json &j, const std::string &where)
{
    FormConfig f;
    f.name = text(j, "name", where);
    f.flags = dword(j, "flags", where);
    f.paper = static_cast<WORD>(integer(j, "paper", where, 0, 0xFFFF));
    f.size = {longValue(j, "width", where), longValue(j, "length", where)};
    const Json &area = array(j, "imageableArea", where);
    if (area.size() != 4)
        bad(where, "\"imageableArea\" is not [left, top, right, bottom]");
    LONG edge[4];
    for (size_t i = 0; i < 4; ++i)
        edge[i] = static_cast<LONG>(asInteger(area[i], at(where + ".imageableArea", i), INT32_MIN, INT32_MAX));
    f.imageableArea = {edge[0], edge[1], edge[2], edge[3]};
    return f;
}

BidiReply readBidi(const Json &j, const std::string &where)
{
    BidiReply b;
    const Json &answers = field(j, "answers", where);
    if (!answers.is_boolean())
        bad(where, "\"answers\" is not true or false");
    b.answers = answers.get<bool>();
    b.data = bytes(j, "data", where);
    b.error = static_cast<HRESULT>(integer(j, "error", where, INT32_MIN, INT32_MAX));
    b.delay = dword(j, "delay", where);
    return b;
}

PrinterConfig readPrinter(const Json &j, const std::string &where)
{
    PrinterConfig p;
    p.name = text(j, "name", where);
    p.port = text(j, "port", where);
    p.driver = text(j, "driver", where);
    p.attributes = dword(j, "attributes", where);
    p.comment = text(j, "comment", where);
    p.location = text(j, "location", where);
    p.shareName = text(j, "shareName", where);
    p.datatype = text(j, "datatype", where);
    const Json &refuse = field(j, "refuseFullAccess", where);
    if (!refuse.is_boolean())
        bad(where, "\"refuseFullAccess\" is not true or false");
    p.refuseFullAccess = refuse.get<bool>();
    p.devmode = bytes(j, "devmode", where);
    const Json &data = array(j, "data", where);
    for (size_t i = 0; i < data.size(); ++i) {
        std::string item = at(where + ".data", i);
        p.data.push_back({text(data[i], "name", item), dword(data[i], "type", item), bytes(data[i], "bytes", item)});
    }
    // States saved before the printers had bidi ports have none: their
    // ports do not answer.
    if (j.contains("bidi"))
        p.bidi = readBidi(j["bidi"], member(where, "bidi"));
    return p;
}

State readState(const Json &j)
{
    if (!j.is_object() || !j.contains("format") || j["format"] != kFormat)
        bad("state", std::string("is not a print server state (\"format\" is not \"") + kFormat + "\")");
    if (integer(j, "version", "state", 0, INT32_MAX) != kFormatVersion)
        bad("state", "has a version this server does not read");
    State state;
    state.nextPaper = static_cast<WORD>(integer(j, "nextPaperNumber", "state", kFirstUserPaper, kLastPaper + 1));
    const Json &drivers = array(j, "drivers", "state");
    for (size_t i = 0; i < drivers.size(); ++i)
        state.drivers.push_back(readDriver(drivers[i], at("drivers", i)));
    const Json &forms = array(j, "forms", "state");
    for (size_t i = 0; i < forms.size(); ++i)
        state.forms.push_back(readForm(forms[i], at("forms", i)));
    const Json &printers = array(j, "printers", "state");
    for (size_t i = 0; i < printers.size(); ++i)
        state.printers.push_back(readPrinter(printers[i], at("printers", i)));
    return state;
}

// ---- Files ----------------------------------------------------------------

bool setError(std::string *error, const std::string &why)
{
    if (error != nullptr)
        *error = why;
    return false;
}

std::string folderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string ToJson()
{
    detail::Server &s = detail::server();
    std::lock_guard<std::mutex> guard(s.lock);
    return stateJson(detail::Snapshot(s)).dump(2) + "\n";
}

bool FromJson(const std::string &text, std::string *error)
{
    State state;
    try {
        state = readState(Json::parse(text));
    } catch (const BadState &e) {
        return setError(error, e.why);
    } catch (const std::bad_alloc &) {
        return setError(error, "state is too large to hold in memory");
    } catch (const std::exception &e) {
        return setError(error, std::string("state is not JSON: ") + e.what());
    }
    std::string why;
    if (!detail::ValidState(state, why))
        return setError(error, "state: " + why);
    detail::Server &s = detail::server();
    std::lock_guard<std::mutex> guard(s.lock);
    detail::Install(s, std::move(state));
    return true;
}

bool SaveJson(const std::string &path, std::string *error)
{
    std::string text = ToJson();
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return setError(error, "cannot save " + path + ": " + std::strerror(errno));
    bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    int why = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        why = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return setError(error, "cannot save " + path + ": " + std::strerror(why));
    }
    // The rename itself reaches the disk with the folder.
    int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool LoadJson(const std::string &path, std::string *error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return setError(error, "cannot read " + path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        return setError(error, "cannot read " + path);
    std::string why;
    if (!FromJson(text.str(), &why))
        return setError(error, path + ": " + why);
    return true;
}

}  // namespace standin::spooler
