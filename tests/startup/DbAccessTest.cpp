#include <gtest/gtest.h>

#include "platform/MessageBoxes.h"
#include "startup/DbAccess.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class DbAccessTest : public ::testing::Test {
protected:
    test::RuntimeTree tree_;
};

TEST_F(DbAccessTest, OpenDbFailureShowsTheFatalNoticeAndClearsTheHandle) {
    std::unique_ptr<Database> db = Database::Open(tree_.DatabaseDir() + u"Kestrel.lng"_s, true);
    EXPECT_FALSE(OpenDB(tree_.DatabaseDir() + u"Missing.lng"_s, db, true));
    EXPECT_EQ(db, nullptr);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    const MessageBoxRequest& box = tree_.boxes.Last();
    EXPECT_EQ(box.title, u"System Fatal Notice"_s);
    EXPECT_EQ(box.flags, mb::kCritical);
    EXPECT_TRUE(box.prompt.endsWith(u" [3024]"_s));
}

TEST_F(DbAccessTest, LookupFieldReadsTheFirstRowAndTellsOtherErrors) {
    auto db = Database::Open(tree_.DatabaseDir() + u"KESTREL.MDB"_s, true);
    EXPECT_EQ(LookupField(db.get(), u"SELECT * FROM CMD30Titles WHERE CMD = ?"_s, u"Description"_s,
                          {u"3001"_s})
                  .toString(),
              u"Trunk route"_s);
    // No rows: empty and silent.
    EXPECT_TRUE(LookupField(db.get(), u"SELECT * FROM CMD30Titles WHERE CMD = ?"_s,
                            u"Description"_s, {u"x' OR '1'='1"_s})
                    .isNull());
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // Other errors show a notice.
    EXPECT_TRUE(LookupField(db.get(), u"SELECT * FROM NoSuchTable"_s, u"x"_s).isNull());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, u"Notice"_s);
    EXPECT_EQ(tree_.boxes.Last().flags, mb::kExclamation);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(u"[3078]"_s));
    EXPECT_FALSE(tree_.boxes.Last().prompt.endsWith(u" [3078]"_s));
}

}  // namespace
}  // namespace kestrel
