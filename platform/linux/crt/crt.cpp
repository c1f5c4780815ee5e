// The CRT and Win32 string functions of the Linux stand-in, with MSVC's
// meaning. One printf formatter, a template over the character type, serves
// the wide and the narrow functions alike.
#include "platform/linux/crt/crt.h"
#include "platform/linux/crt/collate.h"

#include "platform/linux/crt/utf.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <utility>

// ---- UTF-8 and UTF-16 -------------------------------------------------------

namespace standin::utf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code point. An invalid or cut sequence gives U+FFFD and consumes only
// its longest valid beginning, as the platform's decoder does; the bounds of
// the second byte exclude overlong forms, surrogates and values past U+10FFFF.
char32_t decodeUtf8(const unsigned char *s, size_t n, size_t &i, bool &bad)
{
    unsigned char lead = s[i++];
    if (lead < 0x80)
        return lead;
    int extra;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        bad = true;
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k, lo = 0x80, hi = 0xBF) {
        if (i >= n || s[i] < lo || s[i] > hi) {
            bad = true;
            return kReplacement;
        }
        cp = (cp << 6) | (s[i++] & 0x3F);
    }
    return cp;
}

char32_t decodeUtf16(const char16_t *s, size_t n, size_t &i, bool &bad)
{
    char32_t unit = s[i++];
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
        return 0x10000 + ((unit - 0xD800) << 10) + (s[i++] - 0xDC00);
    bad = true;
    return kReplacement;
}

void appendUtf8(char32_t cp, std::string &out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(char32_t cp, std::u16string &out)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
        return;
    }
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

}  // namespace

// How many units from s on are ASCII: whole blocks are tested at once (a
// loop the compiler vectorises), the block with the first other unit one
// by one.
template <typename Unit>
size_t asciiRun(const Unit *s, size_t n)
{
    constexpr size_t kBlock = 16;
    size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        unsigned high = 0;
        for (size_t k = 0; k < kBlock; ++k)
            high |= static_cast<unsigned>(s[i + k]);
        if (high >= 0x80)
            break;
    }
    while (i < n && static_cast<unsigned>(s[i]) < 0x80)
        ++i;
    return i;
}

void widen(const unsigned char *from, size_t n, char16_t *to)
{
    for (size_t i = 0; i < n; ++i)
        to[i] = from[i];
}

void narrow(const char16_t *from, size_t n, char *to)
{
    for (size_t i = 0; i < n; ++i)
        to[i] = static_cast<char>(from[i]);
}

// Both directions copy runs of ASCII, the bulk of XML text, unit for unit
// into room made once; only the other characters are decoded one by one.
bool AppendUtf16(const char *s, size_t n, std::u16string &out)
{
    bool bad = false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(s);
    // Never more units than bytes.
    out.reserve(out.size() + n);
    for (size_t i = 0; i < n;) {
        size_t run = asciiRun(bytes + i, n - i);
        if (run > 0) {
            size_t at = out.size();
            out.resize(at + run);
            widen(bytes + i, run, &out[at]);
            i += run;
            continue;
        }
        appendUtf16(decodeUtf8(bytes, n, i, bad), out);
    }
    return !bad;
}

bool AppendUtf8(const char16_t *s, size_t n, std::string &out)
{
    bool bad = false;
    out.reserve(out.size() + n);
    for (size_t i = 0; i < n;) {
        size_t run = asciiRun(s + i, n - i);
        if (run > 0) {
            size_t at = out.size();
            out.resize(at + run);
            narrow(s + i, run, &out[at]);
            i += run;
            continue;
        }
        appendUtf8(decodeUtf16(s, n, i, bad), out);
    }
    return !bad;
}

}  // namespace standin::utf

// ---- The formatter ------------------------------------------------------------

namespace {

using standin::utf::AppendUtf16;
using standin::utf::AppendUtf8;

// The argument list travels by reference, so nested helpers share one
// position whatever va_list is on the ABI.
struct Args {
    va_list ap;
};

// Argument sizes as MSVC reads them: long is 32 bits, I and z are the
// pointer's width.
enum class Size { Default, Char, Short, Long, Int64, Pointer, LongDouble, Wide };

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    size_t width = 0;
    int precision = -1;  // -1: none given
    Size size = Size::Default;
    char conv = 0;  // 0: missing or not ASCII, an invalid conversion
};

