#include <gtest/gtest.h>

#include "platform/MessageBoxes.h"
#include "startup/DbAccess.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

class DbAccessTest : public ::testing::Test {
protected:
    test::RuntimeTree tree_;
};

TEST_F(DbAccessTest, OpenDbFailureShowsTheFatalNoticeAndClearsTheHandle) {
    std::unique_ptr<Database> db =
        Database::Open(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), true);
    EXPECT_FALSE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Missing.lng"), db, true));
    EXPECT_EQ(db, nullptr);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    const MessageBoxRequest& box = tree_.boxes.Last();
    EXPECT_EQ(box.title, QStringLiteral("System Fatal Notice"));
    EXPECT_EQ(box.flags, mb::kCritical);
    EXPECT_TRUE(box.prompt.endsWith(QStringLiteral(" [3024]")));
}

TEST_F(DbAccessTest, LookupFieldReadsTheFirstRow) {
    auto db = Database::Open(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), true);
    EXPECT_EQ(LookupField(db.get(), QStringLiteral("SELECT * FROM CMD30Titles WHERE CMD = ?"),
                          QStringLiteral("Description"), {QStringLiteral("3001")})
                  .toString(),
              QStringLiteral("Trunk route"));
    // No rows: empty and silent.
    EXPECT_TRUE(LookupField(db.get(), QStringLiteral("SELECT * FROM CMD30Titles WHERE CMD = ?"),
                            QStringLiteral("Description"), {QStringLiteral("x' OR '1'='1")})
                    .isNull());
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(DbAccessTest, LookupFieldOtherErrorsShowANotice) {
    auto db = Database::Open(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), true);
    EXPECT_TRUE(
        LookupField(db.get(), QStringLiteral("SELECT * FROM NoSuchTable"), QStringLiteral("x"))
            .isNull());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, QStringLiteral("Notice"));
    EXPECT_EQ(tree_.boxes.Last().flags, mb::kExclamation);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral("[3078]")));
    EXPECT_FALSE(tree_.boxes.Last().prompt.endsWith(QStringLiteral(" [3078]")));
}

}  // namespace
}  // namespace kestrel
