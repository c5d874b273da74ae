#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "startup/WorkingCopy.h"
#include "support/FileLimits.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class WorkingCopyTest : public ::testing::Test {
protected:
    QString Serial() const { return tree_.DatabaseDir() + u"Serial.MDB"_s; }
    QString Template() const { return tree_.DatabaseDir() + u"KESTREL.MDB"_s; }
    QString Copy(int n) const { return tree_.DatabaseDir() + u"KESTREL%1.MDB"_s.arg(n); }
    void SetCounter(int n) {
        tree_.Sql(Serial(),
                  QStringLiteral("UPDATE SerialTable SET SerialCounter = %1 WHERE Addin = "
                                 "'KESTREL'")
                      .arg(n));
    }
    qlonglong Counter() const { return test::StoredCounter(Serial()); }
    // Makes a copy as the add-in asked by `addin`; the test's end removes it.
    QString Make(const QString& addin = u"KESTREL"_s, const QString& templateFile = QString()) {
        const QString name =
            MakeWorkingCopy(addin, tree_.DatabaseDir(), u"KESTREL"_s, templateFile);
        if (!name.isEmpty())
            made_ << name;
        return name;
    }
    // The numbered copies and their journals in the folder, sorted.
    QStringList CopiesLeft() const {
        return QDir(tree_.DatabaseDir())
            .entryList({u"KESTREL?*.MDB*"_s}, QDir::AllEntries | QDir::NoDotAndDotDot,
                       QDir::Name | QDir::IgnoreCase);
    }
    void Put(const QString& name, const QByteArray& content = "left behind") {
        ASSERT_TRUE(test::WriteFile(tree_.DatabaseDir() + name, content));
    }
    void TearDown() override {
        for (const QString& name : made_)
            RemoveWorkingCopy(tree_.DatabaseDir(), name);
    }

    test::RuntimeTree tree_;
    QStringList made_;
};