// Stores what fits in cap units and counts everything, so one pass both
// fills a buffer and measures the text.
template <typename Ch>
class Sink {
public:
    Sink(Ch *buffer, size_t cap) : buffer_(buffer), cap_(cap) {}
    void put(Ch c)
    {
        if (len_ < cap_)
            buffer_[len_] = c;
        ++len_;
    }
    void fill(char c, size_t n)
    {
        for (; n > 0 && len_ < cap_; --n)
            buffer_[len_++] = static_cast<Ch>(c);
        len_ += n;
    }
    template <typename Src>
    void write(const Src *s, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            put(static_cast<Ch>(s[i]));
    }
    size_t length() const { return len_; }

private:
    Ch *buffer_;
    size_t cap_;
    size_t len_ = 0;
};

// Prefix (sign, 0x), zeros, body, padded with blanks to the width.
template <typename Ch, typename B>
void emitField(Sink<Ch> &out, const Spec &spec, const std::string &prefix, size_t zeros, const B *body, size_t bodyLen)
{
    size_t len = prefix.size() + zeros + bodyLen;
    size_t pad = spec.width > len ? spec.width - len : 0;
    if (spec.zero && !spec.left) {
        zeros += pad;
        pad = 0;
    }
    if (!spec.left)
        out.fill(' ', pad);
    out.write(prefix.data(), prefix.size());
    out.fill('0', zeros);
    out.write(body, bodyLen);
    if (spec.left)
        out.fill(' ', pad);
}

int64_t readSigned(Args &a, Size size)
{
    switch (size) {
    case Size::Char:
        return static_cast<signed char>(va_arg(a.ap, int));
    case Size::Short:
        return static_cast<short>(va_arg(a.ap, int));
    case Size::Int64:
        return va_arg(a.ap, long long);
    case Size::Pointer:
        return va_arg(a.ap, ptrdiff_t);
    default:
        return va_arg(a.ap, int);
    }
}

uint64_t readUnsigned(Args &a, Size size)
{
    switch (size) {
    case Size::Char:
        return static_cast<unsigned char>(va_arg(a.ap, unsigned));
    case Size::Short:
        return static_cast<unsigned short>(va_arg(a.ap, unsigned));
    case Size::Int64:
        return va_arg(a.ap, unsigned long long);
    case Size::Pointer:
        return va_arg(a.ap, size_t);
    default:
        return va_arg(a.ap, unsigned);
    }
}

std::string toDigits(uint64_t value, unsigned base, bool upper)
{
    const char *digits = upper ? "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" : "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string text;
    do {
        text += digits[value % base];
        value /= base;
    } while (value != 0);
    std::reverse(text.begin(), text.end());
    return text;
}

template <typename Ch>
void emitInteger(Sink<Ch> &out, Spec spec, uint64_t magnitude, std::string prefix)
{
    unsigned base = spec.conv == 'o' ? 8 : (spec.conv == 'x' || spec.conv == 'X') ? 16 : 10;
    std::string digits = toDigits(magnitude, base, spec.conv == 'X');
    if (spec.precision == 0 && magnitude == 0)
        digits.clear();
    // MSVC, like C, gives no 0x for a zero value.
    if (spec.alt && base == 16 && magnitude != 0)
        prefix = spec.conv == 'X' ? "0X" : "0x";
    size_t zeros = spec.precision > static_cast<int>(digits.size()) ? spec.precision - digits.size() : 0;
    if (spec.alt && base == 8 && zeros == 0 && (digits.empty() || digits[0] != '0'))
        zeros = 1;
    if (spec.precision >= 0)
        spec.zero = false;
    emitField(out, spec, prefix, zeros, digits.data(), digits.size());
}

template <typename Ch>
void formatInteger(Sink<Ch> &out, const Spec &spec, Args &a)
{
    if (spec.conv != 'd' && spec.conv != 'i') {
        emitInteger(out, spec, readUnsigned(a, spec.size), "");
        return;
    }
    int64_t value = readSigned(a, spec.size);
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const char *sign = value < 0 ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    emitInteger(out, spec, magnitude, sign);
}

// MSVC prints a pointer as upper-case hex digits at the pointer's width.
template <typename Ch>
void formatPointer(Sink<Ch> &out, Spec spec, Args &a)
{
    auto value = reinterpret_cast<uintptr_t>(va_arg(a.ap, void *));
    spec.conv = 'X';
    spec.precision = std::max(spec.precision, static_cast<int>(2 * sizeof(void *)));
    emitInteger(out, spec, value, "");
}

