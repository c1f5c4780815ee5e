// The module as the driver meets it: loaded with dlopen, entered only
// through its two exports.
#include "platform/linux/testing/leakcheck.h"
#include "host/plugin.h"
#include "tests/host/expect.h"
#include "tests/support/fixture.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace host;

using ModuleTest = PluginTest;

TEST_F(ModuleTest, LoadedModuleHandsOutBothObjects)
{
    PluginModule module;
    std::string error;
    ASSERT_TRUE(module.Load(ORVOUI_TEST_MODULE, error)) << error;

    IPrintOemUI *ui = nullptr;
    ASSERT_EQ(module.CreateInstance(CLSID_OEMUI, IID_IPrintOemUI, reinterpret_cast<void **>(&ui)), S_OK);
    DWORD signature = 0, needed = 0;
    EXPECT_EQ(ui->GetInfo(OEMGI_GETSIGNATURE, &signature, 4, &needed), S_OK);
    EXPECT_EQ(signature, 0x4D534654u);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    ui->Release();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

using HostInfo = standin_testing::LeakCheckTest;

TEST_F(HostInfo, PrintsWhatTheObjectsAnswer)
{
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(ORVOUI_TEST_HOST " info 2>&1", "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    std::string out;
    std::array<char, 512> chunk{};
    while (fgets(chunk.data(), chunk.size(), pipe.get()) != nullptr)
        out += chunk.data();
    EXPECT_TRUE(Has(out, "signature  0x4D534654"));
    EXPECT_TRUE(Has(out, "version    0x00000003"));
    EXPECT_TRUE(Has(out, "supported versions: S_OK (0x00000000): 1"));
    EXPECT_TRUE(Has(out, "DllCanUnloadNow after release: S_OK"));
    EXPECT_TRUE(Has(out, "IPrintOemUI2                   not served"));
}

}  // namespace
