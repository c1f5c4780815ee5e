// UTF-16 to UTF-8 for the host's output.
#pragma once

#include <string>

namespace host {

std::string Utf8(const std::u16string &text);
std::string Utf8(const char16_t *text);
std::u16string Utf16(const std::string &text);
// The text as it may go to a terminal: control characters and bytes that
// are not UTF-8 written as \xNN, so a file's raw bytes never reach it.
std::string Printable(const std::string &text);

}  // namespace host