// The number follows the counter and wraps at 9999; a copy another
// instance holds is passed over, and every number tried is stored; a stale
// read-only copy is reset and overwritten. A language's own template is
// copied in place of KESTREL.MDB, beside which the copy is made all the same.
// The counter row is found whatever the case of its key, stored or asked,
// and keeps the key as stored.
TEST_F(WorkingCopyTest, NumbersFollowTheCounterAndTheCopyHoldsTheCatalogue) {
    const struct {
        const char *key, *asked;  // the counter row's key, and the add-in that asks
        int counter;
        const char* before;  // what the folder holds beforehand
        const char* name;
        int stored;
        const char* firstTitle;
    } cases[] = {
        {"KESTREL", "KESTREL", 41, "", "KESTREL42.MDB", 42, "Trunk route"},
        {"KESTREL", "KESTREL", 9999, "", "KESTREL0.MDB", 0, "Trunk route"},
        {"KESTREL", "KESTREL", 5, "copy 6 held", "KESTREL7.MDB", 7, "Trunk route"},
        {"KESTREL", "KESTREL", 5, "copy 6 read-only", "KESTREL6.MDB", 6, "Trunk route"},
        {"KESTREL", "KESTREL", 7, "LANGUAGES/DE/KESTREL.MDB", "KESTREL8.MDB", 8, "Leitungsbündel"},
        {"Kestrel", "KESTREL", 300, "", "KESTREL301.MDB", 301, "Trunk route"},
        {"KESTREL", "kestrel", 310, "", "KESTREL311.MDB", 311, "Trunk route"},
        {"kEsTrEl", "Kestrel", 320, "", "KESTREL321.MDB", 321, "Trunk route"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.Sql(Serial(),
                  u"UPDATE SerialTable SET Addin = '%1', SerialCounter = %2"_s.arg(Q(c.key)).arg(
                      c.counter));
        const QString before = Q(c.before);
        std::optional<FileLock> otherInstance;
        if (before == u"copy 6 held") {
            ASSERT_TRUE(QFile::copy(Template(), Copy(6)));
            otherInstance = TryLockFile(Copy(6));
            ASSERT_TRUE(otherInstance->Held());
        } else if (before == u"copy 6 read-only") {
            ASSERT_TRUE(test::WriteFile(Copy(6), "left by a killed instance"));
            QFile::setPermissions(Copy(6), QFile::ReadOwner);
        }
        const QString languageTemplate =
            before.endsWith(u".MDB") ? tree_.DatabaseDir() + before : QString();
        EXPECT_EQ(Make(Q(c.asked), languageTemplate), Q(c.name));
        EXPECT_EQ(test::SqlRows(*Database::Open(Serial(), true),
                                "SELECT Addin, SerialCounter FROM SerialTable"),
                  QStringList{u"%1=%2"_s.arg(Q(c.key)).arg(c.stored)});
        auto work = OpenWorkingDb(tree_.DatabaseDir(), Q(c.name));
        ASSERT_NE(work, nullptr);
        EXPECT_EQ(test::SqlValue(*work, "SELECT Description FROM CMD30Titles WHERE CMD = '3001'"),
                  Q(c.firstTitle));
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// A start removes the copies (and their journals) that no running instance
// holds: those of instances killed by a signal. A copy another instance
// holds stays, in this process or another; so do files that are not
// copies of ours.
TEST_F(WorkingCopyTest, AStartRemovesTheCopiesNoRunningInstanceHolds) {
    SetCounter(100);
    const QStringList notOurs = {u"KESTREL07.MDB"_s, u"KESTREL12345.MDB"_s, u"KESTRELX.MDB"_s,
                                 u"KESTREL3.MDB.bak"_s, u"OTHER3.MDB"_s};
    for (const QString& name :
         notOurs + QStringList{"KESTREL3.MDB", "KESTREL3.MDB-journal", "kestrel4.mdb",
                               "KESTREL9.MDB-journal", "KESTREL9999.MDB", "KESTREL5.MDB",
                               "KESTREL6.MDB", "KESTREL6.MDB-journal"})
        Put(name);
    FileLock sameProcess = TryLockFile(tree_.DatabaseDir() + u"KESTREL5.MDB"_s);
    ASSERT_TRUE(sameProcess.Held());
    test::OtherProcessLock otherProcess(tree_.DatabaseDir() + u"KESTREL6.MDB"_s);
    ASSERT_TRUE(otherProcess.Held());

    EXPECT_EQ(Make(), u"KESTREL101.MDB"_s);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    QStringList expected = notOurs;
    expected << u"KESTREL101.MDB"_s << u"KESTREL5.MDB"_s << u"KESTREL6.MDB"_s
             << u"KESTREL6.MDB-journal"_s;
    expected.sort(Qt::CaseInsensitive);
    const QStringList others = QDir(tree_.DatabaseDir()).entryList({u"OTHER*"_s});
    EXPECT_EQ(CopiesLeft() + others, expected);

    // Killed, the other process leaves its copy to the next start; our own
    // copies are never touched.
    otherProcess.Kill();
    sameProcess.Release();
    EXPECT_EQ(Make(), u"KESTREL102.MDB"_s);
    EXPECT_EQ(CopiesLeft(), QStringList({"KESTREL07.MDB", "KESTREL101.MDB", "KESTREL102.MDB",
                                         "KESTREL12345.MDB", "KESTREL3.MDB.bak", "KESTRELX.MDB"}));
    EXPECT_NE(OpenWorkingDb(tree_.DatabaseDir(), u"KESTREL101.MDB"_s), nullptr);
}

// A copy that cannot be made is given up with a box saying why and leaves
// no file behind. Without a counter row, or with the row held by a second
// instance, it fails at once and the counter stays; an attempt no other
// number can cure (a full disk too) is tried 64 times, and the counter is
// free afterwards.
TEST_F(WorkingCopyTest, AFailedCopyIsToldAndLeavesNothing) {
    const QString saved = Template() + u".saved"_s;
    const qint64 templateSize = QFileInfo(Template()).size();
    ASSERT_GT(templateSize, QFileInfo(Serial()).size() * 3);
    std::optional<test::HeldTable> held;
    std::optional<test::FileSizeLimit> fullDisk;
    const struct {
        const char* name;
        std::function<void()> breakIt, mendIt;
        const char* reason;
        int tried;  // the numbers the counter moved on by
    } cases[] = {
        {"no counter row", [&] { tree_.Sql(Serial(), u"DELETE FROM SerialTable"_s); },
         [&] { tree_.Sql(Serial(), "INSERT INTO SerialTable VALUES ('KESTREL', 0)"); },
         "No current record.", -1},
        {"the counter held by a second instance", [&] { held.emplace(Serial(), u"SerialTable"_s); },
         [&] { held.reset(); }, "Couldn't lock", 0},
        {"a missing template", [&] { ASSERT_TRUE(QFile::rename(Template(), saved)); },
         [&] { QFile::rename(saved, Template()); }, "64 numbers", kMaxWorkingCopyAttempts},
        {"a folder in place of the template",
         [&] { ASSERT_TRUE(QFile::rename(Template(), saved) && QDir().mkdir(Template())); },
         [&] {
             QDir().rmdir(Template());
             QFile::rename(saved, Template());
         },
         "Path/File access error", kMaxWorkingCopyAttempts},
        {"a full disk", [&] { fullDisk.emplace(templateSize / 2); }, [&] { fullDisk.reset(); },
         "Disk full", kMaxWorkingCopyAttempts}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree_.boxes.shown.clear();
        SetCounter(200);
        c.breakIt();
        const QString result = Make();
        c.mendIt();
        EXPECT_EQ(Counter(), c.tried < 0 ? 0 : 200 + c.tried);  // the mended row counts from 0
        EXPECT_EQ(result, QString());
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const QString prompt = tree_.boxes.Last().prompt;
        EXPECT_TRUE(prompt.contains(Q(c.reason))) << prompt.toStdString();
        EXPECT_EQ(prompt.contains(u"64 numbers"_s), c.tried > 0) << prompt.toStdString();
        EXPECT_EQ(CopiesLeft(), QStringList());
        // The counter is free again for the next instance.
        EXPECT_NO_THROW(test::HeldTable(Serial(), u"SerialTable"_s));
    }
}

// A copy that is no working database does not open: garbage, a file cut
// short, an empty file and another database all fail with their reason.
TEST_F(WorkingCopyTest, OnlyAWorkingDatabaseOpens) {
    const QByteArray whole = test::ReadFile(Template());
    const struct {
        const char* name;
        QByteArray content;
        const char* reason;
    } cases[] = {{"KESTREL11.MDB", QByteArray(3000, '\x5a'), "[3343]"},
                 {"KESTREL12.MDB", whole.left(whole.size() / 3), "[3343]"},
                 {"KESTREL13.MDB", QByteArray(), "'CMD30Titles'"},
                 {"KESTREL14.MDB", test::ReadFile(Serial()), "'CMD30Titles'"}};
    for (const auto& c : cases) {
        Put(Q(c.name), c.content);
        const test::ExpectQtWarning logged(u"^kestrel.db: The working copy .*"_s + Q(c.name));
        QString failure;
        EXPECT_EQ(OpenWorkingDb(tree_.DatabaseDir(), Q(c.name), &failure), nullptr) << c.name;
        EXPECT_TRUE(failure.contains(Q(c.reason))) << failure.toStdString();
    }
}

}  // namespace
}  // namespace kestrel