// Whether a %c or %s argument is wide: h and l name the width outright;
// otherwise lower case takes the format's own width and upper case the other.
bool wideArgument(const Spec &spec, bool wideFormat)
{
    if (spec.size == Size::Long || spec.size == Size::Wide)
        return true;
    if (spec.size == Size::Short || spec.size == Size::Char)
        return false;
    bool upper = spec.conv == 'C' || spec.conv == 'S';
    return upper != wideFormat;
}

void appendText(std::u16string &out, const char16_t *s, size_t n) { out.append(s, n); }
void appendText(std::u16string &out, const char *s, size_t n) { AppendUtf16(s, n, out); }
void appendText(std::string &out, const char *s, size_t n) { out.append(s, n); }
void appendText(std::string &out, const char16_t *s, size_t n) { AppendUtf8(s, n, out); }

// Where a text cut to at most `limit` units may end without splitting a
// character.
size_t cutPoint(const std::string &s, size_t limit)
{
    while (limit > 0 && (static_cast<unsigned char>(s[limit]) & 0xC0) == 0x80)
        --limit;
    return limit;
}
size_t cutPoint(const std::u16string &s, size_t limit)
{
    return (limit > 0 && s[limit - 1] >= 0xD800 && s[limit - 1] <= 0xDBFF) ? limit - 1 : limit;
}

template <typename Src>
size_t boundedLength(const Src *s, size_t limit)
{
    size_t n = 0;
    while (n < limit && s[n] != 0)
        ++n;
    return n;
}

template <typename Ch, typename Src>
void appendArgument(std::basic_string<Ch> &text, const Src *s, size_t limit)
{
    if (s == nullptr)
        appendText(text, "(null)", 6);
    else
        appendText(text, s, boundedLength(s, limit));
}

template <typename Ch>
void formatString(Sink<Ch> &out, const Spec &spec, Args &a)
{
    // A precision bounds the units read as well as those written: the
    // argument need not be terminated then.
    size_t limit = spec.precision < 0 ? SIZE_MAX : static_cast<size_t>(spec.precision);
    std::basic_string<Ch> text;
    if (wideArgument(spec, sizeof(Ch) == 2))
        appendArgument(text, va_arg(a.ap, const char16_t *), limit);
    else
        appendArgument(text, va_arg(a.ap, const char *), limit);
    if (text.size() > limit)
        text.resize(cutPoint(text, limit));
    emitField(out, spec, "", 0, text.data(), text.size());
}

template <typename Ch>
void formatChar(Sink<Ch> &out, const Spec &spec, Args &a)
{
    int value = va_arg(a.ap, int);
    std::basic_string<Ch> text;
    if (wideArgument(spec, sizeof(Ch) == 2)) {
        char16_t c = static_cast<char16_t>(value);
        appendText(text, &c, 1);
    } else {
        char c = static_cast<char>(value);
        appendText(text, &c, 1);
    }
    emitField(out, spec, "", 0, text.data(), text.size());
}

// The digits come from the C library; the flags, width and precision are
// already resolved and passed through *.
template <typename Ch>
void formatFloat(Sink<Ch> &out, const Spec &spec, Args &a)
{
    std::string format = "%";
    for (auto [on, flag] :
         {std::pair{spec.left, '-'}, {spec.plus, '+'}, {spec.space, ' '}, {spec.alt, '#'}, {spec.zero, '0'}})
        if (on)
            format += flag;
    format += spec.size == Size::LongDouble ? "*.*L" : "*.*";
    format += spec.conv;
    int width = static_cast<int>(std::min<size_t>(spec.width, INT_MAX));
    std::string text;
    auto print = [&](auto value) {
        int n = std::snprintf(nullptr, 0, format.c_str(), width, spec.precision, value);
        if (n <= 0)
            return;
        text.resize(static_cast<size_t>(n) + 1);
        std::snprintf(&text[0], text.size(), format.c_str(), width, spec.precision, value);
        text.resize(static_cast<size_t>(n));
    };
    if (spec.size == Size::LongDouble)
        print(va_arg(a.ap, long double));
    else
        print(va_arg(a.ap, double));
    out.write(text.data(), text.size());
}

