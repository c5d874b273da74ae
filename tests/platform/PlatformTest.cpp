#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/JetSql.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Statement.h"
#include "support/FileLimits.h"
#include "support/QtPrinters.h"
#include "support/QtWarnings.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

// The number of the error an action throws; 0 when it throws none.
int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.Number();
    }
    return 0;
}

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.filePath(u"work.mdb"_s);
        ASSERT_TRUE(test::WriteFile(path_, {}));
        db_ = Database::Open(path_, false);
        db_->Execute(QStringLiteral(
            "CREATE TABLE Items (CMD TEXT, Data TEXT, [Index] INTEGER, Visible INTEGER)"));
        db_->Execute(
            QStringLiteral("INSERT INTO Items VALUES ('3001', '01', 1, -1), "
                           "('3002', '', 2, 0), ('3003', NULL, 3, NULL)"));
    }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<Database> db_;
};

// Each failure of opening, a statement or a change carries its number.
TEST_F(DatabaseTest, FailuresCarryTheirNumbers) {
    const QString junk = dir_.filePath(u"junk.lng"_s);
    ASSERT_TRUE(test::WriteFile(junk, QByteArray(4096, 'x')));
    auto readOnly = Database::Open(path_, true);
    auto snapshot = db_->OpenRecordset(u"SELECT * FROM Items"_s, RecordsetType::Snapshot);
    auto dynaset = db_->OpenRecordset(u"SELECT * FROM Items"_s);
    bool firstHeld = false;
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { Database::Open(dir_.filePath(u"none.mdb"_s), true); }, err::kCouldNotFindFile},
        {[&] { Database::Open(junk, true); }, err::kUnrecognizedFormat},
        {[&] { Database::Open(dir_.path(), false); }, err::kCouldNotFindFile},
        {[&] { db_->OpenRecordset(u"SELECT * FROM Missing"_s); }, err::kTableNotFound},
        {[&] { db_->Execute(u"SELEC nonsense"_s); }, err::kSyntaxError},
        {[&] { readOnly->Execute(u"DELETE * FROM Items"_s); }, err::kReadOnly},
        {[&] { snapshot->Edit(); }, err::kReadOnly},
        {[&] { dynaset->Update(); }, err::kUpdateWithoutEdit},
        {[&] { dynaset->SetField(u"Data"_s, 1); }, err::kUpdateWithoutEdit},
        // A set held exclusively fails a second connection at once.
        {[&] {
             const auto sql = u"SELECT * FROM Items"_s;
             auto held =
                 db_->OpenRecordset(sql, RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite);
             firstHeld = true;
             Database::Open(path_, false)
                 ->OpenRecordset(sql, RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite);
         },
         err::kCouldNotLockTable}};
    int i = 0;
    for (const auto& [action, number] : cases)
        EXPECT_EQ(ErrorOf(action), number) << "case " << i++;
    EXPECT_TRUE(firstHeld);
    auto joined = db_->OpenRecordset(u"SELECT a.CMD FROM Items a JOIN Items b ON a.CMD = b.CMD"_s);
    EXPECT_FALSE(joined->Updatable());
}

// Null is distinct from empty text, field names ignore case and past the
// end there is no current record; a forward-only set counts what it has
// read and cannot go back.
TEST_F(DatabaseTest, NullIsDistinctFromEmptyText) {
    auto set = db_->OpenRecordset(u"SELECT * FROM Items ORDER BY CMD"_s, RecordsetType::Snapshot);
    ASSERT_EQ(set->RecordCount(), 3);
    EXPECT_EQ(set->Fields(u"Data"_s).toString(), u"01"_s);
    set->MoveNext();
    EXPECT_FALSE(set->Fields(u"data"_s).isNull());
    EXPECT_EQ(set->Fields(u"Data"_s).toString(), QString());
    set->MoveNext();
    EXPECT_TRUE(set->Fields(u"Data"_s).isNull());
    set->MoveNext();
    EXPECT_TRUE(set->Eof());
    EXPECT_EQ(ErrorOf([&] { set->Fields(u"Data"_s); }), err::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { set->MoveNext(); }), err::kNoCurrentRecord);

    set = db_->OpenRecordset(u"SELECT CMD FROM Items ORDER BY CMD"_s, RecordsetType::ForwardOnly,
                             rs::kReadOnly);
    EXPECT_EQ(set->RecordCount(), 1);
    QStringList keys;
    for (; !set->Eof(); set->MoveNext())
        keys << set->Fields(0).toString();
    EXPECT_EQ(keys, QStringList({"3001", "3002", "3003"}));
    EXPECT_EQ(set->RecordCount(), 3);
}

