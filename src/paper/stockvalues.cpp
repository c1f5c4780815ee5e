#include "src/paper/stockvalues.h"

#include <cmath>
#include <cstdio>
#include <limits>

void FormatNumber(double value, WCHAR (&text)[kNumberUnits])
{
    char narrow[kNumberUnits] = {};
    std::snprintf(narrow, sizeof(narrow), "%.2f", value);
    text[0] = 0;
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, kNumberUnits) == 0)
        text[0] = 0;
}

bool IsNumberText(const WCHAR *text)
{
    if (text == nullptr)
        return false;
    int point = -1;
    for (int i = 0; text[i] != 0; ++i) {
        if (text[i] == '.') {
            if (point >= 0 || i == 0)
                return false;
            point = i;
        } else if (text[i] < '0' || text[i] > '9') {
            return false;
        } else if (point >= 0 && i - point > 2) {
            return false;
        }
    }
    return true;
}

bool ParseAndClamp(const WCHAR *text, double low, double high, double &current)
{
    bool marked = false;
    double value = current;
    if (IsNumberText(text))
        value = _wtof(text);
    else
        marked = true;
    if (value < low) {
        value = low;
        marked = true;
    } else if (value > high) {
        value = high;
        marked = true;
    }
    current = value;
    return marked;
}

LONG Thousandths(double millimetres)
{
    constexpr LONG low = std::numeric_limits<LONG>::min(), high = std::numeric_limits<LONG>::max();
    double product = millimetres * 1000.0;
    if (std::isnan(product))
        return 0;
    if (product <= static_cast<double>(low))
        return low;
    if (product >= static_cast<double>(high))
        return high;
    double whole = std::round(product);
    if (std::fabs(product - whole) < 1e-6)
        return static_cast<LONG>(whole);
    return static_cast<LONG>(product);
}

void BuildFormSize(double width, double length, double left, double right, FORM_INFO_1W *form)
{
    BuildFormArea(Thousandths(width), Thousandths(length), Thousandths(left), Thousandths(right), form);
}

void BuildFormArea(LONG width, LONG length, LONG left, LONG right, FORM_INFO_1W *form)
{
    form->Size.cx = width;
    form->Size.cy = length;
    form->ImageableArea.left = left;
    form->ImageableArea.top = 0;
    // From the width as stored, so that the form's own width minus the
    // right margin is what the spooler gets.
    LONGLONG edge = static_cast<LONGLONG>(width) - right;
    constexpr LONGLONG low = std::numeric_limits<LONG>::min(), high = std::numeric_limits<LONG>::max();
    form->ImageableArea.right = static_cast<LONG>(edge < low ? low : (edge > high ? high : edge));
    form->ImageableArea.bottom = length;
}
