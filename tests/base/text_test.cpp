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

    // Stopping at a 64-unit slot: the printer tests' two papers whose names
    // share their slot.
}

}  // namespace
