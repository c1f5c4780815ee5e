#include "host/text.h"

#include "platform/win32.h"

#include <cstdio>
#include <vector>

namespace host {

std::string Utf8(const char16_t *text)
{
    if (text == nullptr)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::vector<char> out(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return std::string(out.data());
}

std::string Utf8(const std::u16string &text) { return Utf8(text.c_str()); }

std::u16string Utf16(const std::string &text)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char16_t> out(static_cast<size_t>(size));
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    return std::u16string(out.data());
}

namespace {

// The length of the UTF-8 sequence starting at text[at], 0 when it is not one.
size_t Utf8SequenceAt(const std::string &text, size_t at)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    size_t length;
    unsigned long code;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}

}  // namespace

std::string Printable(const std::string &text)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        size_t length = Utf8SequenceAt(text, at);
        bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (c1) {
            char escaped[16];
            std::snprintf(escaped, sizeof(escaped), "\\xC2\\x%02X", static_cast<unsigned char>(text[at + 1]));
            out += escaped;
            at += 2;
            continue;
        }
        if (length == 0 || c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            out += escaped;
            ++at;
            continue;
        }
        out.append(text, at, length);
        at += length;
    }
    return out;
}

}  // namespace host
