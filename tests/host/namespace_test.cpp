// The host is linked into one program with the plug-in's library (these
// tests, the benchmark), so its types live in their own namespace: a second
// global type of the same name would break the one definition rule.
#include "platform/linux/testing/leakcheck.h"
#include "host/ptcore.h"
#include "host/tickets.h"
#include "src/ptprovider/vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

using HostNamespace = standin_testing::LeakCheckTest;

TEST_F(HostNamespace, TicketFeatureOfTheHostIsNotThePluginsType)
{
    static_assert(!std::is_same_v<host::TicketFeature, ::TicketFeature>);
    // Both are usable side by side: the core's narrow names, the plug-in's wide ones.
    ASSERT_FALSE(host::PrivateFeatures().empty());
    EXPECT_EQ(std::string(host::PrivateFeatures().front().name), "DocumentOEMRotate");
    EXPECT_EQ(std::u16string(kPrivateFeatures[0].name), u"DocumentOEMRotate");
}

}  // namespace
