#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <functional>

#include "catalogue/ValueListModel.h"
#include "localisation/widgets/BackgroundPictures.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/Database.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/ListBar.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class WindowLocalizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        db_ = g_LangDb.get();
        window_.setObjectName(u"frmTest"_s);
        label_ = test::AddControl<QLabel>(&window_, "lblOne", "Label");
        label_->setText(u"design"_s);
        label_->setToolTip(u"design tip"_s);
        box_ = test::AddControl<QLineEdit>(&window_, "txtBox", "TextBox");
        panel_[0] = test::AddControl<QLabel>(&window_, "picPanel", "SSPanel", 0);
        panel_[1] = test::AddControl<QLabel>(&window_, "picPanel", "SSPanel", 1);
        test::AddControl<QListWidget>(&window_, "lstItems", "ListBox");
        test::AddControl<QTreeView>(&window_, "tvwTree", "TreeView");
        check_ = test::AddControl<QPushButton>(&window_, "chkOther", "CheckBox");
        grid_ = test::AddControl<DataGrid>(&window_, "grdGrid", "SSDBGrid");
        grid_->setModel(&model_);
        bar_ = test::AddControl<ListBar>(&window_, "lsbBar", "SSListBar");
        bar_->AddGroup(u"G1"_s);
        bar_->AddItem(1, u"I1"_s, QIcon(), QString(), u"k1"_s);
        bar_->AddItem(1, u"I2"_s, QIcon(), QString(), u"k2"_s);
        bar_->AddGroup(u"G2"_s);
        auto* menu = test::AddControl<QMenu>(&window_, "mnuPop", "Menu");
        action_ = menu->addAction(u"design item"_s);
        action_->setObjectName(u"itmPop"_s);
    }
    // A row that leaves font and tip as designed ("-1").
    void Caption(const char* name, int index, const QString& caption) {
        Control(name, index, caption, u"-1"_s, QVariant(), u"-1"_s);
    }
    void Control(const char* name, int index, const QVariant& caption, const QVariant& font,
                 const QVariant& size, const QVariant& tip) {
        db_->Execute(u"INSERT INTO tControls VALUES ('frmTest', ?, ?, ?, ?, ?, ?)"_s,
                     {Q(name), index, caption, font, size, tip});
    }

    test::RuntimeTree tree_;
    Database* db_ = nullptr;
    QWidget window_;
    QLabel* label_;
    QLineEdit* box_;
    QLabel* panel_[2];
    QPushButton* check_;
    DataGrid* grid_;
    ListBar* bar_;
    QAction* action_;
    ValueListModel model_;
};

TEST_F(WindowLocalizerTest, MinusOneLeavesAndEmptyBlanks) {
    Caption("lblOne", -1, u"-1"_s);
    ASSERT_TRUE(LocalizeControls(&window_, db_));
    EXPECT_EQ(label_->text(), u"design"_s);
    EXPECT_EQ(label_->toolTip(), u"design tip"_s);
    EXPECT_FALSE(label_->property("fontsApplied").isValid());

    Control("lblOne", -1, QString(), QString(), QVariant(), QString());
    ASSERT_TRUE(LocalizeControls(&window_, db_));
    EXPECT_EQ(label_->text(), QString());
    EXPECT_EQ(label_->toolTip(), QString());
    EXPECT_FALSE(label_->property("fontsApplied").isValid());  // empty font: as designed
}

