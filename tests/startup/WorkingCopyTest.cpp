#include <gtest/gtest.h>

#include <QFile>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Recordset.h"
#include "startup/WorkingCopy.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

class WorkingCopyTest : public ::testing::Test {
protected:
    QString Serial() const { return tree_.DatabaseDir() + QStringLiteral("Serial.MDB"); }
    QString Copy(int n) const {
        return tree_.DatabaseDir() + QStringLiteral("KESTREL%1.MDB").arg(n);
    }
    void SetCounter(int n) {
        tree_.Sql(Serial(),
                  QStringLiteral("UPDATE SerialTable SET SerialCounter = %1 WHERE Addin = "
                                 "'KESTREL'")
                      .arg(n));
    }
    qlonglong Counter() const {
        auto db = Database::Open(Serial(), true);
        auto set = db->OpenRecordset(
            QStringLiteral("SELECT SerialCounter FROM SerialTable WHERE Addin = 'KESTREL'"),
            RecordsetType::Snapshot);
        return set->Fields(0).toLongLong();
    }
    QString Make() {
        return MakeWorkingCopy(QStringLiteral("KESTREL"), tree_.DatabaseDir(),
                               QStringLiteral("KESTREL"));
    }
    void TearDown() override {
        for (int n : made_)
            RemoveWorkingCopy(tree_.DatabaseDir(), QStringLiteral("KESTREL%1.MDB").arg(n));
    }

    test::RuntimeTree tree_;
    std::vector<int> made_;
};

TEST_F(WorkingCopyTest, NumbersFollowTheCounterAndWrapAt9999) {
    SetCounter(41);
    EXPECT_EQ(Make(), QStringLiteral("KESTREL42.MDB"));
    made_.push_back(42);
    EXPECT_EQ(Counter(), 42);
    EXPECT_TRUE(QFile::exists(Copy(42)));

    SetCounter(9999);
    EXPECT_EQ(Make(), QStringLiteral("KESTREL0.MDB"));
    made_.push_back(0);
    EXPECT_EQ(Counter(), 0);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // The copy is a working database with the catalogue in it.
    auto work = OpenWorkingDb(tree_.DatabaseDir(), QStringLiteral("KESTREL0.MDB"));
    ASSERT_NE(work, nullptr);
    auto titles = work->OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM CMD30Titles"),
                                      RecordsetType::Snapshot);
    EXPECT_GT(titles->Fields(0).toInt(), 0);
}

TEST_F(WorkingCopyTest, ACopyInUseMovesOnAndStoresEveryNumberTried) {
    SetCounter(5);
    QFile::copy(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), Copy(6));
    FileLock otherInstance = TryLockFile(Copy(6));
    ASSERT_TRUE(otherInstance.Held());
    EXPECT_EQ(Make(), QStringLiteral("KESTREL7.MDB"));
    made_.push_back(7);
    EXPECT_EQ(Counter(), 7);
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(WorkingCopyTest, AReadOnlyCopyIsResetAndOverwritten) {
    SetCounter(5);
    {
        QFile stale(Copy(6));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("left by a killed instance");
    }
    QFile::setPermissions(Copy(6), QFile::ReadOwner);
    EXPECT_EQ(Make(), QStringLiteral("KESTREL6.MDB"));
    made_.push_back(6);
    EXPECT_EQ(Counter(), 6);
    EXPECT_NE(OpenWorkingDb(tree_.DatabaseDir(), QStringLiteral("KESTREL6.MDB")), nullptr);
}

// The counter row is found whatever the case of its key, stored or asked,
// and keeps the key as stored.
TEST_F(WorkingCopyTest, TheCounterRowIsFoundWhateverTheCaseOfItsKey) {
    struct Case {
        const char* stored;
        const char* asked;
    };
    const Case cases[] = {{"Kestrel", "KESTREL"}, {"KESTREL", "kestrel"}, {"kEsTrEl", "Kestrel"}};
    int counter = 300;
    for (const Case& c : cases) {
        tree_.Sql(Serial(),
                  QStringLiteral("UPDATE SerialTable SET Addin = '%1', SerialCounter = %2")
                      .arg(QString::fromLatin1(c.stored))
                      .arg(counter));
        EXPECT_EQ(MakeWorkingCopy(QString::fromLatin1(c.asked), tree_.DatabaseDir(),
                                  QStringLiteral("KESTREL")),
                  QStringLiteral("KESTREL%1.MDB").arg(counter + 1))
            << c.stored << " asked as " << c.asked;
        made_.push_back(counter + 1);
        auto db = Database::Open(Serial(), true);
        auto row = db->OpenRecordset(QStringLiteral("SELECT Addin, SerialCounter FROM SerialTable"),
                                     RecordsetType::Snapshot);
        EXPECT_EQ(row->Fields(0).toString(), QString::fromLatin1(c.stored));
        EXPECT_EQ(row->Fields(1).toInt(), counter + 1);
        counter += 10;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(WorkingCopyTest, NoCounterRowGivesAMessageAndNoCopy) {
    tree_.Sql(Serial(), QStringLiteral("DELETE FROM SerialTable"));
    EXPECT_EQ(Make(), QString());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_FALSE(tree_.boxes.Last().title.has_value());  // plain box, default title
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("No current record."));
    EXPECT_FALSE(QFile::exists(Copy(1)));
}

TEST_F(WorkingCopyTest, ASecondInstanceFailsAtOnceAndTouchesNothing) {
    SetCounter(20);
    auto holder = Database::Open(Serial(), false);
    auto held = holder->OpenRecordset(QStringLiteral("SELECT * FROM SerialTable"),
                                      RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite);
    EXPECT_EQ(Make(), QString());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("Couldn't lock")));
    EXPECT_FALSE(QFile::exists(Copy(21)));
    held->Close();
    EXPECT_EQ(Counter(), 20);
}

TEST_F(WorkingCopyTest, AMissingTemplateIsGivenUpWithoutLocksLeft) {
    SetCounter(100);
    QFile::remove(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"));
    EXPECT_EQ(Make(), QString());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("64 numbers")));
    EXPECT_EQ(Counter(), 100 + kMaxWorkingCopyAttempts);
    // The counter is free again for the next instance.
    auto next = Database::Open(Serial(), false);
    EXPECT_NO_THROW(next->OpenRecordset(QStringLiteral("SELECT * FROM SerialTable"),
                                        RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite));
}

}  // namespace
}  // namespace kestrel
