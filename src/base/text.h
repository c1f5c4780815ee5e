// Comparisons of UTF-16 texts. Model names, paper names and option texts are
// compared unit for unit, case-sensitively: lstrcmpW is a linguistic
// comparison on Windows and would take texts that differ as equal.
#pragma once

#include "platform/win32.h"

// Exact comparison of two terminated texts; a null text equals nothing.
inline bool SameText(const WCHAR *a, const WCHAR *b)
{
    if (a == nullptr || b == nullptr)
        return false;
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The same within fixed slots of `units`: a text that fills its slot has no
// terminator.
inline bool SameText(const WCHAR *a, const WCHAR *b, size_t units)
{
    if (a == nullptr || b == nullptr)
        return false;
    for (size_t i = 0; i < units; ++i) {
        if (a[i] != b[i])
            return false;
        if (a[i] == 0)
            return true;
    }
    return true;
}