// Fonts by type name: which fonts, in what order, and the character set;
// the window's caption is expanded and its font applied.
TEST_F(WindowLocalizerTest, FontTreatmentByTypeName) {
    db_->Execute(QStringLiteral(
        "INSERT INTO tForms VALUES ('frmTest', 'Trunk&%SP&Copy', 'DejaVu Serif', 13)"));
    ASSERT_TRUE(LocalizeForm(&window_, db_));
    EXPECT_EQ(window_.windowTitle(), u"Trunk Copy"_s);
    EXPECT_EQ(window_.font().family(), u"DejaVu Serif"_s);
    EXPECT_EQ(window_.font().pointSizeF(), 13);
    const struct {
        const char* name;
        int index;
        QStringList applied;
        int charset;
    } cases[] = {{"txtBox", -1, {"FontName,FontSize:204"}, 204},
                 {"picPanel", 1, {"FontName,FontSize:128"}, 128},
                 {"lstItems", -1, {"FontName,FontSize"}, 0},
                 {"tvwTree", -1, {"Font:128"}, 128},
                 {"chkOther", -1, {"Font"}, 0},
                 {"lsbBar", -1, {"CaptionFont"}, 0},
                 {"grdGrid",
                  -1,
                  {"HeadFont:204", "PageFooterFont:204", "PageHeaderFont:204", "Font:204"},
                  204}};
    for (const auto& c : cases)
        Control(c.name, c.index, u"-1"_s, u"DejaVu Sans Mono"_s, 12, u"-1"_s);
    ASSERT_TRUE(LocalizeControls(&window_, db_));
    for (const auto& c : cases) {
        QObject* control = FindControl(&window_, Q(c.name), c.index);
        EXPECT_EQ(control->property("fontsApplied").toStringList(), c.applied) << c.name;
        EXPECT_EQ(control->property("charset").toInt(), c.charset) << c.name;
    }
    EXPECT_EQ(box_->font().family(), u"DejaVu Sans Mono"_s);
    EXPECT_EQ(box_->font().pointSizeF(), 12);
    EXPECT_EQ(grid_->HeadFont().family(), u"DejaVu Sans Mono"_s);
    EXPECT_EQ(bar_->CaptionFont().pointSizeF(), 12);
    EXPECT_NE(panel_[0]->font().family(), u"DejaVu Sans Mono"_s);
}

// The failing row stops the walk: earlier rows stay applied, later do not.
// The kinds whose original control has no caption refuse one with 438.
TEST_F(WindowLocalizerTest, FailingRowStopsTheWalk) {
    auto* image = test::AddControl<QLabel>(&window_, "imgPicture", "Image");
    image->setText(u"design"_s);
    const struct {
        const char* name;
        int index;
        const char *caption, *number;
    } breakages[] = {{"lblMissing", -1, "x", "[730]"},
                     {"picPanel", 5, "-1", "[340]"},
                     {"picPanel", -1, "-1", "[343]"},
                     {"txtBox", -1, "a caption a text box does not have", "[438]"},
                     {"tvwTree", -1, "caption", "[438]"},
                     {"lstItems", -1, "caption", "[438]"},
                     {"imgPicture", -1, "caption", "[438]"},
                     {"lsbBar", -1, "caption", "[438]"}};
    for (const auto& b : breakages) {
        SCOPED_TRACE(b.name);
        db_->Execute(u"DELETE FROM tControls WHERE FormName = 'frmTest'"_s);
        tree_.boxes.Clear();
        label_->setText(u"design"_s);
        Caption("lblOne", -1, u"before"_s);
        Caption(b.name, b.index, Q(b.caption));
        Caption("chkOther", -1, u"after"_s);
        EXPECT_FALSE(LocalizeControls(&window_, db_));
        EXPECT_EQ(label_->text(), u"before"_s);
        EXPECT_NE(check_->text(), u"after"_s);
        EXPECT_NE(box_->text() + image->text(), Q(b.caption));
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(Q(b.number)))
            << tree_.boxes.Last().prompt.toStdString();
    }
}

