#include <gtest/gtest.h>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

// One item "3001" with options D0:01 (Check), D1:02, D2:03 (plain) and
// D3: (typed, dialog 1), D4:9 (fixed data, dialog 2).
class TreeEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.SuiteDatabaseDir() + u"Common.LNG"_s, g_CommonDb, true));
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        for (int i = 0; i < 16; ++i)
            g_Messages << u"M%1"_s.arg(i);
        db_ = Database::Open(tree_.DatabaseDir() + u"KESTREL.MDB"_s, false);
        db_->Execute(u"INSERT INTO TrkDataListup VALUES ('001', '3001', '01', 'R')"_s);
        title_ = model_.AddTitleNode(u"Title1"_s, u"Route"_s);
        CatalogueTreeModel::SetTag(title_, u"3001"_s);
        const char* options[][3] = {{"D0:01", "0", "Check"},
                                    {"D1:02", "0", "Blank"},
                                    {"D2:03", "0", "Blank"},
                                    {"D3:", "1", "More"},
                                    {"D4:9", "2", "More"}};
        for (const auto& o : options) {
            QStandardItem* n = model_.AddOptionNode(title_, Q(o[0]), Q(o[0]));
            CatalogueTreeModel::SetTag(n, Q(o[1]));
            CatalogueTreeModel::SetImage(n, Q(o[2]));
        }
        values_.AddRow(u"3001;01;Route;01"_s);
        TreeEditor::Hooks hooks;
        hooks.setLabels = [this](const QString& c, const QString& v) { labels_ = c + u'=' + v; };
        hooks.runDialog = [this](const QString& query, const QString& start) {
            dialogQuery_ = query;
            dialogStart_ = start;
            if (dialogAnswer_.has_value())
                editor_->SetSecondData(*dialogAnswer_);
            return dialogAnswer_.has_value() ? u"ok"_s : u"cancel"_s;
        };
        hooks.noSourceData = [this] { return noSource_; };
        hooks.workDb = [this] { return db_.get(); };
        editor_ = std::make_unique<TreeEditor>(model_, values_, hooks);
    }

    QStandardItem* Option(int i) { return title_->child(i); }
    QString Images() const {
        QStringList images;
        for (int i = 0; i < title_->rowCount(); ++i)
            images << CatalogueTreeModel::ImageKey(title_->child(i));
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
    QString labels_, dialogQuery_, dialogStart_;
    std::optional<QString> dialogAnswer_;
    bool noSource_ = false;
};

// A dialog starts with the option's fixed data or else the current value;
// accepted with an empty value, the image changes and the list does not.
TEST_F(TreeEditorTest, DoubleClickTransitions) {
    const struct {
        int option;
        std::optional<QString> dialog;
        const char *images, *value, *dialogStart;
    } steps[] = {
        {1, std::nullopt, "Check Edit Blank More More", "02", ""},   // plain option chosen
        {2, std::nullopt, "Check Blank Edit More More", "03", ""},   // another replaces it
        {2, std::nullopt, "Check Blank Blank More More", "01", ""},  // again: back to original
        {1, std::nullopt, "Check Edit Blank More More", "02", ""},
        {0, std::nullopt, "Check Blank Blank More More", "01", ""},  // the original itself
        {3, u"42"_s, "Check Blank Blank Medit More", "42", "01"},
        {1, std::nullopt, "Check Edit Blank More More", "02", ""},
        {3, u"01"_s, "Check Blank Blank More More", "01", "02"},       // original entered
        {3, std::nullopt, "Check Blank Blank More More", "01", "01"},  // cancelled
        {4, std::nullopt, "Check Blank Blank More More", "01", "9"},
        {3, QString(), "Check Blank Blank Medit More", "01", "01"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.option);
        dialogAnswer_ = s.dialog;
        dialogStart_.clear();
        Choose(s.option);
        EXPECT_EQ(Images(), Q(s.images));
        EXPECT_EQ(Current(), Q(s.value));
        EXPECT_EQ(dialogStart_, Q(s.dialogStart));
    }
    EXPECT_EQ(dialogQuery_, u"SELECT * FROM DialogRules WHERE ID = 1"_s);
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(TreeEditorTest, WithoutSourceDataOrOutsideItNothingChanges) {
    noSource_ = true;
    editor_->NodeClick(Option(1));
    EXPECT_EQ(labels_, u"3001=02"_s);
    editor_->DoubleClick(Option(1));
    EXPECT_EQ(Images(), u"Check Blank Blank More More"_s);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, u"M15"_s);

    noSource_ = false;
    db_->Execute(u"DELETE FROM TrkDataListup"_s);
    editor_->NodeClick(Option(1));
    EXPECT_EQ(labels_, u"="_s);
    editor_->DoubleClick(Option(1));
    EXPECT_EQ(Current(), u"01"_s);
    EXPECT_EQ(tree_.boxes.shown.size(), 3u);  // message 12 twice
}

