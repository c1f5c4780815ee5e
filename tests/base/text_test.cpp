#include "src/base/text.h"
#include "tests/support/fixture.h"

namespace {

using TextTest = PluginTest;

TEST_F(TextTest, SameTextIsExactCaseSensitiveAndStopsAtTheSlot)
{
    EXPECT_TRUE(SameText(TEXT("FalconBT"), TEXT("FalconBT")));
    EXPECT_TRUE(SameText(TEXT(""), TEXT("")));
    // What a linguistic comparison would take as equal, or as a prefix.
    EXPECT_FALSE(SameText(TEXT("FalconBT"), TEXT("falconbt")));
    EXPECT_FALSE(SameText(TEXT("FalconBT"), TEXT("FalconBT ")));
    EXPECT_FALSE(SameText(TEXT("Falcon"), TEXT("FalconBT")));
    EXPECT_FALSE(SameText(TEXT("co\u00F6p"), TEXT("coo\u0308p")));  // composed against decomposed
    EXPECT_FALSE(SameText(TEXT("co-op"), TEXT("coop")));            // a hyphen linguistic sorts ignore
    EXPECT_FALSE(SameText(nullptr, TEXT("")));
    EXPECT_FALSE(SameText(TEXT(""), nullptr));

    // Within slots it stops at the slot: two 4-unit slots filled to the end, no terminator, then different bytes.
    const WCHAR a[] = {'A', 'B', 'C', 'D', 'x'};
    const WCHAR b[] = {'A', 'B', 'C', 'D', 'y'};
    EXPECT_TRUE(SameText(a, b, 4));
    EXPECT_FALSE(SameText(a, b, 5));
    EXPECT_TRUE(SameText(TEXT("AB"), TEXT("AB"), 64));
    EXPECT_FALSE(SameText(TEXT("AB"), TEXT("ABC"), 64));
    EXPECT_FALSE(SameText(TEXT("ab"), TEXT("AB"), 64));
}

}  // namespace