// Rows find their window and control whatever the case of the names.
TEST_F(WindowLocalizerTest, RowsMatchNamesWhateverTheirCase) {
    const struct {
        const char *window, *control;
    } cases[] = {{"FRMTEST", "lblOne"}, {"frmtest", "LBLONE"}, {"FrmTest", "lblone"}};
    int n = 0;
    for (const auto& c : cases) {
        const QString window = Q(c.window);
        const QString text = u"text %1"_s.arg(++n);
        db_->Execute(u"DELETE FROM tForms WHERE lower(ObjectName) = 'frmtest'"_s);
        for (const char* table : {"tControls", "tSSGridsHD", "tSSListBar"})
            db_->Execute(u"DELETE FROM %1 WHERE lower(FormName) = 'frmtest'"_s.arg(Q(table)));
        db_->Execute(u"INSERT INTO tForms VALUES (?, ?, '', NULL)"_s, {window, text});
        db_->Execute(u"INSERT INTO tControls VALUES (?, ?, -1, ?, '-1', NULL, '-1')"_s,
                     {window, Q(c.control), text});
        db_->Execute(u"INSERT INTO tSSGridsHD VALUES (?, 'GRDGRID', -1, 1, ?)"_s, {window, text});
        db_->Execute(u"INSERT INTO tSSListBar VALUES (?, 'LsbBar', -1, '1', ?, '-1', '-1')"_s,
                     {window, text});
        ASSERT_TRUE(LocalizeForm(&window_, db_)) << c.window;
        ASSERT_TRUE(LocalizeControls(&window_, db_)) << c.window;
        ASSERT_TRUE(LocalizeGridHeads(&window_, db_)) << c.window;
        ASSERT_TRUE(LocalizeListBar(&window_, db_)) << c.window;
        EXPECT_EQ(window_.windowTitle(), text) << c.window;
        EXPECT_EQ(label_->text(), text) << c.control;
        EXPECT_EQ(model_.headerData(1, Qt::Horizontal).toString(), text) << c.window;
        EXPECT_EQ(bar_->GroupCaption(1), text) << c.window;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// Every kind whose original control has a caption takes one.
TEST_F(WindowLocalizerTest, CaptionsByKind) {
    auto* frame = test::AddControl<QFrame>(&window_, "fraPanel", "SSPanel");
    auto* command = test::AddControl<QPushButton>(&window_, "cmdGo", "SSCommand");
    const std::pair<const char*, std::function<QString()>> cases[] = {
        {"fraPanel", [&] { return frame->property("caption").toString(); }},
        {"grdGrid", [&] { return grid_->Caption(); }},
        {"cmdGo", [&] { return command->text(); }},
        {"chkOther", [&] { return check_->text(); }},
        {"lblOne", [&] { return label_->text(); }},
        {"frmTest", [&] { return window_.windowTitle(); }}};
    for (const auto& [name, shown] : cases) {
        db_->Execute(u"DELETE FROM tControls WHERE FormName = 'frmTest'"_s);
        Caption(name, -1, u"Caption of %1"_s.arg(Q(name)));
        EXPECT_TRUE(LocalizeControls(&window_, db_)) << name;
        EXPECT_EQ(shown(), u"Caption of %1"_s.arg(Q(name)));
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(WindowLocalizerTest, GridHeadsAndListBar) {
    db_->Execute(
        QStringLiteral("INSERT INTO tSSGridsHD VALUES ('frmTest', 'grdGrid', -1, 1, "
                       "'Wert'), ('frmTest', 'grdGrid', -1, 2, ''), "
                       "('frmTest', 'grdGrid', -1, 0, '-1')"));
    ASSERT_TRUE(LocalizeGridHeads(&window_, db_));
    EXPECT_EQ(model_.headerData(0, Qt::Horizontal).toString(), u"CMD"_s);
    EXPECT_EQ(model_.headerData(1, Qt::Horizontal).toString(), u"Wert"_s);
    EXPECT_EQ(model_.headerData(2, Qt::Horizontal).toString(), QString());

    bar_->SetGroup(2);
    db_->Execute(QStringLiteral(
        "INSERT INTO tSSListBar VALUES ('frmTest', 'lsbBar', -1, '-1', 'Current', '-1', '-1'), "
        "('frmTest', 'lsbBar', -1, '1', '-1', '2', 'Second'), "
        "('frmTest', 'lsbBar', -1, '1', '', '1', '-1')"));
    ASSERT_TRUE(LocalizeListBar(&window_, db_));
    EXPECT_EQ(bar_->GroupCaption(2), u"Current"_s);
    EXPECT_EQ(bar_->GroupCaption(1), QString());
    EXPECT_EQ(bar_->ItemText(1, 1), u"I1"_s);
    EXPECT_EQ(bar_->ItemText(1, 2), u"Second"_s);

    db_->Execute(QStringLiteral(
        "INSERT INTO tSSListBar VALUES ('frmTest', 'lsbBar', -1, '1', '-1', '9', 'None')"));
    EXPECT_FALSE(LocalizeListBar(&window_, db_));
    db_->Execute(u"INSERT INTO tSSGridsHD VALUES ('frmTest', 'grdGrid', -1, 4, 'x')"_s);
    EXPECT_FALSE(LocalizeGridHeads(&window_, db_));
}

class BackgroundPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        ASSERT_TRUE(OpenDB(tree_.SuiteDatabaseDir() + u"Common.LNG"_s, g_CommonDb, false));
        window_.setObjectName(u"frmPics"_s);
        window_.resize(300, 200);
        image_ = test::AddControl<QLabel>(&window_, "imgBack", "Image", 0);
        panel_ = test::AddControl<QWidget>(&window_, "picPanel", "SSPanel");
        panel_->resize(120, 80);
        panel_->show();
        bar_ = test::AddControl<ListBar>(&window_, "lsbMenu", "SSListBar");
        bar_->move(5, 5);
        Picture("back.png", 20, 10);
        Picture("back3.png", 30, 10);
        ASSERT_TRUE(test::WriteFile(folder_.filePath(u"junk.png"_s), "not a picture"));
        g_CommonDb->Execute(
            QStringLiteral("INSERT INTO PictureFileName VALUES (3, 'back.png', 'back3.png'), "
                           "(3, 'back.png', 'ignored.png')"));
    }
    void Picture(const char* name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(folder_.filePath(Q(name)));
    }
    void Row(const char* object, int index, const char* file, const char* base, int baseIndex) {
        g_LangDb->Execute(u"INSERT INTO tPicture VALUES ('frmPics', ?, ?, ?, ?, ?)"_s,
                          {Q(object), index, Q(file), Q(base), baseIndex});
    }
    bool Load(int set) {
        return LoadBackgrounds(&window_, g_LangDb.get(), g_CommonDb.get(),
                               static_cast<std::int16_t>(set), folder_.path() + u'/');
    }

    test::RuntimeTree tree_;
    QTemporaryDir folder_;
    QWidget window_;
    QLabel* image_;
    QWidget* panel_;
    ListBar* bar_;
};

// A panel base is shown after its picture changes, also one hidden before,
// and also when the picture fails.
TEST_F(BackgroundPicturesTest, PanelBaseAndListBarPicture) {
    Row("imgBack", 0, "back.png", "picPanel", -1);
    Row("lsbMenu", -1, "back.png", "me", -1);
    Row("imgBack", 0, "missing.png", "me", -1);  // skipped silently
    Row("imgBack", 0, "-1", "me", -1);
    panel_->hide();
    ASSERT_TRUE(Load(0));
    EXPECT_EQ(image_->size(), QSize(120, 80));
    EXPECT_FALSE(panel_->isHidden());
    EXPECT_TRUE(bar_->property("pictureBackground").toString().endsWith(u"back.png"_s));
    EXPECT_EQ(bar_->pos(), QPoint(5, 5));
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// Sets map a picture's name (set 0 takes it as stored, the first mapping
// wins), and rows find their window, controls and set names whatever the
// case; an image on its window fills it.
TEST_F(BackgroundPicturesTest, NamesMatchWhateverTheirCase) {
    g_CommonDb->Execute(u"INSERT INTO PictureFileName VALUES (4, 'BACK.PNG', 'back3.png')"_s);
    const struct {
        const char *window, *file;
        int set, width;
    } cases[] = {{"FRMPICS", "back.png", 0, 20},
                 {"frmpics", "Back.png", 4, 30},
                 {"FrmPics", "back.PNG", 3, 30}};
    for (const auto& c : cases) {
        image_->clear();
        g_LangDb->Execute(u"DELETE FROM tPicture"_s);
        g_LangDb->Execute(u"INSERT INTO tPicture VALUES (?, 'IMGBACK', 0, ?, 'ME', -1)"_s,
                          {Q(c.window), Q(c.file)});
        ASSERT_TRUE(Load(c.set)) << c.window;
        EXPECT_EQ(image_->pixmap().width(), c.width) << c.window << " " << c.file;
        EXPECT_EQ(image_->size(), window_.size());
        EXPECT_EQ(image_->pos(), QPoint(0, 0));
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(BackgroundPicturesTest, FailuresStopAndShowTheBaseAgain) {
    const struct {
        const char *object, *file, *base, *number;
    } breakages[] = {{"imgNone", "back.png", "me", "[730]"},
                     {"imgBack", "back.png", "picNone", "[730]"},
                     {"imgBack", "junk.png", "picPanel", "[481]"},
                     {"picPanel", "back.png", "me", "[438]"}};
    for (const auto& b : breakages) {
        g_LangDb->Execute(u"DELETE FROM tPicture WHERE FormName = 'frmPics'"_s);
        tree_.boxes.Clear();
        Row(b.object, b.object == u"imgBack"_s ? 0 : -1, b.file, b.base, -1);
        panel_->setHidden(QLatin1String(b.base) == "picPanel");
        EXPECT_FALSE(Load(0)) << b.object << " " << b.file;
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(Q(b.number)))
            << tree_.boxes.Last().prompt.toStdString();
        EXPECT_FALSE(panel_->isHidden());
    }
}

}  // namespace
}  // namespace kestrel