// An option whose dialog number is negative (or cannot be a 16-bit number)
// changes nothing on a double-click, even when a dialog would say "ok".
TEST_F(TreeEditorTest, ANegativeDialogNumberChangesNothing) {
    const char* tags[] = {"-1", "-32768", "-40000", "40000", "", "x"};
    Choose(1);  // option 02 is the engineer's choice
    for (const char* t : tags) {
        CatalogueTreeModel::SetTag(Option(2), Q(t));
        CatalogueTreeModel::SetImage(Option(2), image::kMore);
        dialogAnswer_ = u"77"_s;
        dialogQuery_.clear();
        editor_->NodeClick(Option(2));
        const QString labels = labels_;
        const QString selected = editor_->SelectedValue();
        editor_->DoubleClick(Option(2));
        EXPECT_TRUE(dialogQuery_.isEmpty()) << t;
        EXPECT_EQ(Images(), u"Check Edit More More More"_s) << t;
        EXPECT_EQ(Current(), u"02"_s) << t;
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
        SetImages(u"Blank Edit Blank Medit More"_s);
        if (clicked)
            editor_->NodeClick(clicked);
        editor_->Expand(title_);
        EXPECT_EQ(Images(), u"Check Blank Blank More More"_s);
    }
    // While the value differs from the original, choices stay.
    SetImages(u"Check Edit Blank Blank More"_s);
    values_.SetItemValue(u"3001"_s, u"02"_s);
    editor_->Expand(title_);
    EXPECT_EQ(Images(), u"Check Edit Blank Blank More"_s);
}

TEST_F(TreeEditorTest, MarkWrittenValue) {
    const struct {
        const char *before, *value, *after;
    } cases[] = {{"Check Edit Blank More More", "02", "Blank Check Blank More More"},
                 {"Check Blank Blank Medit More", "42", "Blank Blank Blank More More"},
                 {"Check Blank Edit More More", "01", "Check Blank Edit More More"},
                 {"Blank Blank Blank More Medit", "9", "Blank Blank Blank More Check"}};
    for (const auto& c : cases) {
        SetImages(Q(c.before));
        editor_->MarkWrittenValue(u"3001"_s, Q(c.value));
        EXPECT_EQ(Images(), Q(c.after)) << c.before;
    }
    SetImages(u"Check Edit Blank More More"_s);
    editor_->MarkWrittenValue(u"3999"_s, u"02"_s);
    EXPECT_EQ(Images(), u"Check Edit Blank More More"_s);
}

TEST_F(TreeEditorTest, RestoreAndShowItemInTree) {
    dialogAnswer_ = u"42"_s;
    Choose(3);
    // The last click was on another item; the selection moved by keys.
    editor_->SetCurrentCMD(u"3999"_s);
    editor_->Restore(Option(3));
    EXPECT_EQ(CatalogueTreeModel::ImageKey(Option(3)), image::kMore);
    EXPECT_EQ(Current(), u"01"_s);

    EXPECT_EQ(editor_->ShowItemInTree(u"3001"_s, u"03"_s), title_);
    EXPECT_EQ(labels_, u"3001=03"_s);
    EXPECT_EQ(editor_->ShowItemInTree(u"3999"_s, u"x"_s), nullptr);
    EXPECT_EQ(editor_->CurrentCMD(), u"3999"_s);
}

}  // namespace
}  // namespace kestrel
