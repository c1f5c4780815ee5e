// The numbers of the paper stock dialog: the text of its edits, and the
// spooler's form record in thousandths of a millimetre.
#pragma once

#include "platform/win32.h"

// A value shown in an edit: fixed notation with two decimals, formatted
// narrow (at most 14 characters) and widened.
constexpr int kNumberUnits = 15;
void FormatNumber(double value, WCHAR (&text)[kNumberUnits]);

// Digits with at most one '.', not first, and at most two digits after it.
// An empty text is a number too and reads as 0.
bool IsNumberText(const WCHAR *text);

// The value of an edit: its number when the text is one, else `current`,
// then bounded by low and high; the result becomes `current`. True when the
// text was refused or the number bounded, so that the edit must show the
// result instead.
bool ParseAndClamp(const WCHAR *text, double low, double high, double &current);

// Millimetres to the spooler's thousandths. A product that is a whole
// number of thousandths but for the rounding error of the binary fraction
// (1.00 in is 25.4 mm, 25399.999... thousandths) is that number; any other
// is cut toward zero. Saturates at the LONG range.
LONG Thousandths(double millimetres);

// Size and imageable area of a form, all in millimetres: the margins are
// taken from the left edge and from the right edge of the tape.
void BuildFormSize(double width, double length, double left, double right, FORM_INFO_1W *form);
// The same from lengths already in thousandths.
void BuildFormArea(LONG width, LONG length, LONG left, LONG right, FORM_INFO_1W *form);