template <typename Ch>
int parseNumber(const Ch *&p)
{
    int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (*p - '0');
    return value;
}

template <typename Ch>
const Ch *parseSize(const Ch *p, Size &size)
{
    switch (*p) {
    case 'h':
        size = p[1] == 'h' ? Size::Char : Size::Short;
        return p + (p[1] == 'h' ? 2 : 1);
    case 'l':
        size = p[1] == 'l' ? Size::Int64 : Size::Long;
        return p + (p[1] == 'l' ? 2 : 1);
    case 'w':
        size = Size::Wide;
        return p + 1;
    case 'L':
        size = Size::LongDouble;
        return p + 1;
    case 'j':
    case 'q':
        size = Size::Int64;
        return p + 1;
    case 'z':
    case 't':
        size = Size::Pointer;
        return p + 1;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            size = Size::Int64;
            return p + 3;
        }
        if (p[1] == '3' && p[2] == '2') {
            size = Size::Long;
            return p + 3;
        }
        size = Size::Pointer;
        return p + 1;
    default:
        return p;
    }
}

// Reads one conversion after its %; * takes its value from the arguments.
template <typename Ch>
const Ch *parseSpec(const Ch *p, Spec &spec, Args &a)
{
    for (;; ++p) {
        if (*p == '-')
            spec.left = true;
        else if (*p == '+')
            spec.plus = true;
        else if (*p == ' ')
            spec.space = true;
        else if (*p == '#')
            spec.alt = true;
        else if (*p == '0')
            spec.zero = true;
        else
            break;
    }
    if (*p == '*') {
        int width = va_arg(a.ap, int);
        spec.left = spec.left || width < 0;
        spec.width = width < 0 ? 0 - static_cast<size_t>(width) : static_cast<size_t>(width);
        ++p;
    } else {
        spec.width = static_cast<size_t>(parseNumber(p));
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            int precision = va_arg(a.ap, int);
            spec.precision = precision < 0 ? -1 : precision;
            ++p;
        } else {
            spec.precision = parseNumber(p);
        }
    }
    p = parseSize(p, spec.size);
    if (*p == 0)
        return p;
    auto unit = static_cast<std::make_unsigned_t<Ch>>(*p);
    spec.conv = unit < 0x80 ? static_cast<char>(unit) : 0;
    return p + 1;
}

template <typename Ch>
void formatOne(Sink<Ch> &out, const Spec &spec, Args &a)
{
    switch (spec.conv) {
    case 'd':
    case 'i':
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        formatInteger(out, spec, a);
        break;
    case 'p':
        formatPointer(out, spec, a);
        break;
    case 'c':
    case 'C':
        formatChar(out, spec, a);
        break;
    case 's':
    case 'S':
        formatString(out, spec, a);
        break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        formatFloat(out, spec, a);
        break;
    case '%':
        out.put('%');
        break;
    // %n is disabled, as in MSVC: its pointer is passed over and nothing is stored.
    case 'n':
        (void)va_arg(a.ap, void *);
        break;
    default:
        break;  // an invalid conversion writes nothing
    }
}

// Formats into at most cap units (no terminator) and returns the length of
// the whole text.
template <typename Ch>
size_t formatTo(Ch *buffer, size_t cap, const Ch *format, va_list args)
{
    Sink<Ch> out(buffer, cap);
    Args a;
    va_copy(a.ap, args);
    for (const Ch *p = format; *p != 0;) {
        if (*p != '%') {
            out.put(*p++);
            continue;
        }
        Spec spec;
        p = parseSpec(p + 1, spec, a);
        formatOne(out, spec, a);
    }
    va_end(a.ap);
    return out.length();
}

int toInt(size_t n) { return n > INT_MAX ? -1 : static_cast<int>(n); }

// The rules of MSVC's _vsnprintf_s family. count _TRUNCATE, or a count
// below the buffer size, cuts the text and returns -1; a count at or above
// the size (the vsprintf_s forms) empties the buffer when the text does not
// fit.
template <typename Ch>
int formatSecure(Ch *buffer, size_t size, size_t count, const Ch *format, va_list args)
{
    if (buffer == nullptr && size == 0 && count == 0)
        return 0;
    if (buffer == nullptr || size == 0 || format == nullptr) {
        if (buffer != nullptr && size != 0)
            buffer[0] = 0;
        errno = EINVAL;
        return -1;
    }
    bool cuts = count == _TRUNCATE || count < size;
    size_t cap = count < size ? count : size - 1;
    size_t n = formatTo(buffer, cap, format, args);
    if (n <= cap) {
        buffer[n] = 0;
        return toInt(n);
    }
    if (cuts) {
        buffer[cap] = 0;
        return -1;
    }
    buffer[0] = 0;
    errno = ERANGE;
    return -1;
}

