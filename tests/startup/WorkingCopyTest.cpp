#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <memory>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Recordset.h"
#include "startup/WorkingCopy.h"
#include "support/FileLimits.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"

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
        return test::SqlValue(*Database::Open(Serial(), true),
                              "SELECT SerialCounter FROM SerialTable WHERE Addin = 'KESTREL'")
            .toLongLong();
    }
    // Makes a copy as the add-in asked by `addin`; the test's end removes it.
    QString Make(const QString& addin = QStringLiteral("KESTREL"),
                 const QString& templateFile = QString()) {
        const QString name =
            MakeWorkingCopy(addin, tree_.DatabaseDir(), QStringLiteral("KESTREL"), templateFile);
        if (!name.isEmpty())
            made_ << name;
        return name;
    }
    // The numbered copies and their journals in the folder, sorted.
    QStringList CopiesLeft() const {
        return QDir(tree_.DatabaseDir())
            .entryList({QStringLiteral("KESTREL?*.MDB*")}, QDir::AllEntries | QDir::NoDotAndDotDot,
                       QDir::Name | QDir::IgnoreCase);
    }
    void Put(const QString& name, const QByteArray& content = "left behind") {
        QFile file(tree_.DatabaseDir() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void TearDown() override {
        for (const QString& name : made_)
            RemoveWorkingCopy(tree_.DatabaseDir(), name);
    }

    test::RuntimeTree tree_;
    QStringList made_;
};

TEST_F(WorkingCopyTest, NumbersFollowTheCounterAndWrapAt9999) {
    SetCounter(41);
    EXPECT_EQ(Make(), QStringLiteral("KESTREL42.MDB"));
    EXPECT_EQ(Counter(), 42);
    EXPECT_TRUE(QFile::exists(Copy(42)));

    SetCounter(9999);
    EXPECT_EQ(Make(), QStringLiteral("KESTREL0.MDB"));
    EXPECT_EQ(Counter(), 0);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // The copy is a working database with the catalogue in it.
    auto work = OpenWorkingDb(tree_.DatabaseDir(), QStringLiteral("KESTREL0.MDB"));
    ASSERT_NE(work, nullptr);
    EXPECT_GT(test::SqlValue(*work, "SELECT COUNT(*) FROM CMD30Titles").toInt(), 0);
}

TEST_F(WorkingCopyTest, ACopyInUseMovesOnAndStoresEveryNumberTried) {
    SetCounter(5);
    QFile::copy(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), Copy(6));
    FileLock otherInstance = TryLockFile(Copy(6));
    ASSERT_TRUE(otherInstance.Held());
    EXPECT_EQ(Make(), QStringLiteral("KESTREL7.MDB"));
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
        EXPECT_EQ(Make(QString::fromLatin1(c.asked)),
                  QStringLiteral("KESTREL%1.MDB").arg(counter + 1))
            << c.stored << " asked as " << c.asked;
        EXPECT_EQ(
            test::SqlRows(*Database::Open(Serial(), true),
                          "SELECT Addin, SerialCounter FROM SerialTable"),
            QStringList{QStringLiteral("%1=%2").arg(QLatin1String(c.stored)).arg(counter + 1)});
        counter += 10;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// A language's own template is copied in place of KESTREL.MDB, beside which
// the copy is made all the same.
TEST_F(WorkingCopyTest, ALanguagesTemplateIsCopiedIntoTheDatabaseFolder) {
    SetCounter(7);
    const QString name = Make(QStringLiteral("KESTREL"),
                              tree_.DatabaseDir() + QStringLiteral("LANGUAGES/DE/KESTREL.MDB"));
    ASSERT_EQ(name, QStringLiteral("KESTREL8.MDB"));
    EXPECT_EQ(test::SqlValue(*Database::Open(tree_.DatabaseDir() + name, true),
                             "SELECT Description FROM CMD30Titles WHERE CMD = '3001'"),
              QStringLiteral("Leitungsbündel"));
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// A start removes the copies (and their journals) that no running instance
// holds: those of instances killed by a signal. A copy another instance
// holds stays, in this process or another; so do files that are not
// copies of ours.
TEST_F(WorkingCopyTest, AStartRemovesTheCopiesNoRunningInstanceHolds) {
    SetCounter(100);
    Put(QStringLiteral("KESTREL3.MDB"));
    Put(QStringLiteral("KESTREL3.MDB-journal"));
    Put(QStringLiteral("kestrel4.mdb"));
    Put(QStringLiteral("KESTREL9.MDB-journal"));
    Put(QStringLiteral("KESTREL9999.MDB"));
    Put(QStringLiteral("KESTREL5.MDB"));
    Put(QStringLiteral("KESTREL6.MDB"));
    Put(QStringLiteral("KESTREL6.MDB-journal"));
    const QStringList notOurs = {QStringLiteral("KESTREL07.MDB"),
                                 QStringLiteral("KESTREL12345.MDB"), QStringLiteral("KESTRELX.MDB"),
                                 QStringLiteral("KESTREL3.MDB.bak"), QStringLiteral("OTHER3.MDB")};
    for (const QString& name : notOurs)
        Put(name);
    FileLock sameProcess = TryLockFile(tree_.DatabaseDir() + QStringLiteral("KESTREL5.MDB"));
    ASSERT_TRUE(sameProcess.Held());
    test::OtherProcessLock otherProcess(tree_.DatabaseDir() + QStringLiteral("KESTREL6.MDB"));
    ASSERT_TRUE(otherProcess.Held());

    EXPECT_EQ(Make(), QStringLiteral("KESTREL101.MDB"));
    EXPECT_TRUE(tree_.boxes.shown.empty());
    QStringList expected = notOurs;
    expected << QStringLiteral("KESTREL101.MDB") << QStringLiteral("KESTREL5.MDB")
             << QStringLiteral("KESTREL6.MDB") << QStringLiteral("KESTREL6.MDB-journal");
    expected.sort(Qt::CaseInsensitive);
    const QStringList others = QDir(tree_.DatabaseDir()).entryList({QStringLiteral("OTHER*")});
    EXPECT_EQ(CopiesLeft() + others, expected);

    // Killed, the other process leaves its copy to the next start; our own
    // copies are never touched.
    otherProcess.Kill();
    sameProcess.Release();
    EXPECT_EQ(Make(), QStringLiteral("KESTREL102.MDB"));
    EXPECT_FALSE(QFile::exists(tree_.DatabaseDir() + QStringLiteral("KESTREL5.MDB")));
    EXPECT_FALSE(QFile::exists(tree_.DatabaseDir() + QStringLiteral("KESTREL6.MDB")));
    EXPECT_FALSE(QFile::exists(tree_.DatabaseDir() + QStringLiteral("KESTREL6.MDB-journal")));
    EXPECT_TRUE(QFile::exists(Copy(101)));
    EXPECT_NE(OpenWorkingDb(tree_.DatabaseDir(), QStringLiteral("KESTREL101.MDB")), nullptr);
}

// A copy that cannot be made is given up with a box saying why and leaves
// no file behind. Without a counter row, or with the row held by a second
// instance, it fails at once and the counter stays; an attempt no other
// number can cure is tried 64 times, and the counter is free afterwards.
TEST_F(WorkingCopyTest, AFailedCopyIsToldAndLeavesNothing) {
    const QString templatePath = tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB");
    const qint64 templateSize = QFileInfo(templatePath).size();
    ASSERT_GT(templateSize, QFileInfo(Serial()).size() * 3);
    std::unique_ptr<Database> holder;
    std::unique_ptr<Recordset> held;
    const struct {
        const char* name;
        std::function<void()> breakIt, mendIt;
        const char* reason;
        int tried;  // the numbers the counter moved on by
    } cases[] = {
        {"no counter row", [&] { tree_.Sql(Serial(), QStringLiteral("DELETE FROM SerialTable")); },
         [&] { tree_.Sql(Serial(), "INSERT INTO SerialTable VALUES ('KESTREL', 0)"); },
         "No current record.", -1},
        {"the counter held by a second instance",
         [&] {
             holder = Database::Open(Serial(), false);
             held = holder->OpenRecordset(QStringLiteral("SELECT * FROM SerialTable"),
                                          RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite);
         },
         [&] { held->Close(); }, "Couldn't lock", 0},
        {"a missing template",
         [&] { ASSERT_TRUE(QFile::rename(templatePath, templatePath + QStringLiteral(".saved"))); },
         [&] { QFile::rename(templatePath + QStringLiteral(".saved"), templatePath); },
         "64 numbers", kMaxWorkingCopyAttempts},
        {"a folder in place of the template",
         [&] {
             ASSERT_TRUE(QFile::rename(templatePath, templatePath + QStringLiteral(".saved")));
             ASSERT_TRUE(QDir().mkdir(templatePath));
         },
         [&] {
             QDir().rmdir(templatePath);
             QFile::rename(templatePath + QStringLiteral(".saved"), templatePath);
         },
         "Path/File access error", kMaxWorkingCopyAttempts},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.boxes.shown.clear();
        SetCounter(200);
        c.breakIt();
        const QString result = Make();
        c.mendIt();
        if (c.tried >= 0) {
            EXPECT_EQ(Counter(), 200 + c.tried);
        }
        EXPECT_EQ(result, QString());
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QString::fromLatin1(c.reason)))
            << tree_.boxes.Last().prompt.toStdString();
        if (c.tried > 0) {
            EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("64 numbers")));
        }
        EXPECT_EQ(CopiesLeft(), QStringList());
        // The counter is free again for the next instance.
        auto next = Database::Open(Serial(), false);
        EXPECT_NO_THROW(next->OpenRecordset(QStringLiteral("SELECT * FROM SerialTable"),
                                            RecordsetType::Dynaset,
                                            rs::kDenyRead | rs::kDenyWrite));
    }
    // A full disk fails each number alike.
    tree_.boxes.shown.clear();
    SetCounter(200);
    {
        const test::FileSizeLimit limit(templateSize / 2);
        EXPECT_EQ(Make(), QString());
    }
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("Disk full")))
        << tree_.boxes.Last().prompt.toStdString();
    EXPECT_EQ(Counter(), 200 + kMaxWorkingCopyAttempts);
    EXPECT_EQ(CopiesLeft(), QStringList());
}

