#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/Globals.h"
#include "support/QtPrinters.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 80; ++i)
            g_Messages << u"M%1"_s.arg(i);
        g_Messages << u"%1 %2: %3"_s << u"%1 has no number"_s << u"%1 names %2"_s
                   << u"%1 is one too many"_s << u"%1 twice"_s;
        db_ = Database::Open(runtime_.DatabaseDir() + u"KESTREL.MDB"_s, false);
        db_->Execute(u"DELETE FROM CMD30Titles"_s);
        db_->Execute(u"DELETE FROM CMD30Codes"_s);
    }
    void Title(int id, const char* cmd, const char* text, const QVariant& visible) {
        db_->Execute(u"INSERT INTO CMD30Titles VALUES (?, ?, ?, ?)"_s,
                     {id, Q(cmd), Q(text), visible});
    }
    void Option(int title, const QVariant& data, const char* text, const QVariant& dialog) {
        db_->Execute(QStringLiteral("INSERT INTO CMD30Codes (TitleID, Data, Description, "
                                    "DialogID) VALUES (?, ?, ?, ?)"),
                     {title, data, Q(text), dialog});
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
            for (int o = 0; o < title->rowCount(); ++o)
                out << u"  "_s + Describe(title->child(o));
        }
        return out;
    }
    static QString Describe(const QStandardItem* n) {
        return QStringList{CatalogueTreeModel::Key(n), n->text(), CatalogueTreeModel::Tag(n),
                           CatalogueTreeModel::ImageKey(n)}
            .join(u'|');
    }

    test::RuntimeTree runtime_;
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
    Option(3, u"1"_s, "One", 0);
    Option(3, QVariant(), "Typed", 4);
    Option(3, u" 2 "_s, " Two ", 3);
    Option(3, u""_s, "Empty", 0);
    Option(7, u"1"_s, "One again", 0);
    Option(9, u"1"_s, "never read", 0);
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
    EXPECT_EQ(CatalogueTreeModel::OptionData(u"D2:2"_s), u"2"_s);
    EXPECT_EQ(CatalogueTreeModel::OptionData(u"D9:a:b"_s), u"a:b"_s);
    EXPECT_TRUE(CatalogueTreeModel::IsTitle(u"Title12"_s));
    EXPECT_FALSE(tree_.data(tree_.index(0, 0), Qt::DecorationRole).isNull());
}

// A row that cannot be built (no dialog number, a number no rule
// describes) is left out and named; the rest of the tree is built and the
// tree works. The host's line takes the first fault (not standalone).
TEST_F(CatalogueTest, ABrokenRowIsLeftOutAndNamedAndTheRestIsBuilt) {
    Title(1, "3001", "Route", -1);
    Title(2, "3002", "Class", -1);
    Option(1, u"01"_s, "Route 1", 0);
    Option(1, u"02"_s, "Route 2", QVariant());
    Option(1, u"03"_s, "Route 3", 999);
    Option(1, u"04"_s, "Route 4", 1);
    Option(2, u"0"_s, "Plain", 0);
    const test::ExpectQtWarning logged(u"Catalogue tree: 3001 Route"_s);
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
    tree_.AddTitleNode(u"Title1"_s, u"kept"_s);
    BuildCatalogueTree(CatalogueContext{nullptr, &tree_, &values_, {}, &host_});
    EXPECT_EQ(host_.messages, QStringList{u"M10"_s});
    EXPECT_EQ(host_.codes, QList<std::int32_t>{3024});
    EXPECT_EQ(tree_.rowCount(), 1);
}

TEST_F(CatalogueTest, TheRunningNumberStopsAt32767) {
    const test::ExpectQtWarning logged(u"one too many"_s);
    Title(1, "3001", "Many", -1);
    db_->Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32769) "
        "INSERT INTO CMD30Codes (TitleID, Data, Description, DialogID) "
        "SELECT 1, printf('%05d', i), 'v', 0 FROM n"));
    Build();
    const QStandardItem* title = tree_.Node(u"Title1"_s);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->rowCount(), 32768);  // D0 .. D32767
    EXPECT_NE(tree_.Node(u"D32767:32767"_s), nullptr);
    EXPECT_EQ(host_.codes, QList<std::int32_t>{6});
    EXPECT_EQ(host_.messages, QStringList{u"3001 Many: v is one too many"_s});
    EXPECT_EQ(enabledLog_, QList<bool>({false, true}));
}

TEST(ValueListModelTest, SearchTakesTheFirstMatchAndMarksTheRow) {
    ValueListModel values;
    QAbstractItemModelTester tester(&values);
    values.AddRow(u"3001;01;Route;01"_s);
    values.AddRow(u"3002;2;Class;1"_s);
    values.AddRow(u"3001;09;Duplicate;09"_s);
    values.AddRow(u"3003;;Dial;"_s);

    EXPECT_EQ(values.GetItemValue(u"3001"_s).toString(), u"01"_s);
    EXPECT_EQ(values.CurrentRow(), 0);
    EXPECT_EQ(values.GetOriginalValue(u"3002"_s).toString(), u"1"_s);
    EXPECT_EQ(values.CurrentRow(), 1);

    // A missing key: empty value, the last row current and selected.
    const QVariant missing = values.GetItemValue(u"30"_s);
    EXPECT_TRUE(missing.isNull());
    EXPECT_EQ(values.CurrentRow(), 3);
    EXPECT_TRUE(values.Selection()->isRowSelected(3, QModelIndex()));
    EXPECT_TRUE(values.Selection()->isRowSelected(0, QModelIndex()));

    values.SetItemValue(u"3001"_s, u"04"_s);
    EXPECT_EQ(values.Cell(0, ValueListModel::kData), u"04"_s);
    EXPECT_EQ(values.Cell(2, ValueListModel::kData), u"09"_s);
    // Case counts.
    EXPECT_TRUE(values.GetItemValue(u"3001 "_s).isNull());
}

}  // namespace
}  // namespace kestrel