template <typename Ch>
int formatCount(const Ch *format, va_list args)
{
    if (format == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return toInt(formatTo<Ch>(nullptr, 0, format, args));
}

}  // namespace

int vswprintf_s(WCHAR *buffer, size_t sizeInWords, const WCHAR *format, va_list args)
{
    return formatSecure(buffer, sizeInWords, sizeInWords, format, args);
}

int swprintf_s(WCHAR *buffer, size_t sizeInWords, const WCHAR *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = formatSecure(buffer, sizeInWords, sizeInWords, format, args);
    va_end(args);
    return n;
}

int _vsnwprintf_s(WCHAR *buffer, size_t sizeInWords, size_t count, const WCHAR *format, va_list args)
{
    return formatSecure(buffer, sizeInWords, count, format, args);
}

int _snwprintf_s(WCHAR *buffer, size_t sizeInWords, size_t count, const WCHAR *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = formatSecure(buffer, sizeInWords, count, format, args);
    va_end(args);
    return n;
}

int _vsnprintf_s(char *buffer, size_t sizeOfBuffer, size_t count, const char *format, va_list args)
{
    return formatSecure(buffer, sizeOfBuffer, count, format, args);
}

int _snprintf_s(char *buffer, size_t sizeOfBuffer, size_t count, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = formatSecure(buffer, sizeOfBuffer, count, format, args);
    va_end(args);
    return n;
}

int sprintf_s(char *buffer, size_t sizeOfBuffer, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int n = formatSecure(buffer, sizeOfBuffer, sizeOfBuffer, format, args);
    va_end(args);
    return n;
}

int _vscwprintf(const WCHAR *format, va_list args) { return formatCount(format, args); }
int _vscprintf(const char *format, va_list args) { return formatCount(format, args); }

// ---- Numbers ------------------------------------------------------------------

