// The paper stock dialog's numbers: any text in an edit, between bounds the
// dialog could be given (hundredths of a millimetre up to 10 m). The value
// always lands within the bounds; a text that is a number within them is
// taken as it is; the value written back into the edit reads back within
// the bounds, and after one more rewrite the edit's text stays as it is.
// The spooler's thousandths never move more than one from the millimetres.
#include "fuzz/common.h"

#include "src/paper/stockvalues.h"

#include <cmath>
#include <cstring>
#include <cwchar>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    uint32_t a = 0, b = 0;
    std::memcpy(&a, data, 3);
    std::memcpy(&b, data + 3, 3);
    data += 6;
    size -= 6;
    double low = (a % 1000000) / 100.0, high = (b % 1000000) / 100.0;
    if (low > high)
        std::swap(low, high);
    // The edit's text: the bytes as UTF-16 units, as long as an edit holds.
    std::u16string text(size / 2 > 256 ? 256 : size / 2, u'\0');
    std::memcpy(&text[0], data, text.size() * 2);
    text = text.c_str();

    double current = low;
    bool marked = ParseAndClamp(text.c_str(), low, high, current);
    fuzz::Require(current >= low && current <= high, "a value outside its bounds");
    if (!marked) {
        fuzz::Require(IsNumberText(text.c_str()), "a text that is no number taken");
    }
    WCHAR shown[kNumberUnits];
    FormatNumber(current, shown);
    fuzz::Require(IsNumberText(shown), "the dialog writes a text it refuses");
    double again = current;
    ParseAndClamp(shown, low, high, again);
    fuzz::Require(again >= low && again <= high, "a value read back outside its bounds");
    WCHAR shownAgain[kNumberUnits];
    FormatNumber(again, shownAgain);
    double third = again;
    ParseAndClamp(shownAgain, low, high, third);
    WCHAR shownThird[kNumberUnits];
    FormatNumber(third, shownThird);
    fuzz::Require(std::u16string(shownAgain) == std::u16string(shownThird), "the edit is rewritten forever");

    LONG thousandths = Thousandths(current);
    fuzz::Require(std::fabs(static_cast<double>(thousandths) - current * 1000.0) < 1.0, "thousandths off");
    FORM_INFO_1W form = {};
    BuildFormSize(current, high, low, low, &form);
    fuzz::Require(form.ImageableArea.bottom == form.Size.cy, "imageable area not the length");
    return 0;
}
