#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QTemporaryDir>

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/Globals.h"
#include "support/QtPrinters.h"
#include "support/QtWarnings.h"
#include "support/ScriptedHost.h"

namespace kestrel {
namespace {

const QString kTemplate = QStringLiteral(KESTREL_STAGE_ROOT "/ADDINS/DATABASE/KESTREL.MDB");

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Standalone = false;
        g_Messages = QStringList();
        for (int i = 0; i < 80; ++i)
            g_Messages << QStringLiteral("M%1").arg(i);
        g_Messages << QStringLiteral("%1 %2: %3") << QStringLiteral("%1 has no number")
                   << QStringLiteral("%1 names %2") << QStringLiteral("%1 is one too many")
                   << QStringLiteral("%1 twice");
        const QString path = dir_.filePath(QStringLiteral("work.mdb"));
        QFile::copy(kTemplate, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db_ = Database::Open(path, false);
        db_->Execute(QStringLiteral("DELETE FROM CMD30Titles"));
        db_->Execute(QStringLiteral("DELETE FROM CMD30Codes"));
    }
    void TearDown() override { g_Messages.clear(); }

    void Title(int id, const char* cmd, const char* text, const QVariant& visible) {
        db_->Execute(QStringLiteral("INSERT INTO CMD30Titles VALUES (?, ?, ?, ?)"),
                     {id, QString::fromLatin1(cmd), QString::fromLatin1(text), visible});
    }
    void Option(int title, const QVariant& data, const char* text, const QVariant& dialog) {
        db_->Execute(QStringLiteral("INSERT INTO CMD30Codes (TitleID, Data, Description, "
                                    "DialogID) VALUES (?, ?, ?, ?)"),
                     {title, data, QString::fromLatin1(text), dialog});
    }
    QStringList Build() {
        return BuildCatalogueTree(CatalogueContext{db_.get(), &tree_, &values_,
                                                   [this](bool e) { enabledLog_ << e; }, &host_});
    }
    // "key|text|tag|image" of every node, depth first.
    QStringList Nodes() const {
        QStringList out;
        for (int r = 0; r < tree_.rowCount(); ++r) {
            const QStandardItem* title = tree_.item(r);
            out << Describe(title);
            for (int o = 0; o < title->rowCount(); ++o) {
                out << QStringLiteral("  ") + Describe(title->child(o));
            }
        }
        return out;
    }
    static QString Describe(const QStandardItem* n) {
        return QStringList{CatalogueTreeModel::Key(n), n->text(), CatalogueTreeModel::Tag(n),
                           CatalogueTreeModel::ImageKey(n)}
            .join(u'|');
    }