namespace {

bool isBlank(WCHAR c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

int digitValue(WCHAR c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// wcstol as MSVC has it: long is 32 bits, so results saturate there.
long parseLong(const WCHAR *s, WCHAR **end, int base)
{
    const WCHAR *p = s;
    while (isBlank(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = *p == '0' ? 8 : 10;
    }
    if (base < 2 || base > 36) {
        errno = EINVAL;
        base = 0;  // reads no digit
    }
    const WCHAR *digits = p;
    uint64_t value = 0;
    for (; digitValue(*p) < base; ++p)
        value = std::min<uint64_t>(value * base + digitValue(*p), uint64_t(1) << 32);
    if (end != nullptr)
        *end = const_cast<WCHAR *>(p == digits ? s : p);
    uint64_t limit = negative ? uint64_t(1) << 31 : INT32_MAX;
    if (value > limit) {
        errno = ERANGE;
        return negative ? INT32_MIN : INT32_MAX;
    }
    return negative ? -static_cast<long>(value) : static_cast<long>(value);
}

}  // namespace

int _wtoi(const WCHAR *str) { return str ? static_cast<int>(parseLong(str, nullptr, 10)) : 0; }
long _wtol(const WCHAR *str) { return str ? parseLong(str, nullptr, 10) : 0; }
long wcstol(const WCHAR *str, WCHAR **end, int base) { return parseLong(str, end, base); }

double wcstod(const WCHAR *str, WCHAR **end)
{
    const WCHAR *p = str;
    while (isBlank(*p))
        ++p;
    // A number is ASCII; strtod reads the ASCII run and says where it stopped.
    std::string ascii;
    for (const WCHAR *q = p; *q != 0 && *q < 0x80; ++q)
        ascii += static_cast<char>(*q);
    char *stop = nullptr;
    double value = std::strtod(ascii.c_str(), &stop);
    size_t used = static_cast<size_t>(stop - ascii.c_str());
    if (end != nullptr)
        *end = const_cast<WCHAR *>(used == 0 ? str : p + used);
    return value;
}

double _wtof(const WCHAR *str) { return str ? wcstod(str, nullptr) : 0.0; }

// ---- Wide strings ---------------------------------------------------------------

size_t wcslen(const WCHAR *s) { return std::char_traits<WCHAR>::length(s); }

size_t wcsnlen(const WCHAR *s, size_t maxCount) { return boundedLength(s, maxCount); }

int wcscmp(const WCHAR *a, const WCHAR *b)
{
    for (; *a == *b; ++a, ++b)
        if (*a == 0)
            return 0;
    return *a < *b ? -1 : 1;
}

int wcsncmp(const WCHAR *a, const WCHAR *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0)
            break;
    }
    return 0;
}

int _wcsicmp(const WCHAR *a, const WCHAR *b) { return _wcsnicmp(a, b, SIZE_MAX); }

int _wcsnicmp(const WCHAR *a, const WCHAR *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        WCHAR ca = towlower(a[i]), cb = towlower(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return 0;
}

WCHAR *wcscpy(WCHAR *dst, const WCHAR *src)
{
    std::char_traits<WCHAR>::copy(dst, src, wcslen(src) + 1);
    return dst;
}

WCHAR *wcsncpy(WCHAR *dst, const WCHAR *src, size_t n)
{
    size_t len = wcsnlen(src, n);
    std::char_traits<WCHAR>::copy(dst, src, len);
    std::fill(dst + len, dst + n, WCHAR(0));
    return dst;
}

WCHAR *wcscat(WCHAR *dst, const WCHAR *src)
{
    wcscpy(dst + wcslen(dst), src);
    return dst;
}

const WCHAR *wcschr(const WCHAR *s, WCHAR c)
{
    for (;; ++s) {
        if (*s == c)
            return s;
        if (*s == 0)
            return nullptr;
    }
}
WCHAR *wcschr(WCHAR *s, WCHAR c) { return const_cast<WCHAR *>(wcschr(static_cast<const WCHAR *>(s), c)); }

const WCHAR *wcsrchr(const WCHAR *s, WCHAR c)
{
    const WCHAR *found = nullptr;
    for (;; ++s) {
        if (*s == c)
            found = s;
        if (*s == 0)
            return found;
    }
}
WCHAR *wcsrchr(WCHAR *s, WCHAR c) { return const_cast<WCHAR *>(wcsrchr(static_cast<const WCHAR *>(s), c)); }

const WCHAR *wcsstr(const WCHAR *s, const WCHAR *sub)
{
    size_t n = wcslen(sub);
    for (; *s != 0; ++s)
        if (wcsncmp(s, sub, n) == 0)
            return s;
    return n == 0 ? s : nullptr;
}
WCHAR *wcsstr(WCHAR *s, const WCHAR *sub) { return const_cast<WCHAR *>(wcsstr(static_cast<const WCHAR *>(s), sub)); }

// ---- Secure copies ------------------------------------------------------------------

namespace {

// The MSVC rules of strncpy_s and its relatives: a missing destination is
// EINVAL; on any other failure the destination is emptied.
template <typename Ch>
errno_t copySecure(Ch *dst, size_t size, const Ch *src, size_t count)
{
    if (count == 0 && dst == nullptr && size == 0)
        return 0;
    if (dst == nullptr || size == 0)
        return EINVAL;
    if (src == nullptr && count != 0) {
        dst[0] = 0;
        return EINVAL;
    }
    size_t len = count == 0 ? 0 : boundedLength(src, count == _TRUNCATE ? size : count);
    if (len >= size) {
        if (count != _TRUNCATE) {
            dst[0] = 0;
            return ERANGE;
        }
        std::char_traits<Ch>::copy(dst, src, size - 1);
        dst[size - 1] = 0;
        return STRUNCATE;
    }
    std::char_traits<Ch>::copy(dst, src, len);
    dst[len] = 0;
    return 0;
}

template <typename Ch>
errno_t appendSecure(Ch *dst, size_t size, const Ch *src)
{
    if (dst == nullptr || size == 0)
        return EINVAL;
    size_t used = boundedLength(dst, size);
    if (src == nullptr || used == size) {
        dst[0] = 0;
        return EINVAL;
    }
    errno_t result = copySecure(dst + used, size - used, src, SIZE_MAX - 1);
    if (result != 0)
        dst[0] = 0;
    return result;
}

}  // namespace

errno_t wcscpy_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src)
{
    return copySecure(dst, sizeInWords, src, SIZE_MAX - 1);
}
errno_t wcsncpy_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src, size_t count)
{
    return copySecure(dst, sizeInWords, src, count);
}
errno_t wcscat_s(WCHAR *dst, size_t sizeInWords, const WCHAR *src) { return appendSecure(dst, sizeInWords, src); }
errno_t strcpy_s(char *dst, size_t size, const char *src) { return copySecure(dst, size, src, SIZE_MAX - 1); }
errno_t strncpy_s(char *dst, size_t size, const char *src, size_t count) { return copySecure(dst, size, src, count); }
errno_t strcat_s(char *dst, size_t size, const char *src) { return appendSecure(dst, size, src); }

