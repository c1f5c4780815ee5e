// Reading a registry export as `reg export` and regedit write it: UTF-16 LE
// with a byte order mark under "Windows Registry Editor Version 5.00", or
// 8-bit text under "REGEDIT4"; keys in brackets, then their values as
// "name"= or @= followed by a quoted string, dword:, hex: or hex(N):, hex
// lists continued over lines with a backslash.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace host {

// Registry types the stand-in's headers leave out.
constexpr DWORD kRegExpandSz = 2;  // REG_EXPAND_SZ
constexpr DWORD kRegMultiSz = 7;   // REG_MULTI_SZ

// An export is refused by its size before it is read (as a state file is).
constexpr long long kMaxExportBytes = 16 << 20;
// The largest value kept: a DEVMODE is at most 64 KB, a distributed
// printing list of a thousand printers about 1 MB.
constexpr size_t kMaxRegValueBytes = 1 << 20;

struct RegValue {
    std::u16string name;  // empty: the key's default value (@)
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;  // as the registry holds them: strings UTF-16 LE with their terminator
    size_t line = 0;          // where the value begins in the file
};

struct RegKey {
    std::u16string path;  // as written between the brackets
    size_t line = 0;      // its first section in the file
    std::vector<RegValue> values;
};

struct RegExport {
    bool unicode = true;  // "Windows Registry Editor Version 5.00"; false: "REGEDIT4"
    // Every key in the order of its first section; sections of one key
    // (its path compared without regard to case, as the registry does) are
    // one key, a later value replacing an earlier one of the same name.
    std::vector<RegKey> keys;
};

// Reads the export whole. Values are kept only for the keys `keep` accepts;
// the others are read for their form and dropped. False with the reason in
// `error` ("line 12: ...") when any line is not one an export holds, a kept
// value is larger than kMaxRegValueBytes, or the text is cut off.
bool ReadRegExport(const std::string &bytes, const std::function<bool(const std::u16string &path)> &keep,
                   RegExport &out, std::string &error);

// The key path cut at its backslashes.
std::vector<std::u16string> RegPathParts(const std::u16string &path);
// Names as the registry compares them: without regard to case.
bool SameRegName(const std::u16string &a, const std::u16string &b);
// "REG_BINARY", "REG_SZ", ... or "type 42".
std::string RegTypeName(DWORD type);

}  // namespace host
