#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/Logging.h"
#include "support/QtWarnings.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

void StrayWarning() {
    qCWarning(lcDb, "a stray warning");
}

void UnmetExpectation() {
    const test::ExpectQtWarning never(u"never said"_s);
}

// The test main fails a test on a warning nobody declared, and a declared
// warning that never comes fails it as well.
TEST(LoggingTest, UndeclaredWarningsAndUnmetExpectationsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(StrayWarning(),
                            "Unexpected Qt warning message: kestrel.db: a stray warning");
    EXPECT_NONFATAL_FAILURE(UnmetExpectation(), "never said\" did not come");
    {
        const test::ExpectQtWarning declared(u"^kestrel.db: a stray"_s);
        StrayWarning();
        StrayWarning();
        EXPECT_EQ(declared.Count(), 2);
        // Only what matches is taken.
        EXPECT_NONFATAL_FAILURE(qCritical("something else"),
                                "Unexpected Qt critical message: default: something else");
        EXPECT_EQ(declared.Count(), 2);
    }
}

}  // namespace
}  // namespace kestrel