// Keys match whatever their case, as the desktop engine compares text: in
// queries, result sets, statements and prepared statements, for literals,
// bound values and columns; stored values keep their case.
TEST_F(DatabaseTest, TextComparisonsIgnoreCase) {
    db_->Execute(u"CREATE TABLE Keys (Name TEXT, Other TEXT, Number INTEGER)"_s);
    db_->Execute(
        QStringLiteral("INSERT INTO Keys VALUES ('Kestrel', 'KESTREL', 1), "
                       "('kestrel.WRX', 'x', 2), ('Weiß', 'WEISS', 3), "
                       "('Über', 'über', 4), ('0010', '10', 10)"));
    struct Case {
        const char* sql;
        QVariantList params;
        QStringList names;
    };
    const Case cases[] = {
        {"SELECT Name FROM Keys WHERE Name = ?", {u"KESTREL"_s}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = 'kestrel'", {}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = \"KESTREL\"", {}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {u"Kestrel.wrx"_s}, {"kestrel.WRX"}},
        {"SELECT Name FROM Keys WHERE ? = Name", {u"kestrel"_s}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {u"ÜBER"_s}, {"Über"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {u"weiß"_s}, {"Weiß"}},
        // Case, not spelling: a sharp s is not "SS".
        {"SELECT Name FROM Keys WHERE Name = ?", {u"WEISS"_s}, {}},
        {"SELECT Name FROM Keys WHERE Name = Other ORDER BY Number", {}, {"Kestrel", "Über"}},
        {"SELECT k.Name FROM Keys k JOIN Keys o ON o.Other = k.Name ORDER BY k.Number",
         {},
         {"Kestrel", "Über"}},
        {"SELECT Name FROM Keys WHERE Name <> 'KESTREL' AND Number < 5 ORDER BY Number",
         {},
         {"kestrel.WRX", "Weiß", "Über"}},
        {"SELECT Name FROM Keys WHERE Name = 'kestrel' COLLATE BINARY", {}, {}},
        // Numbers still compare as numbers.
        {"SELECT Name FROM Keys WHERE Number = ?", {10}, {"0010"}},
        {"SELECT Name FROM Keys WHERE Number >= 4 ORDER BY Number", {}, {"Über", "0010"}},
        // The desktop engine's bare Index column.
        {"SELECT CMD FROM Items WHERE Index = 2", {}, {"3002"}}};
    for (const Case& c : cases) {
        const QString sql = Q(c.sql);
        for (RecordsetType type : {RecordsetType::Dynaset, RecordsetType::ForwardOnly}) {
            auto set = db_->OpenRecordset(sql, type, 0, c.params);
            QStringList names;
            for (; !set->Eof(); set->MoveNext())
                names << set->Fields(0).toString();
            EXPECT_EQ(names, c.names) << c.sql;
        }
    }
    Statement prepared = db_->Prepare(u"SELECT Number FROM Keys WHERE Name = ?"_s);
    prepared.Bind(1, u"KESTREL.wrx"_s);
    ASSERT_TRUE(prepared.Step());
    EXPECT_EQ(prepared.Column(0).toInt(), 2);
    prepared.Reset();

    EXPECT_EQ(db_->Execute(u"UPDATE Keys SET Other = ? WHERE Name = ?"_s,
                           {u"Mixed Case"_s, u"KESTREL"_s}),
              1);
    EXPECT_EQ(test::SqlRows(*db_, "SELECT Name, Other FROM Keys WHERE Number = 1"),
              QStringList{"Kestrel=Mixed Case"});
    EXPECT_EQ(db_->Execute(u"DELETE * FROM Keys WHERE Name = 'ÜBER'"_s), 1);

    // A second connection registers the same comparison.
    EXPECT_EQ(test::SqlValue(*Database::Open(path_, true), "SELECT Number FROM Keys WHERE Name = ?",
                             {u"WEIß"_s}),
              u"3"_s);
}

TEST(JetSqlTest, TranslatesTheDesktopEnginesForms) {
    const struct {
        const char *jet, *sqlite;
    } cases[] = {
        {"DELETE * FROM Trunk", "DELETE FROM Trunk"},
        {"delete   *   from PBXName", "DELETE FROM PBXName"},
        {"SELECT * FROM SerialTable Where Addin = \"KESTREL\"",
         "SELECT * FROM SerialTable Where Addin = 'KESTREL'"},
        {"SELECT * FROM T WHERE a = \"it's\"", "SELECT * FROM T WHERE a = 'it''s'"},
        {"SELECT * FROM T WHERE a = \"say \"\"hi\"\"\"", "SELECT * FROM T WHERE a = 'say \"hi\"'"},
        {"SELECT * FROM T WHERE a = 'DELETE * FROM x'",
         "SELECT * FROM T WHERE a = 'DELETE * FROM x'"},
        {"SELECT Index FROM tControls ORDER BY Index",
         "SELECT [Index] FROM tControls ORDER BY [Index]"},
        {"SELECT [Index], t.Index, IndexNo FROM t", "SELECT [Index], t.Index, IndexNo FROM t"},
        {"SELECT * FROM T WHERE a = 'Index'", "SELECT * FROM T WHERE a = 'Index'"}};
    for (const auto& c : cases)
        EXPECT_EQ(TranslateJetSql(Q(c.jet)), Q(c.sqlite)) << c.jet;
}

TEST(CaseInsensitiveTextTest, CollatesTheRightOperandOfTextComparisons) {
    const QString c = u" COLLATE "_s + QLatin1String(kNoCaseCollation);
    // Each statement with '@' where the collation goes.
    const struct {
        const char* sql;
        QVariantList params;
    } cases[] = {
        {"SELECT * FROM T WHERE a = ?@", {u"x"_s}},
        {"SELECT * FROM T WHERE a = ? AND b = ?@", {7, u"x"_s}},
        {"SELECT * FROM T WHERE a<>'x'@ OR b>='y'@", {}},
        {"SELECT * FROM T JOIN U ON U.a = T.[b c]@", {}},
        {"SELECT * FROM T WHERE a = 'it''s = ?'@", {}},
        {"SELECT * FROM T WHERE a = 5 AND b = NULL AND c = lower(d) AND e = (SELECT 1)", {}},
        {"SELECT * FROM T WHERE a = 'x' COLLATE BINARY", {}},
        {"SELECT a << 2, a >> 1 FROM T", {}},
        {"CREATE TABLE T (a TEXT CHECK (a = 'x'))", {}},
        {"PRAGMA user_version = 3", {}}};
    for (const auto& k : cases) {
        EXPECT_EQ(WithCaseInsensitiveText(Q(k.sql).remove(u'@'), &k.params),
                  Q(k.sql).replace(u'@', c))
            << k.sql;
    }
    // A prepared statement's values are not known yet: its places count as text.
    EXPECT_EQ(WithCaseInsensitiveText(u"SELECT * FROM T WHERE a = ?"_s),
              u"SELECT * FROM T WHERE a = ?"_s + c);
    EXPECT_EQ(CompareTextNoCase(u"Über", u"üBER"), 0);
    EXPECT_LT(CompareTextNoCase(u"abc", u"ABD"), 0);
    EXPECT_NE(CompareTextNoCase(u"weiß", u"WEISS"), 0);
}

// The test main fails a test on a warning nobody declared, and a declared
// warning that never comes fails it as well.
TEST(LoggingTest, UndeclaredWarningsAndUnmetExpectationsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(qCWarning(lcDb, "a stray warning"),
                            "Unexpected Qt warning message: kestrel.db: a stray warning");
    EXPECT_NONFATAL_FAILURE(test::ExpectQtWarning(u"never said"_s), "never said\" did not come");
    {
        const test::ExpectQtWarning declared(u"^kestrel.db: a stray"_s);
        qCWarning(lcDb, "a stray warning");
        qCWarning(lcDb, "a stray warning");
        EXPECT_EQ(declared.Count(), 2);
        // Only what matches is taken.
        EXPECT_NONFATAL_FAILURE(qCritical("something else"),
                                "Unexpected Qt critical message: default: something else");
        EXPECT_EQ(declared.Count(), 2);
    }
}

// Components are found whatever their case (backslashes separate as well;
// a missing part keeps its given name). Where several entries match a
// component, the one that leads furthest wins; ties go to the exact name,
// then to directory order.
TEST(ResolvePathTest, FindsComponentsWhateverTheirCase) {
    QTemporaryDir dir;
    // An upper-case folder "weiß" becomes in the install-path rules; an
    // upper-case sibling without the file beside the folder that has it;
    // siblings that differ only in case, each holding a different part.
    for (const char* path :
         {"weiß/Data/Kestrel.lng", "ADDINS/DATABASE/", "Addins/DataBase/Serial.MDB",
          "Pics/one/two/", "pics/one/back.png", "Sets/a/", "sets/b/"}) {
        const QFileInfo made(dir.filePath(Q(path)));
        QDir().mkpath(made.path());
        if (!made.fileName().isEmpty())
            test::WriteFile(made.filePath(), "x");
    }

    const struct {
        const char *asked, *expected;
    } cases[] = {{"WEISS/DATA/KESTREL.LNG", "weiß/Data/Kestrel.lng"},
                 {"WEISS/DATA/KESTREL7.MDB", "weiß/Data/KESTREL7.MDB"},
                 {"WEIß/data/", "weiß/Data/"},
                 {"ADDINS/DATABASE/SERIAL.MDB", "Addins/DataBase/Serial.MDB"},
                 {"ADDINS/DATABASE/KESTREL3.MDB", "ADDINS/DATABASE/KESTREL3.MDB"},
                 {"PICS/ONE/BACK.PNG", "pics/one/back.png"},
                 {"PICS/ONE/TWO/NEW.PNG", "Pics/one/two/NEW.PNG"},
                 {"PICS/ONE/NEW.PNG", "Pics/one/NEW.PNG"},
                 {"pics/one/new.png", "pics/one/new.png"},
                 {"SETS/B/NEW", "sets/b/NEW"},
                 {"SETS/C/NEW", "Sets/C/NEW"},
                 {"sets/c/new", "sets/c/new"},
                 {"PICS/../WEISS/DATA/KESTREL.LNG", "weiß/Data/Kestrel.lng"},
                 {"ADDINS/DATABASE/../../WEISS/", "weiß/"},
                 {"ADDINS\\DATABASE\\SERIAL.MDB", "Addins/DataBase/Serial.MDB"},
                 {"ADDINS/NOPE/SUB/FILE", "ADDINS/NOPE/SUB/FILE"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolvePath(dir.path() + u'/' + Q(c.asked)), dir.filePath(Q(c.expected)))
            << c.asked;
    }
    // A name in a folder: the folder as above, the name whatever its case.
    EXPECT_EQ(ResolvePathIn(dir.path() + u"/WEISS/DATA/"_s, u"KESTREL.LNG"_s),
              dir.filePath(u"weiß/Data/Kestrel.lng"_s));
    EXPECT_EQ(ResolvePathIn(dir.path() + u"/WEISS/DATA"_s, u"KESTREL7.MDB"_s),
              dir.filePath(u"weiß/Data/KESTREL7.MDB"_s));
}

// Each failure carries its number. One that fails once it has made or
// taken its destination deletes it, so failed attempts leave nothing behind;
// one that fails before leaves a file that is not its own alone. A copy
// that succeeds replaces a longer file whole and holds it until released.
TEST(CopyFileLockedTest, FailuresCarryTheirNumbersAndLeaveNoDestinationOfTheirOwn) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(Q(name)); };
    test::WriteFile(path("T.MDB"), "template");
    test::WriteFile(path("Big.MDB"), QByteArray(256 * 1024, 'x'));
    ASSERT_TRUE(QDir().mkdir(path("F.MDB")));
    test::WriteFile(path("RO.MDB"), "an older and longer working copy");
    QFile::setPermissions(path("RO.MDB"), QFile::ReadOwner);
    test::WriteFile(path("Held.MDB"), "in use");
    FileLock holder = TryLockFile(path("Held.MDB"));
    ASSERT_TRUE(holder.Held());
    const struct {
        const char *from, *to, *before;  // the destination's content beforehand, if any
        bool fullDisk;
        int error;
        const char* after;
    } cases[] = {
        {"missing.MDB", "x.MDB", "", false, err::kFileNotFound, "gone"},
        {"T.MDB", "nofolder/x.MDB", "", false, err::kPathNotFound, "gone"},
        {"T.MDB", "RO.MDB", "", false, err::kPathFileAccess, "an older and longer working copy"},
        {"T.MDB", "Held.MDB", "", false, err::kPermissionDenied, "in use"},
        {"Big.MDB", "T1.MDB", "", true, err::kDiskFull, "gone"},
        {"Big.MDB", "T1.MDB", "left by an instance that was killed", true, err::kDiskFull, "gone"},
        {"F.MDB", "T1.MDB", "", false, err::kPathFileAccess, "gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " to " + c.to);
        if (*c.before)
            test::WriteFile(path(c.to), c.before);
        std::optional<test::FileSizeLimit> fullDisk;
        if (c.fullDisk)
            fullDisk.emplace(64 * 1024);
        EXPECT_EQ(ErrorOf([&] { CopyFileLocked(path(c.from), path(c.to)); }), c.error);
        fullDisk.reset();
        EXPECT_EQ(QFile::exists(path(c.to)) ? test::ReadFile(path(c.to)) : QByteArray("gone"),
                  QByteArray(c.after));
    }
    // A read-only destination takes the copy once its attributes are cleared.
    ClearAttributes(path("RO.MDB"));
    FileLock lock = CopyFileLocked(path("T.MDB"), path("RO.MDB"));
    EXPECT_EQ(test::ReadFile(path("RO.MDB")), QByteArray("template"));
    EXPECT_EQ(ErrorOf([&] { CopyFileLocked(path("T.MDB"), path("RO.MDB")); }),
              err::kPermissionDenied);
    EXPECT_FALSE(TryLockFile(path("RO.MDB")).Held());
    lock.Release();
    EXPECT_TRUE(TryLockFile(path("RO.MDB")).Held());
}

}  // namespace
}  // namespace kestrel
