#include <gtest/gtest.h>

#include "hostlink/TrunkLimit.h"
#include "support/QtWarnings.h"
#include "support/ScriptedHost.h"

namespace kestrel {
namespace {

TEST(MaxTrunkForVersionTest, ProcessorRevisionDecides) {
    struct Case {
        const char* answer;
        int max;
    };
    const Case cases[] = {
        {"SC-K 4.2", 255}, {"SC-K R5.0", 511}, {"SC-K M1", 255}, {"SC-K N1", 511},  {"XP 1.0", 511},
        {"SC-K", 511},     {"SC-K  4.2", 511}, {"", 511},        {"sc-k 4.2", 511}, {"SC-X A", 255},
    };
    test::ScriptedHost host;
    for (const Case& c : cases) {
        host.processor = QString::fromUtf8(c.answer);
        EXPECT_EQ(MaxTrunkForVersion(&host, QStringLiteral("PBX1")), c.max) << c.answer;
    }
    {
        // The host's failure is logged, and the larger range kept.
        const test::ExpectQtWarning logged(
            QStringLiteral("^kestrel.hostlink: The host failed to tell the processor version"));
        host.processorThrows = true;
        EXPECT_EQ(MaxTrunkForVersion(&host, QStringLiteral("PBX1")), 511);
        EXPECT_EQ(logged.Count(), 1);
    }
    EXPECT_EQ(MaxTrunkForVersion(nullptr, QStringLiteral("PBX1")), 511);
}

}  // namespace
}  // namespace kestrel
