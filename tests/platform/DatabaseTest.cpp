#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/Statement.h"

namespace kestrel {
namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.filePath(QStringLiteral("work.mdb"));
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        db_ = Database::Open(path_, false);
        db_->Execute(QStringLiteral(
            "CREATE TABLE Items (CMD TEXT, Data TEXT, [Index] INTEGER, Visible INTEGER)"));
        db_->Execute(
            QStringLiteral("INSERT INTO Items VALUES ('3001', '01', 1, -1), "
                           "('3002', '', 2, 0), ('3003', NULL, 3, NULL)"));
    }

    static int ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const RunError& e) {
            return e.Number();
        }
        return 0;
    }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<Database> db_;
};

// Each failure of opening, a statement or a change carries its number.
TEST_F(DatabaseTest, FailuresCarryTheirNumbers) {
    const QString junk = dir_.filePath(QStringLiteral("junk.lng"));
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    auto readOnly = Database::Open(path_, true);
    auto snapshot =
        db_->OpenRecordset(QStringLiteral("SELECT * FROM Items"), RecordsetType::Snapshot);
    auto dynaset = db_->OpenRecordset(QStringLiteral("SELECT * FROM Items"));
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { Database::Open(dir_.filePath(QStringLiteral("none.mdb")), true); },
         err::kCouldNotFindFile},
        {[&] { Database::Open(junk, true); }, err::kUnrecognizedFormat},
        {[&] { Database::Open(dir_.path(), false); }, err::kCouldNotFindFile},
        {[&] { db_->OpenRecordset(QStringLiteral("SELECT * FROM Missing")); }, err::kTableNotFound},
        {[&] { db_->Execute(QStringLiteral("SELEC nonsense")); }, err::kSyntaxError},
        {[&] { readOnly->Execute(QStringLiteral("DELETE * FROM Items")); }, err::kReadOnly},
        {[&] { snapshot->Edit(); }, err::kReadOnly},
        {[&] { dynaset->Update(); }, err::kUpdateWithoutEdit},
        {[&] { dynaset->SetField(QStringLiteral("Data"), 1); }, err::kUpdateWithoutEdit},
    };
    int i = 0;
    for (const auto& [action, number] : cases)
        EXPECT_EQ(ErrorOf(action), number) << "case " << i++;
    auto joined = db_->OpenRecordset(
        QStringLiteral("SELECT a.CMD FROM Items a JOIN Items b ON a.CMD = b.CMD"));
    EXPECT_FALSE(joined->Updatable());
}

TEST_F(DatabaseTest, NullIsDistinctFromEmptyText) {
    auto set = db_->OpenRecordset(QStringLiteral("SELECT * FROM Items ORDER BY CMD"),
                                  RecordsetType::Snapshot);
    ASSERT_EQ(set->RecordCount(), 3);
    EXPECT_EQ(set->Fields(QStringLiteral("Data")).toString(), QStringLiteral("01"));
    set->MoveNext();
    EXPECT_FALSE(set->Fields(QStringLiteral("data")).isNull());  // names ignore case
    EXPECT_EQ(set->Fields(QStringLiteral("Data")).toString(), QString());
    set->MoveNext();
    EXPECT_TRUE(set->Fields(QStringLiteral("Data")).isNull());
    set->MoveNext();
    EXPECT_TRUE(set->Eof());
    EXPECT_EQ(ErrorOf([&] { set->Fields(QStringLiteral("Data")); }), err::kNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { set->MoveNext(); }), err::kNoCurrentRecord);
}

TEST_F(DatabaseTest, ForwardOnlyCountsWhatItRead) {
    auto set = db_->OpenRecordset(QStringLiteral("SELECT CMD FROM Items ORDER BY CMD"),
                                  RecordsetType::ForwardOnly, rs::kReadOnly);
    EXPECT_EQ(set->RecordCount(), 1);
    QStringList keys;
    while (!set->Eof()) {
        keys << set->Fields(0).toString();
        set->MoveNext();
    }
    EXPECT_EQ(keys, QStringList({"3001", "3002", "3003"}));
    EXPECT_EQ(set->RecordCount(), 3);
    EXPECT_EQ(ErrorOf([&] { set->MoveFirst(); }), 3251);
}

TEST_F(DatabaseTest, DynasetEditAndAddNewReachTheFile) {
    {
        auto set = db_->OpenRecordset(QStringLiteral("SELECT * FROM Items WHERE CMD = ?"),
                                      RecordsetType::Dynaset, 0, {QStringLiteral("3002")});
        ASSERT_TRUE(set->Updatable());
        set->Edit();
        set->SetField(QStringLiteral("Data"), QStringLiteral("O'Brien \"7\" Ünïcode"));
        set->Update();
        set->AddNew();
        set->SetField(QStringLiteral("CMD"), QStringLiteral("3009"));
        set->Update();
        EXPECT_EQ(set->RecordCount(), 2);
    }
    auto check = Database::Open(path_, true);
    auto edited = check->OpenRecordset(QStringLiteral("SELECT Data FROM Items WHERE CMD = '3002'"),
                                       RecordsetType::Snapshot);
    EXPECT_EQ(edited->Fields(0).toString(), QStringLiteral("O'Brien \"7\" Ünïcode"));
    auto added =
        check->OpenRecordset(QStringLiteral("SELECT Data, [Index] FROM Items WHERE CMD = '3009'"),
                             RecordsetType::Snapshot);
    ASSERT_EQ(added->RecordCount(), 1);
    EXPECT_TRUE(added->Fields(0).isNull());
}