errno_t memcpy_s(void *dst, size_t dstSize, const void *src, size_t count)
{
    if (count == 0)
        return 0;
    if (dst == nullptr)
        return EINVAL;
    if (src == nullptr || dstSize < count) {
        std::memset(dst, 0, dstSize);
        return src == nullptr ? EINVAL : ERANGE;
    }
    std::memcpy(dst, src, count);
    return 0;
}

errno_t _itow_s(int value, WCHAR *buffer, size_t sizeInWords, int radix)
{
    if (buffer == nullptr || sizeInWords == 0)
        return EINVAL;
    if (radix < 2 || radix > 36) {
        buffer[0] = 0;
        return EINVAL;
    }
    // Only base 10 has a sign; other bases show the bits.
    bool negative = radix == 10 && value < 0;
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::string digits = (negative ? "-" : "") + toDigits(magnitude, radix, false);
    if (digits.size() >= sizeInWords) {
        buffer[0] = 0;
        return ERANGE;
    }
    std::copy(digits.begin(), digits.end(), buffer);
    buffer[digits.size()] = 0;
    return 0;
}

// ---- Case ------------------------------------------------------------------------

namespace {

// Upper-case letters and the distance to their lower case: Latin-1, Latin
// Extended-A (step 2: upper and lower alternate), Greek and Cyrillic.
struct CaseRange {
    char16_t first, last, step, delta;
};
constexpr CaseRange kUpperRanges[] = {
    {0x41, 0x5A, 1, 32},   {0xC0, 0xD6, 1, 32},   {0xD8, 0xDE, 1, 32},   {0x100, 0x12E, 2, 1},
    {0x132, 0x136, 2, 1},  {0x139, 0x147, 2, 1},  {0x14A, 0x176, 2, 1},  {0x179, 0x17D, 2, 1},
    {0x391, 0x3A1, 1, 32}, {0x3A3, 0x3AB, 1, 32}, {0x400, 0x40F, 1, 80}, {0x410, 0x42F, 1, 32},
};
constexpr WCHAR kUpperYDiaeresis = 0x178, kLowerYDiaeresis = 0xFF;

}  // namespace

WCHAR towlower(WCHAR c)
{
    for (const CaseRange &r : kUpperRanges)
        if (c >= r.first && c <= r.last && (c - r.first) % r.step == 0)
            return static_cast<WCHAR>(c + r.delta);
    return c == kUpperYDiaeresis ? kLowerYDiaeresis : c;
}

WCHAR towupper(WCHAR c)
{
    for (const CaseRange &r : kUpperRanges)
        if (c >= r.first + r.delta && c <= r.last + r.delta && (c - r.first - r.delta) % r.step == 0)
            return static_cast<WCHAR>(c - r.delta);
    return c == kLowerYDiaeresis ? kUpperYDiaeresis : c;
}

// ---- Win32 strings -----------------------------------------------------------------

namespace {

// The first-level weight of the word sort: symbols, then digits, then
// letters, each case-folded; other scripts sort as letters by code.
uint32_t sortWeight(WCHAR c)
{
    WCHAR folded = towlower(c);
    uint32_t group = (folded >= '0' && folded <= '9') ? 1 : (folded >= 'a' && folded <= 'z') || folded >= 0x80 ? 2 : 0;
    return group << 16 | folded;
}

// Case-insensitive first; on a tie the first case difference decides,
// lower case first, unless case is ignored.
int compareWords(const WCHAR *a, const WCHAR *b, bool ignoreCase)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : a == nullptr ? -1 : 1;
    int caseOrder = 0;
    for (size_t i = 0;; ++i) {
        if (a[i] == 0 || b[i] == 0) {
            if (a[i] != b[i])
                return a[i] == 0 ? -1 : 1;
            break;
        }
        uint32_t wa = sortWeight(a[i]), wb = sortWeight(b[i]);
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (caseOrder == 0 && a[i] != b[i])
            caseOrder = a[i] == towlower(a[i]) ? -1 : 1;
    }
    return ignoreCase ? 0 : caseOrder;
}

}  // namespace

