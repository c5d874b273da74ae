#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QLoggingCategory>

#include "platform/Logging.h"
#include "support/QtWarnings.h"

namespace kestrel {
namespace {

// Each subsystem logs under its own name; debug stays off until a rule
// switches it on, the rest shows.
TEST(LoggingTest, CategoriesAreNamedAndDebugIsOffUntilSwitchedOn) {
    const QLoggingCategory* categories[] = {&lcHostlink(), &lcAutomation(), &lcDb(), &lcUi()};
    const char* names[] = {"kestrel.hostlink", "kestrel.automation", "kestrel.db", "kestrel.ui"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(categories[i]->categoryName(), names[i]);
        EXPECT_FALSE(categories[i]->isDebugEnabled()) << names[i];
        EXPECT_TRUE(categories[i]->isInfoEnabled()) << names[i];
        EXPECT_TRUE(categories[i]->isWarningEnabled()) << names[i];
    }
    QLoggingCategory::setFilterRules(QStringLiteral("kestrel.*.debug=true"));
    for (const QLoggingCategory* category : categories)
        EXPECT_TRUE(category->isDebugEnabled()) << category->categoryName();
    QLoggingCategory::setFilterRules(QString());
    EXPECT_FALSE(lcDb().isDebugEnabled());
}

void StrayWarning() {
    qCWarning(lcDb, "a stray warning");
}

void UnmetExpectation() {
    const test::ExpectQtWarning never(QStringLiteral("never said"));
}

// The test main fails a test on a warning nobody declared, and a declared
// warning that never comes fails it as well.
TEST(LoggingTest, UndeclaredWarningsAndUnmetExpectationsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(StrayWarning(),
                            "Unexpected Qt warning message: kestrel.db: a stray warning");
    EXPECT_NONFATAL_FAILURE(UnmetExpectation(), "never said\" did not come");
    {
        const test::ExpectQtWarning declared(QStringLiteral("^kestrel.db: a stray"));
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
