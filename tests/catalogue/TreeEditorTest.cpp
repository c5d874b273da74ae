#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

// One item "3001" with options D0:01 (Check), D1:02, D2:03 (plain) and
// D3: (typed, dialog 1), D4:9 (fixed data, dialog 2).
class TreeEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            OpenDB(tree_.SuiteDatabaseDir() + QStringLiteral("Common.LNG"), g_CommonDb, true));
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false));
        for (int i = 0; i < 16; ++i)
            g_Messages << QStringLiteral("M%1").arg(i);
        db_ = Database::Open(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), false);
        db_->Execute(QStringLiteral("INSERT INTO TrkDataListup VALUES ('001', '3001', '01', 'R')"));
        title_ = model_.AddTitleNode(QStringLiteral("Title1"), QStringLiteral("Route"));
        CatalogueTreeModel::SetTag(title_, QStringLiteral("3001"));
        const char* options[][3] = {{"D0:01", "0", "Check"},
                                    {"D1:02", "0", "Blank"},
                                    {"D2:03", "0", "Blank"},
                                    {"D3:", "1", "More"},
                                    {"D4:9", "2", "More"}};
        for (const auto& o : options) {
            QStandardItem* n =
                model_.AddOptionNode(title_, QString::fromLatin1(o[0]), QString::fromLatin1(o[0]));
            CatalogueTreeModel::SetTag(n, QString::fromLatin1(o[1]));
            CatalogueTreeModel::SetImage(n, QString::fromLatin1(o[2]));
        }
        values_.AddRow(QStringLiteral("3001;01;Route;01"));
        TreeEditor::Hooks hooks;
        hooks.setLabels = [this](const QString& c, const QString& v) { labels_ = c + u'=' + v; };
        hooks.runDialog = [this](const QString& query, const QString& start) {
            dialogQuery_ = query;
            dialogStart_ = start;
            if (dialogAnswer_.has_value())
                editor_->SetSecondData(*dialogAnswer_);
            return dialogAnswer_.has_value() ? QStringLiteral("ok") : QStringLiteral("cancel");
        };
        hooks.noSourceData = [this] { return noSource_; };
        hooks.workDb = [this] { return db_.get(); };
        editor_ = std::make_unique<TreeEditor>(model_, values_, hooks);
    }
    void TearDown() override { g_Messages.clear(); }

    QStandardItem* Option(int i) { return title_->child(i); }
    QString Images() const {
        QStringList images;
        for (int i = 0; i < title_->rowCount(); ++i) {
            images << CatalogueTreeModel::ImageKey(title_->child(i));
        }
        return images.join(u' ');
    }
    void SetImages(const QString& images) {
        const QStringList keys = images.split(u' ');
        for (int i = 0; i < keys.size(); ++i)
            CatalogueTreeModel::SetImage(Option(i), keys[i]);
    }
    void Choose(int i) {
        editor_->NodeClick(Option(i));
        editor_->DoubleClick(Option(i));
    }
    QString Current() const { return values_.Cell(0, ValueListModel::kData); }

    test::RuntimeTree tree_;
    std::unique_ptr<Database> db_;
    CatalogueTreeModel model_;
    ValueListModel values_;
    QStandardItem* title_ = nullptr;
    std::unique_ptr<TreeEditor> editor_;
    QString labels_;
    QString dialogQuery_;
    QString dialogStart_;
    std::optional<QString> dialogAnswer_;
    bool noSource_ = false;
};