namespace standin::crt {

std::u32string WordSortKey(const WCHAR *text)
{
    std::u32string key;
    for (size_t i = 0; text != nullptr && text[i] != 0; ++i)
        key += static_cast<char32_t>(sortWeight(text[i]));
    return key;
}

}  // namespace standin::crt

extern "C" {

int WINAPI lstrlenW(LPCWSTR lpString) { return lpString ? toInt(wcslen(lpString)) : 0; }
int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? toInt(std::strlen(lpString)) : 0; }

LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength)
{
    if (lpString1 == nullptr || lpString2 == nullptr)
        return nullptr;
    if (iMaxLength <= 0)
        return lpString1;
    size_t len = boundedLength(lpString2, static_cast<size_t>(iMaxLength) - 1);
    std::char_traits<WCHAR>::copy(lpString1, lpString2, len);
    lpString1[len] = 0;
    return lpString1;
}

LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2)
{
    return lpString1 && lpString2 ? wcscpy(lpString1, lpString2) : nullptr;
}

LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2)
{
    return lpString1 && lpString2 ? wcscat(lpString1, lpString2) : nullptr;
}

int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) { return compareWords(lpString1, lpString2, false); }
int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) { return compareWords(lpString1, lpString2, true); }

}  // extern "C"

// ---- Code pages ------------------------------------------------------------------

namespace {

// The ANSI and OEM code pages of the stand-in are UTF-8. The flags of
// CP_UTF8 are checked as the platform does; those given with CP_ACP are
// ignored, since callers pass MB_PRECOMPOSED and the like for the ANSI
// code pages of real systems.
bool checkCodePage(UINT codePage, DWORD flags, DWORD utf8Flags)
{
    if (codePage != CP_ACP && codePage != CP_OEMCP && codePage != CP_UTF8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (codePage == CP_UTF8 && (flags & ~utf8Flags) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return false;
    }
    return true;
}

bool checkBuffers(const void *src, int srcCount, const void *dst, int dstCount)
{
    if (src == nullptr || srcCount == 0 || srcCount < -1 || dstCount < 0 || (dstCount > 0 && dst == nullptr) ||
        src == dst) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// The size protocol: size 0 asks for the size; a text that does not fit
// is ERROR_INSUFFICIENT_BUFFER.
template <typename Ch>
int deliver(const std::basic_string<Ch> &text, Ch *dst, int size)
{
    if (text.size() > INT_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (size == 0)
        return static_cast<int>(text.size());
    if (text.size() > static_cast<size_t>(size)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(text.begin(), text.end(), dst);
    return static_cast<int>(text.size());
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    if (standin::ShouldFail("MultiByteToWideChar"))
        return 0;
    if (!checkCodePage(CodePage, dwFlags, MB_ERR_INVALID_CHARS) ||
        !checkBuffers(lpMultiByteStr, cbMultiByte, lpWideCharStr, cchWideChar))
        return 0;
    // -1: the text is terminated, and the terminator is converted too.
    size_t n = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    std::u16string text;
    if (!AppendUtf16(lpMultiByteStr, n, text) && (dwFlags & MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return deliver(text, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar)
{
    if (standin::ShouldFail("WideCharToMultiByte"))
        return 0;
    if (!checkCodePage(CodePage, dwFlags, WC_ERR_INVALID_CHARS) ||
        !checkBuffers(lpWideCharStr, cchWideChar, lpMultiByteStr, cbMultiByte))
        return 0;
    // CP_UTF8 takes no default character; the ANSI code page accepts one
    // but never needs it.
    if (CodePage == CP_UTF8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = cchWideChar == -1 ? wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    std::string text;
    bool valid = AppendUtf8(lpWideCharStr, n, text);
    if (!valid && (dwFlags & WC_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (lpUsedDefaultChar != nullptr)
        *lpUsedDefaultChar = FALSE;
    return deliver(text, lpMultiByteStr, cbMultiByte);
}

}  // extern "C"
