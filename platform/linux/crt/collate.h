// Inside the CRT stand-in: the word sort of lstrcmpW and lstrcmpiW as a key
// to keep, for lists that compare one text with many.
#pragma once

#include "platform/linux/crt/crt.h"

#include <string>

namespace standin::crt {

// The first-level weights of the text, one per unit: two keys compare as
// lstrcmpiW compares their texts (less, equal or greater).
std::u32string WordSortKey(const WCHAR *text);

}  // namespace standin::crt