TEST_F(DatabaseTest, JetFormsKeepTheirMeaning) {
    EXPECT_EQ(db_->Execute(QStringLiteral("DELETE * FROM Items WHERE CMD = \"3003\"")), 1);
    auto byIndex = db_->OpenRecordset(QStringLiteral("SELECT CMD FROM Items WHERE Index = 2"),
                                      RecordsetType::Snapshot);
    EXPECT_EQ(byIndex->Fields(0).toString(), QStringLiteral("3002"));
    EXPECT_EQ(db_->Execute(QStringLiteral("delete * from Items")), 2);
}

// Keys match whatever their case, as the desktop engine compares text: in
// queries, result sets, statements and prepared statements, for literals,
// bound values and columns; stored values keep their case.
TEST_F(DatabaseTest, TextComparisonsIgnoreCase) {
    db_->Execute(QStringLiteral("CREATE TABLE Keys (Name TEXT, Other TEXT, Number INTEGER)"));
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
        {"SELECT Name FROM Keys WHERE Name = ?", {QStringLiteral("KESTREL")}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = 'kestrel'", {}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = \"KESTREL\"", {}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {QStringLiteral("Kestrel.wrx")}, {"kestrel.WRX"}},
        {"SELECT Name FROM Keys WHERE ? = Name", {QStringLiteral("kestrel")}, {"Kestrel"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {QStringLiteral("ÜBER")}, {"Über"}},
        {"SELECT Name FROM Keys WHERE Name = ?", {QStringLiteral("weiß")}, {"Weiß"}},
        // Case, not spelling: a sharp s is not "SS".
        {"SELECT Name FROM Keys WHERE Name = ?", {QStringLiteral("WEISS")}, {}},
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
    };
    for (const Case& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        for (RecordsetType type : {RecordsetType::Dynaset, RecordsetType::ForwardOnly}) {
            auto set = db_->OpenRecordset(sql, type, 0, c.params);
            QStringList names;
            while (!set->Eof()) {
                names << set->Fields(0).toString();
                set->MoveNext();
            }
            EXPECT_EQ(names, c.names) << c.sql;
        }
    }
    Statement prepared = db_->Prepare(QStringLiteral("SELECT Number FROM Keys WHERE Name = ?"));
    prepared.Bind(1, QStringLiteral("KESTREL.wrx"));
    ASSERT_TRUE(prepared.Step());
    EXPECT_EQ(prepared.Column(0).toInt(), 2);
    prepared.Reset();

    EXPECT_EQ(db_->Execute(QStringLiteral("UPDATE Keys SET Other = ? WHERE Name = ?"),
                           {QStringLiteral("Mixed Case"), QStringLiteral("KESTREL")}),
              1);
    auto stored = db_->OpenRecordset(
        QStringLiteral("SELECT Name, Other FROM Keys WHERE Number = 1"), RecordsetType::Snapshot);
    EXPECT_EQ(stored->Fields(0).toString(), QStringLiteral("Kestrel"));
    EXPECT_EQ(stored->Fields(1).toString(), QStringLiteral("Mixed Case"));
    EXPECT_EQ(db_->Execute(QStringLiteral("DELETE * FROM Keys WHERE Name = 'ÜBER'")), 1);

    // A second connection registers the same comparison.
    auto other = Database::Open(path_, true);
    auto found = other->OpenRecordset(QStringLiteral("SELECT Number FROM Keys WHERE Name = ?"),
                                      RecordsetType::Snapshot, 0, {QStringLiteral("WEIß")});
    ASSERT_FALSE(found->Eof());
    EXPECT_EQ(found->Fields(0).toInt(), 3);
}

TEST_F(DatabaseTest, ExclusiveSetFailsAtOnceForASecondConnection) {
    auto first = db_->OpenRecordset(QStringLiteral("SELECT * FROM Items"), RecordsetType::Dynaset,
                                    rs::kDenyRead | rs::kDenyWrite);
    auto other = Database::Open(path_, false);
    EXPECT_EQ(ErrorOf([&] {
                  other->OpenRecordset(QStringLiteral("SELECT * FROM Items"),
                                       RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite);
              }),
              err::kCouldNotLockTable);
    first->Close();
    EXPECT_NO_THROW(other->OpenRecordset(QStringLiteral("SELECT * FROM Items"),
                                         RecordsetType::Dynaset, rs::kDenyRead | rs::kDenyWrite));
}

}  // namespace
}  // namespace kestrel
