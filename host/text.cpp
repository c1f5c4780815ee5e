#include "host/text.h"

#include "platform/win32.h"

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

std::string Utf8(const std::u16string &text)
{
    return Utf8(text.c_str());
}

std::u16string Utf16(const std::string &text)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::vector<char16_t> out(static_cast<size_t>(size));
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    return std::u16string(out.data());
}

}  // namespace host