// A copy that is no working database does not open: garbage, a file cut
// short, an empty file and another database all fail with their reason.
TEST_F(WorkingCopyTest, OnlyAWorkingDatabaseOpens) {
    QFile templateFile(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"));
    ASSERT_TRUE(templateFile.open(QIODevice::ReadOnly));
    const QByteArray whole = templateFile.readAll();
    QFile serialFile(Serial());
    ASSERT_TRUE(serialFile.open(QIODevice::ReadOnly));
    const struct {
        const char* name;
        QByteArray content;
        const char* reason;
    } cases[] = {
        {"KESTREL11.MDB", QByteArray(3000, '\x5a'), "[3343]"},
        {"KESTREL12.MDB", whole.left(whole.size() / 3), "[3343]"},
        {"KESTREL13.MDB", QByteArray(), "'CMD30Titles'"},
        {"KESTREL14.MDB", serialFile.readAll(), "'CMD30Titles'"},
    };
    for (const auto& c : cases) {
        Put(QString::fromLatin1(c.name), c.content);
        const test::ExpectQtWarning logged(QStringLiteral("^kestrel.db: The working copy .*") +
                                           QString::fromLatin1(c.name));
        QString failure;
        EXPECT_EQ(OpenWorkingDb(tree_.DatabaseDir(), QString::fromLatin1(c.name), &failure),
                  nullptr)
            << c.name;
        EXPECT_TRUE(failure.contains(QString::fromLatin1(c.reason))) << failure.toStdString();
    }
    Put(QStringLiteral("KESTREL15.MDB"), whole);
    QString failure;
    EXPECT_NE(OpenWorkingDb(tree_.DatabaseDir(), QStringLiteral("KESTREL15.MDB"), &failure),
              nullptr);
    EXPECT_EQ(failure, QString());
}

}  // namespace
}  // namespace kestrel