    QTemporaryDir dir_;
    std::unique_ptr<Database> db_;
    CatalogueTreeModel tree_;
    ValueListModel values_;
    test::ScriptedHost host_;
    QList<bool> enabledLog_;
};

TEST_F(CatalogueTest, KeysTagsAndImagesOfASmallCatalogue) {
    QAbstractItemModelTester treeTester(&tree_);
    Title(7, "3002", "Second", -1);
    Title(3, "3001", "First", -1);
    Title(9, "3000", "Hidden", 0);
    Title(4, "3005", "Null visible", QVariant());
    Title(5, "3009", "No options", -1);
    Option(3, QStringLiteral("1"), "One", 0);
    Option(3, QVariant(), "Typed", 4);
    Option(3, QStringLiteral(" 2 "), " Two ", 3);
    Option(3, QStringLiteral(""), "Empty", 0);
    Option(7, QStringLiteral("1"), "One again", 0);
    Option(9, QStringLiteral("1"), "never read", 0);
    Build();
    // Ordered by CMD, options by Data (Null first); the running number
    // goes across items and skips invisible ones. Options show whether they
    // take a dialog and which one the value list holds.
    EXPECT_EQ(Nodes(), QStringList({
                           "Title3|First|3001|Num",
                           "  D0:|Typed|4|More",
                           "  D1:|Empty|0|Check",
                           "  D2:2|Two|3|More",
                           "  D3:1|One|0|Blank",
                           "Title7|Second|3002|Num",
                           "  D4:1|One again|0|Blank",
                           "Title5|No options|3009|Num",
                       }));
    EXPECT_EQ(enabledLog_, QList<bool>({false, true}));
    EXPECT_TRUE(host_.messages.isEmpty());
    EXPECT_EQ(CatalogueTreeModel::OptionData(QStringLiteral("D2:2")), QStringLiteral("2"));
    EXPECT_EQ(CatalogueTreeModel::OptionData(QStringLiteral("D9:a:b")), QStringLiteral("a:b"));
    EXPECT_TRUE(CatalogueTreeModel::IsTitle(QStringLiteral("Title12")));
    EXPECT_FALSE(tree_.data(tree_.index(0, 0), Qt::DecorationRole).isNull());
}

// A row that cannot be built (no dialog number, a number no rule
// describes) is left out and named; the rest of the tree is built and the
// tree works. The host's line takes the first fault (not standalone).
TEST_F(CatalogueTest, ABrokenRowIsLeftOutAndNamedAndTheRestIsBuilt) {
    Title(1, "3001", "Route", -1);
    Title(2, "3002", "Class", -1);
    Option(1, QStringLiteral("01"), "Route 1", 0);
    Option(1, QStringLiteral("02"), "Route 2", QVariant());
    Option(1, QStringLiteral("03"), "Route 3", 999);
    Option(1, QStringLiteral("04"), "Route 4", 1);
    Option(2, QStringLiteral("0"), "Plain", 0);
    const test::ExpectQtWarning logged(QStringLiteral("Catalogue tree: 3001 Route"));
    for (const bool standalone : {false, true}) {
        g_Standalone = standalone;
        host_.messages.clear();
        host_.codes.clear();
        enabledLog_.clear();
        const QStringList faults = Build();
        EXPECT_EQ(Nodes(), QStringList({"Title1|Route|3001|Num", "  D0:01|Route 1|0|Blank",
                                        "  D1:04|Route 4|1|More", "Title2|Class|3002|Num",
                                        "  D2:0|Plain|0|Blank"}))
            << standalone;
        EXPECT_EQ(faults, QStringList({"3001 Route: Route 2 has no number",
                                       "3001 Route: Route 3 names 999"}));
        EXPECT_EQ(enabledLog_, QList<bool>({false, true})) << standalone;
        EXPECT_EQ(host_.codes.size(), standalone ? 0 : 1);
        EXPECT_EQ(host_.codes.value(0), standalone ? 0 : 3265);
        EXPECT_EQ(host_.messages, standalone ? QStringList() : QStringList{faults.value(0)});
    }
}

TEST_F(CatalogueTest, NoWorkingDatabaseReportsMessage10AndLeavesTheTree) {
    tree_.AddTitleNode(QStringLiteral("Title1"), QStringLiteral("kept"));
    CatalogueContext c;
    c.tree = &tree_;
    c.values = &values_;
    c.parent = &host_;
    BuildCatalogueTree(c);
    EXPECT_EQ(host_.messages, QStringList{QStringLiteral("M10")});
    EXPECT_EQ(host_.codes, QList<std::int32_t>{3024});
    EXPECT_EQ(tree_.rowCount(), 1);
}

TEST_F(CatalogueTest, TheRunningNumberStopsAt32767) {
    const test::ExpectQtWarning logged(QStringLiteral("one too many"));
    Title(1, "3001", "Many", -1);
    db_->Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32769) "
        "INSERT INTO CMD30Codes (TitleID, Data, Description, DialogID) "
        "SELECT 1, printf('%05d', i), 'v', 0 FROM n"));
    Build();
    const QStandardItem* title = tree_.Node(QStringLiteral("Title1"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->rowCount(), 32768);  // D0 .. D32767
    EXPECT_NE(tree_.Node(QStringLiteral("D32767:32767")), nullptr);
    EXPECT_EQ(host_.codes, QList<std::int32_t>{6});
    EXPECT_EQ(host_.messages, QStringList{QStringLiteral("3001 Many: v is one too many")});
    EXPECT_EQ(enabledLog_, QList<bool>({false, true}));
}

TEST(ValueListModelTest, SearchTakesTheFirstMatchAndMarksTheRow) {
    ValueListModel values;
    QAbstractItemModelTester tester(&values);
    values.AddRow(QStringLiteral("3001;01;Route;01"));
    values.AddRow(QStringLiteral("3002;2;Class;1"));
    values.AddRow(QStringLiteral("3001;09;Duplicate;09"));
    values.AddRow(QStringLiteral("3003;;Dial;"));

    EXPECT_EQ(values.GetItemValue(QStringLiteral("3001")).toString(), QStringLiteral("01"));
    EXPECT_EQ(values.CurrentRow(), 0);
    EXPECT_EQ(values.GetOriginalValue(QStringLiteral("3002")).toString(), QStringLiteral("1"));
    EXPECT_EQ(values.CurrentRow(), 1);
    EXPECT_TRUE(values.index(1, 0).data(ValueListModel::EditedRole).toBool());
    EXPECT_FALSE(values.index(0, 0).data(ValueListModel::EditedRole).toBool());

    // A missing key: empty value, the last row current and selected.
    const QVariant missing = values.GetItemValue(QStringLiteral("30"));
    EXPECT_TRUE(missing.isNull());
    EXPECT_EQ(missing.toString(), QString());
    EXPECT_EQ(values.CurrentRow(), 3);
    EXPECT_TRUE(values.Selection()->isRowSelected(3, QModelIndex()));
    EXPECT_TRUE(values.Selection()->isRowSelected(0, QModelIndex()));

    values.SetItemValue(QStringLiteral("3001"), QStringLiteral("04"));
    EXPECT_EQ(values.Cell(0, ValueListModel::kData), QStringLiteral("04"));
    EXPECT_EQ(values.Cell(2, ValueListModel::kData), QStringLiteral("09"));
    EXPECT_TRUE(values.index(0, 2).data(ValueListModel::EditedRole).toBool());
    values.SetItemValue(QStringLiteral("3999"), QStringLiteral("x"));
    EXPECT_EQ(values.CurrentRow(), 3);
    // Case counts.
    EXPECT_TRUE(values.GetItemValue(QStringLiteral("3001 ")).isNull());

    values.Clear();
    EXPECT_EQ(values.rowCount(), 0);
    EXPECT_TRUE(values.GetItemValue(QStringLiteral("3001")).isNull());
    EXPECT_EQ(values.CurrentRow(), -1);
}

}  // namespace
}  // namespace kestrel
