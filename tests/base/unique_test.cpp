#include "src/base/unique.h"
#include "tests/support/fixture.h"

namespace {

using UniqueTest = PluginTest;

constexpr DWORD kMagic = 0xDEADBEEF;

TEST_F(UniqueTest, ClosingKeepsTheLastError)
{
    {
        unique_heap_block block(HeapAlloc(GetProcessHeap(), 0, 16));
        ASSERT_TRUE(block);
        SetLastError(kMagic);
    }
    EXPECT_EQ(GetLastError(), kMagic);

    {
        unique_bstr text(SysAllocString(TEXT("x")));
        SetLastError(kMagic);
    }
    EXPECT_EQ(GetLastError(), kMagic);
}

TEST_F(UniqueTest, TakeHandsOwnershipAway)
{
    unique_cotaskmem block(CoTaskMemAlloc(8));
    void *raw = block.Take();
    EXPECT_FALSE(block);
    ASSERT_NE(raw, nullptr);
    CoTaskMemFree(raw);

    unique_global moved(GlobalAlloc(GPTR, 4));
    unique_global target = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_TRUE(target);
}

}  // namespace
