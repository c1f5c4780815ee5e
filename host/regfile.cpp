#include "host/regfile.h"

#include "host/text.h"
#include "platform/linux/crt/utf.h"

#include <string_view>
#include <unordered_map>

namespace host {

namespace {

using View = std::u16string_view;

constexpr char16_t kUnicodeHeader[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kAnsiHeader[] = u"REGEDIT4";

// Windows-1252 at 0x80..0x9F; the rest of its bytes are Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// 8-bit text: UTF-8 when all of it is, else the western ANSI code page.
std::u16string Widen8(const char *bytes, size_t size)
{
    std::u16string out;
    if (standin::utf::AppendUtf16(bytes, size, out))
        return out;
    out.clear();
    for (size_t i = 0; i < size; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        out.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c));
    }
    return out;
}

bool DecodeText(const std::string &bytes, std::u16string &text, std::string &error)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        if (bytes.size() % 2 != 0) {
            error = "the UTF-16 text is cut in the middle of a character";
            return false;
        }
        text.resize((bytes.size() - 2) / 2);
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(at(2 + 2 * i) | at(3 + 2 * i) << 8);
        return true;
    }
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        error = "UTF-16 big-endian text, which neither reg export nor regedit writes";
        return false;
    }
    size_t skip = bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF ? 3 : 0;
    text = Widen8(bytes.data() + skip, bytes.size() - skip);
    return true;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

View TrimLeft(View v)
{
    while (!v.empty() && IsBlank(v.front()))
        v.remove_prefix(1);
    return v;
}

