// UTF-8 and UTF-16 conversion inside the stand-in (the CRT's formatter, the
// code page functions, the debugger output capture). Not part of the Win32
// surface: plug-in code uses MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include <cstddef>
#include <string>

namespace standin::utf {

// Append the conversion of n units to out. Invalid input (bad or cut UTF-8
// sequences, unpaired surrogates) becomes U+FFFD, as on the platform, and
// the result is false.
bool AppendUtf16(const char *s, size_t n, std::u16string &out);
bool AppendUtf8(const char16_t *s, size_t n, std::string &out);

}  // namespace standin::utf
