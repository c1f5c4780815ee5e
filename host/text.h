// UTF-16 to UTF-8 for the host's output.
#pragma once

#include <string>

namespace host {

std::string Utf8(const std::u16string &text);
std::string Utf8(const char16_t *text);
std::u16string Utf16(const std::string &text);

}  // namespace host