View TrimRight(View v)
{
    while (!v.empty() && IsBlank(v.back()))
        v.remove_suffix(1);
    return v;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool StartsWithFolded(View v, View prefix)
{
    if (v.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (towlower(v[i]) != towlower(prefix[i]))
            return false;
    return true;
}

std::u16string Fold(View name)
{
    std::u16string key(name);
    for (char16_t &c : key)
        c = towlower(c);
    return key;
}

// A name or text of the file as a message shows it.
std::string Shown(View text) { return Printable(Utf8(std::u16string(text))); }

std::vector<BYTE> Utf16Bytes(View text)
{
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// The file's physical lines, numbered from 1, ends of line \r\n, \n or \r.
class Lines {
public:
    explicit Lines(const std::u16string &text) : text_(text) {}
    bool Next(View &line)
    {
        if (at_ >= text_.size())
            return false;
        size_t end = at_;
        while (end < text_.size() && text_[end] != u'\r' && text_[end] != u'\n')
            ++end;
        line = View(text_).substr(at_, end - at_);
        at_ = end;
        if (at_ < text_.size())
            at_ += text_[at_] == u'\r' && at_ + 1 < text_.size() && text_[at_ + 1] == u'\n' ? 2 : 1;
        ++number_;
        return true;
    }
    size_t Number() const { return number_; }

private:
    const std::u16string &text_;
    size_t at_ = 0;
    size_t number_ = 0;
};

class Reader {
public:
    Reader(const std::u16string &text, const std::function<bool(const std::u16string &)> &keep, RegExport &out)
        : lines_(text), keep_(keep), out_(out)
    {
    }

    bool Run(std::string &error)
    {
        View line;
        if (!lines_.Next(line)) {
            error = "empty: not a registry export";
            return false;
        }
        if (!ReadHeader(line))
            return Fail(error, "not a registry export: it does not begin with \"Windows Registry Editor Version "
                               "5.00\" or \"REGEDIT4\"");
        while (lines_.Next(line)) {
            if (line.find(u'\0') != View::npos)
                return Fail(error, "a NUL character, which an export's text does not hold");
            View body = TrimLeft(line);
            bool ok = true;
            if (body.empty() || body.front() == u';')
                continue;
            if (body.front() == u'[')
                ok = ReadKey(TrimRight(body));
            else if (body.front() == u'"' || body.front() == u'@')
                ok = ReadValue(body);
            else
                ok = Refuse("not a key, a value or a comment");
            if (!ok)
                return Fail(error, why_);
        }
        return true;
    }

private:
    bool Fail(std::string &error, const std::string &why)
    {
        error = "line " + std::to_string(lines_.Number()) + ": " + why;
        return false;
    }
    bool Refuse(std::string why)
    {
        why_ = std::move(why);
        return false;
    }

    bool ReadHeader(View line)
    {
        line = TrimRight(line);
        if (line == kUnicodeHeader) {
            out_.unicode = true;
            return true;
        }
        if (line == kAnsiHeader) {
            out_.unicode = false;
            return true;
        }
        return false;
    }

    bool ReadKey(View line)
    {
        if (line.size() < 2 || line.back() != u']')
            return Refuse("a key without its closing ']'");
        View path = line.substr(1, line.size() - 2);
        if (!path.empty() && path.front() == u'-')
            return Refuse("a key to delete ([-...]): an export holds no deletions, and an import makes none");
        for (const std::u16string &part : RegPathParts(std::u16string(path)))
            if (part.empty())
                return Refuse("the key path [" + Shown(path) + "] has an empty name");
        std::u16string folded = Fold(path);
        auto found = index_.find(folded);
        if (found == index_.end()) {
            found = index_.emplace(folded, out_.keys.size()).first;
            out_.keys.push_back({std::u16string(path), lines_.Number(), {}});
            valueIndex_.emplace_back();
        }
        key_ = found->second;
        keepKey_ = keep_(out_.keys[key_].path);
        return true;
    }

    // A quoted string from text[at] (the opening quote); `at` ends after
    // the closing one. Only \\ and \" are escapes.
    bool ReadQuoted(View text, size_t &at, std::u16string &out)
    {
        for (++at; at < text.size(); ++at) {
            char16_t c = text[at];
            if (c == u'"') {
                ++at;
                return true;
            }
            if (c == u'\\') {
                if (at + 1 >= text.size())
                    break;
                char16_t next = text[++at];
                if (next != u'\\' && next != u'"')
                    return Refuse("the escape \\" + Shown(text.substr(at, 1)) +
                                  " in a string: only \\\\ and \\\" are escapes");
                c = next;
            }
            out.push_back(c);
        }
        return Refuse("a string without its closing quote");
    }

    bool ReadValue(View line)
    {
        size_t firstLine = lines_.Number();
        RegValue value;
        value.line = firstLine;
        size_t at = 0;
        if (line.front() == u'@')
            at = 1;
        else if (!ReadQuoted(line, at, value.name))
            return false;
        View rest = TrimLeft(line.substr(at));
        if (rest.empty() || rest.front() != u'=')
            return Refuse("a value name without '=' after it");
        rest = TrimRight(TrimLeft(rest.substr(1)));
        if (key_ == kNoKey)
            return Refuse("a value before the first key");
        const std::string name = value.name.empty() ? "@" : "\"" + Shown(value.name) + "\"";

        bool fromHex = false;
        if (!rest.empty() && rest.front() == u'"') {
            std::u16string text;
            size_t end = 0;
            if (!ReadQuoted(rest, end, text))
                return false;
            if (end != rest.size())
                return Refuse("text after the string of " + name);
            value.type = REG_SZ;
            value.bytes = Utf16Bytes(text);
        } else if (rest == u"-") {
            return Refuse("a value to delete (" + name + "=-): an export holds no deletions, and an import makes none");
        } else if (StartsWithFolded(rest, u"dword:")) {
            View digits = rest.substr(6);
            DWORD number = 0;
            for (char16_t c : digits) {
                if (digits.size() != 8 || HexDigit(c) < 0)
                    return Refuse("the dword of " + name + " is not eight hex digits");
                number = number << 4 | static_cast<DWORD>(HexDigit(c));
            }
            if (digits.size() != 8)
                return Refuse("the dword of " + name + " is not eight hex digits");
            value.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                value.bytes.push_back(static_cast<BYTE>(number >> shift));
        } else if (StartsWithFolded(rest, u"hex")) {
            if (!ReadHex(rest.substr(3), name, value))
                return false;
            fromHex = true;
        } else {
            return Refuse("the data of " + name + " is neither a string, dword: nor hex:");
        }

        if (!keepKey_)
            return true;
        // A REGEDIT4 export writes the strings of hex(1), hex(2) and hex(7)
        // in the 8-bit code page; the registry holds them in UTF-16.
        if (!out_.unicode && fromHex &&
            (value.type == REG_SZ || value.type == kRegExpandSz || value.type == kRegMultiSz)) {
            std::u16string wide = Widen8(reinterpret_cast<const char *>(value.bytes.data()), value.bytes.size());
            value.bytes = Utf16Bytes(wide);
            value.bytes.resize(value.bytes.size() - 2);  // the 8-bit text brought its own terminator
        }
        if (value.bytes.size() > kMaxRegValueBytes)
            return Refuse("the value " + name + " holds " + std::to_string(value.bytes.size()) +
                          " bytes, more than a value of the print keys can (1 MB)");
        std::vector<RegValue> &values = out_.keys[key_].values;
        auto known = valueIndex_[key_].emplace(Fold(value.name), values.size());
        if (known.second)
            values.push_back(std::move(value));
        else
            values[known.first->second] = std::move(value);
        return true;
    }

    // "hex:" or "hex(N):" and the comma-separated bytes, each two hex
    // digits, over as many lines as end with a backslash.
    bool ReadHex(View spec, const std::string &name, RegValue &value)
    {
        value.type = REG_BINARY;
        if (!spec.empty() && spec.front() == u'(') {
            size_t close = spec.find(u')');
            if (close == View::npos || close < 2 || close > 9)
                return Refuse("the type of " + name + " is not hex(N) with N of one to eight hex digits");
            DWORD type = 0;
            for (char16_t c : spec.substr(1, close - 1)) {
                if (HexDigit(c) < 0)
                    return Refuse("the type of " + name + " is not hex(N) with N of one to eight hex digits");
                type = type << 4 | static_cast<DWORD>(HexDigit(c));
            }
            value.type = type;
            spec.remove_prefix(close + 1);
        }
        if (spec.empty() || spec.front() != u':')
            return Refuse("the data of " + name + " is neither a string, dword: nor hex:");
        View list = spec.substr(1);
        size_t count = 0;
        for (;;) {
            list = TrimRight(list);
            bool continued = !list.empty() && list.back() == u'\\';
            if (continued)
                list.remove_suffix(1);
            if (!ReadBytes(list, name, value, count, continued))
                return false;
            if (!continued)
                return true;
            View next;
            if (!lines_.Next(next))
                return Refuse("the hex data of " + name +
                              " is cut off: the file ends after a line continued with '\\'");
            if (next.find(u'\0') != View::npos)
                return Refuse("a NUL character, which an export's text does not hold");
            list = TrimLeft(next);
        }
    }

    // The bytes of one line of a hex list; `count` the bytes so far. Only
    // a continued line may end with the comma before its backslash.
    bool ReadBytes(View list, const std::string &name, RegValue &value, size_t &count, bool continued)
    {
        list = TrimLeft(list);
        if (list.empty() && (count == 0 || continued))
            return true;
        for (;;) {
            size_t comma = list.find(u',');
            View token = TrimRight(TrimLeft(list.substr(0, comma)));
            if (token.size() != 2 || HexDigit(token[0]) < 0 || HexDigit(token[1]) < 0)
                return Refuse("the hex data of " + name + " has \"" + Shown(token) +
                              "\" where a byte of two hex digits belongs");
            if (++count > kMaxRegValueBytes && keepKey_)
                return Refuse("the value " + name + " holds more than 1 MB, more than a value of the print keys can");
            if (keepKey_)
                value.bytes.push_back(static_cast<BYTE>(HexDigit(token[0]) << 4 | HexDigit(token[1])));
            if (comma == View::npos)
                return true;
            list = TrimLeft(list.substr(comma + 1));
            if (list.empty()) {
                if (continued)
                    return true;
                return Refuse("the hex data of " + name + " ends with ',': it is cut off");
            }
        }
    }

    static constexpr size_t kNoKey = static_cast<size_t>(-1);
    Lines lines_;
    const std::function<bool(const std::u16string &)> &keep_;
    RegExport &out_;
    std::unordered_map<std::u16string, size_t> index_;  // folded path -> key
    // Per key: folded value name -> value, so a key of many values reads in linear time.
    std::vector<std::unordered_map<std::u16string, size_t>> valueIndex_;
    size_t key_ = kNoKey;
    bool keepKey_ = false;
    std::string why_;
};

}  // namespace

bool ReadRegExport(const std::string &bytes, const std::function<bool(const std::u16string &)> &keep, RegExport &out,
                   std::string &error)
{
    out = RegExport{};
    if (static_cast<long long>(bytes.size()) > kMaxExportBytes) {
        error = "larger than an export can be (16 MB)";
        return false;
    }
    std::u16string text;
    if (!DecodeText(bytes, text, error))
        return false;
    Reader reader(text, keep, out);
    if (reader.Run(error))
        return true;
    out = RegExport{};
    return false;
}

std::vector<std::u16string> RegPathParts(const std::u16string &path)
{
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = path.find(u'\\', start);
        parts.push_back(path.substr(start, slash == std::u16string::npos ? std::u16string::npos : slash - start));
        if (slash == std::u16string::npos)
            return parts;
        start = slash + 1;
    }
}

bool SameRegName(const std::u16string &a, const std::u16string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i]))
            return false;
    return true;
}

std::string RegTypeName(DWORD type)
{
    static const char *const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    if (type < sizeof(kNames) / sizeof(kNames[0]))
        return kNames[type];
    return "type " + std::to_string(type);
}

}  // namespace host