TEST_F(TreeEditorTest, DoubleClickTransitions) {
    const struct {
        int option;
        std::optional<QString> dialog;
        const char* images;
        const char* value;
    } steps[] = {
        {1, std::nullopt, "Check Edit Blank More More", "02"},   // plain option chosen
        {2, std::nullopt, "Check Blank Edit More More", "03"},   // another replaces it
        {2, std::nullopt, "Check Blank Blank More More", "01"},  // again: back to original
        {1, std::nullopt, "Check Edit Blank More More", "02"},
        {0, std::nullopt, "Check Blank Blank More More", "01"},  // the original itself
        {3, QStringLiteral("42"), "Check Blank Blank Medit More", "42"},
        {1, std::nullopt, "Check Edit Blank More More", "02"},
        {3, QStringLiteral("01"), "Check Blank Blank More More", "01"},  // original entered
        {3, std::nullopt, "Check Blank Blank More More", "01"},          // cancelled
    };
    for (const auto& s : steps) {
        dialogAnswer_ = s.dialog;
        Choose(s.option);
        EXPECT_EQ(Images(), QString::fromLatin1(s.images)) << s.option;
        EXPECT_EQ(Current(), QString::fromLatin1(s.value)) << s.option;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(TreeEditorTest, DialogStartsWithFixedDataOrTheCurrentValue) {
    values_.SetItemValue(QStringLiteral("3001"), QStringLiteral("07"));
    dialogAnswer_.reset();
    Choose(3);
    EXPECT_EQ(dialogStart_, QStringLiteral("07"));
    EXPECT_EQ(dialogQuery_, QStringLiteral("SELECT * FROM DialogRules WHERE ID = 1"));
    Choose(4);
    EXPECT_EQ(dialogStart_, QStringLiteral("9"));
    // Accepted with an empty value: the image changes, the list does not.
    dialogAnswer_ = QString();
    Choose(3);
    EXPECT_EQ(CatalogueTreeModel::ImageKey(Option(3)), image::kMedit);
    EXPECT_EQ(Current(), QStringLiteral("07"));
}

TEST_F(TreeEditorTest, WithoutSourceDataOrOutsideItNothingChanges) {
    noSource_ = true;
    editor_->NodeClick(Option(1));
    EXPECT_EQ(labels_, QStringLiteral("3001=02"));
    editor_->DoubleClick(Option(1));
    EXPECT_EQ(Images(), QStringLiteral("Check Blank Blank More More"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, QStringLiteral("M15"));

    noSource_ = false;
    db_->Execute(QStringLiteral("DELETE FROM TrkDataListup"));
    editor_->NodeClick(Option(1));
    EXPECT_EQ(labels_, QStringLiteral("="));
    editor_->DoubleClick(Option(1));
    EXPECT_EQ(Current(), QStringLiteral("01"));
    EXPECT_EQ(tree_.boxes.shown.size(), 3u);  // message 12 twice
}

// An option whose dialog number is negative (or cannot be a 16-bit number)
// changes nothing on a double-click, even when a dialog would say "ok".
TEST_F(TreeEditorTest, ANegativeDialogNumberChangesNothing) {
    const char* tags[] = {"-1", "-32768", "-40000", "40000", "", "x"};
    Choose(1);  // option 02 is the engineer's choice
    for (const char* t : tags) {
        CatalogueTreeModel::SetTag(Option(2), QString::fromLatin1(t));
        CatalogueTreeModel::SetImage(Option(2), image::kMore);
        dialogAnswer_ = QStringLiteral("77");
        dialogQuery_.clear();
        editor_->NodeClick(Option(2));
        const QString labels = labels_;
        const QString selected = editor_->SelectedValue();
        editor_->DoubleClick(Option(2));
        EXPECT_TRUE(dialogQuery_.isEmpty()) << t;
        EXPECT_EQ(Images(), QStringLiteral("Check Edit More More More")) << t;
        EXPECT_EQ(Current(), QStringLiteral("02")) << t;
        EXPECT_EQ(labels_, labels) << t;
        EXPECT_EQ(editor_->SelectedValue(), selected) << t;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// The tick goes on the value read (01) whether the title was expanded by
// its arrow with nothing clicked, or after a click on another option; stale
// choices from before a re-read are cleared.
TEST_F(TreeEditorTest, ExpandMarksTheValueReadAndClearsStaleChoices) {
    for (QStandardItem* clicked : {static_cast<QStandardItem*>(nullptr), Option(2), title_}) {
        SetImages(QStringLiteral("Blank Edit Blank Medit More"));
        if (clicked)
            editor_->NodeClick(clicked);
        editor_->Expand(title_);
        EXPECT_EQ(Images(), QStringLiteral("Check Blank Blank More More"));
    }
    // While the value differs from the original, choices stay.
    SetImages(QStringLiteral("Check Edit Blank Blank More"));
    values_.SetItemValue(QStringLiteral("3001"), QStringLiteral("02"));
    editor_->Expand(title_);
    EXPECT_EQ(Images(), QStringLiteral("Check Edit Blank Blank More"));
}

TEST_F(TreeEditorTest, MarkWrittenValue) {
    const struct {
        const char* before;
        const char* value;
        const char* after;
    } cases[] = {
        {"Check Edit Blank More More", "02", "Blank Check Blank More More"},
        {"Check Blank Blank Medit More", "42", "Blank Blank Blank More More"},
        {"Check Blank Edit More More", "01", "Check Blank Edit More More"},
        {"Blank Blank Blank More Medit", "9", "Blank Blank Blank More Check"},
    };
    for (const auto& c : cases) {
        SetImages(QString::fromLatin1(c.before));
        editor_->MarkWrittenValue(QStringLiteral("3001"), QString::fromLatin1(c.value));
        EXPECT_EQ(Images(), QString::fromLatin1(c.after)) << c.before;
    }
    SetImages(QStringLiteral("Check Edit Blank More More"));
    editor_->MarkWrittenValue(QStringLiteral("3999"), QStringLiteral("02"));
    EXPECT_EQ(Images(), QStringLiteral("Check Edit Blank More More"));
}

TEST_F(TreeEditorTest, RestoreAndShowItemInTree) {
    dialogAnswer_ = QStringLiteral("42");
    Choose(3);
    // The last click was on another item; the selection moved by keys.
    editor_->SetCurrentCMD(QStringLiteral("3999"));
    editor_->Restore(Option(3));
    EXPECT_EQ(CatalogueTreeModel::ImageKey(Option(3)), image::kMore);
    EXPECT_EQ(Current(), QStringLiteral("01"));
    EXPECT_FALSE(values_.index(0, 0).data(ValueListModel::EditedRole).toBool());

    EXPECT_EQ(editor_->ShowItemInTree(QStringLiteral("3001"), QStringLiteral("03")), title_);
    EXPECT_EQ(labels_, QStringLiteral("3001=03"));
    EXPECT_EQ(editor_->ShowItemInTree(QStringLiteral("3999"), QStringLiteral("x")), nullptr);
    EXPECT_EQ(editor_->CurrentCMD(), QStringLiteral("3999"));
}

}  // namespace
}  // namespace kestrel
