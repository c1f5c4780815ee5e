#include "src/base/unique.h"
#include "platform/linux/spooler/server.h"
#include "tests/support/fixture.h"

namespace {

using UniqueTest = PluginTest;

constexpr DWORD kMagic = kMagicDead;

// Handing a block on (Take, moves) is exercised by every flow under the
// leak counters and AddressSanitizer; here, what no flow shows.
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

    // A printer handle and a GDI object: the leak counters see them closed.
    standin::spooler::LoadSample();
    {
        unique_printer printer;
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(TEXT("KestrelBT")), printer.put(), nullptr));
        unique_gdiobj bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
        ASSERT_TRUE(bitmap);
        SetLastError(kMagic);
    }
    EXPECT_EQ(GetLastError(), kMagic);
}

}  // namespace
