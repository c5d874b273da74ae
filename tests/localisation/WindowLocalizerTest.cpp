#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <functional>

#include "catalogue/ValueListModel.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/Database.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/ListBar.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

template <typename T>
T* Add(QWidget* window, const char* name, const char* typeName, int index = -1) {
    auto* c = new T(window);
    c->setObjectName(QString::fromLatin1(name));
    c->setProperty("typeName", QString::fromLatin1(typeName));
    if (index >= 0)
        c->setProperty("index", index);
    return c;
}

class WindowLocalizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false));
        db_ = g_LangDb.get();
        window_.setObjectName(QStringLiteral("frmTest"));
        label_ = Add<QLabel>(&window_, "lblOne", "Label");
        label_->setText(QStringLiteral("design"));
        label_->setToolTip(QStringLiteral("design tip"));
        box_ = Add<QLineEdit>(&window_, "txtBox", "TextBox");
        panel_[0] = Add<QLabel>(&window_, "picPanel", "SSPanel", 0);
        panel_[1] = Add<QLabel>(&window_, "picPanel", "SSPanel", 1);
        list_ = Add<QListWidget>(&window_, "lstItems", "ListBox");
        tree_view_ = Add<QTreeView>(&window_, "tvwTree", "TreeView");
        check_ = Add<QPushButton>(&window_, "chkOther", "CheckBox");
        grid_ = Add<DataGrid>(&window_, "grdGrid", "SSDBGrid");
        grid_->setModel(&model_);
        bar_ = Add<ListBar>(&window_, "lsbBar", "SSListBar");
        bar_->AddGroup(QStringLiteral("G1"));
        bar_->AddItem(1, QStringLiteral("I1"), QIcon(), QString(), QStringLiteral("k1"));
        bar_->AddItem(1, QStringLiteral("I2"), QIcon(), QString(), QStringLiteral("k2"));
        bar_->AddGroup(QStringLiteral("G2"));
        auto* menu = Add<QMenu>(&window_, "mnuPop", "Menu");
        action_ = menu->addAction(QStringLiteral("design item"));
        action_->setObjectName(QStringLiteral("itmPop"));
    }
    // A row that leaves font and tip as designed ("-1").
    void Caption(const char* name, int index, const QString& caption) {
        Control(name, index, caption, QStringLiteral("-1"), QVariant(), QStringLiteral("-1"));
    }
    void Control(const char* name, int index, const QVariant& caption, const QVariant& font,
                 const QVariant& size, const QVariant& tip) {
        db_->Execute(QStringLiteral("INSERT INTO tControls VALUES ('frmTest', ?, ?, ?, ?, ?, ?)"),
                     {QString::fromLatin1(name), index, caption, font, size, tip});
    }

    test::RuntimeTree tree_;
    Database* db_ = nullptr;
    QWidget window_;
    QLabel* label_;
    QLineEdit* box_;
    QLabel* panel_[2];
    QListWidget* list_;
    QTreeView* tree_view_;
    QPushButton* check_;
    DataGrid* grid_;
    ListBar* bar_;
    QAction* action_;
    ValueListModel model_;
};

TEST_F(WindowLocalizerTest, MinusOneLeavesAndEmptyBlanks) {
    Caption("lblOne", -1, QStringLiteral("-1"));
    ASSERT_TRUE(LocalizeControls(&window_, db_));
    EXPECT_EQ(label_->text(), QStringLiteral("design"));
    EXPECT_EQ(label_->toolTip(), QStringLiteral("design tip"));
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
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Trunk Copy"));
    EXPECT_EQ(window_.font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(window_.font().pointSizeF(), 13);
    const struct {
        const char* name;
        int index;
        QStringList applied;
        int charset;
    } cases[] = {
        {"txtBox", -1, {"FontName,FontSize:204"}, 204},
        {"picPanel", 1, {"FontName,FontSize:128"}, 128},
        {"lstItems", -1, {"FontName,FontSize"}, 0},
        {"tvwTree", -1, {"Font:128"}, 128},
        {"chkOther", -1, {"Font"}, 0},
        {"lsbBar", -1, {"CaptionFont"}, 0},
        {"grdGrid",
         -1,
         {"HeadFont:204", "PageFooterFont:204", "PageHeaderFont:204", "Font:204"},
         204},
    };
    for (const auto& c : cases) {
        Control(c.name, c.index, QStringLiteral("-1"), QStringLiteral("DejaVu Sans Mono"), 12,
                QStringLiteral("-1"));
    }
    ASSERT_TRUE(LocalizeControls(&window_, db_));
    for (const auto& c : cases) {
        QObject* control = FindControl(&window_, QString::fromLatin1(c.name), c.index);
        EXPECT_EQ(control->property("fontsApplied").toStringList(), c.applied) << c.name;
        EXPECT_EQ(control->property("charset").toInt(), c.charset) << c.name;
    }
    EXPECT_EQ(box_->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(box_->font().pointSizeF(), 12);
    EXPECT_EQ(grid_->HeadFont().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(bar_->CaptionFont().pointSizeF(), 12);
    EXPECT_NE(panel_[0]->font().family(), QStringLiteral("DejaVu Sans Mono"));
}

// The failing row stops the walk: earlier rows stay applied, later do not.
TEST_F(WindowLocalizerTest, FailingRowStopsTheWalk) {
    const struct {
        const char* name;
        int index;
        const char* caption;
        const char* number;
    } breakages[] = {
        {"lblMissing", -1, "x", "[730]"},
        {"picPanel", 5, "-1", "[340]"},
        {"picPanel", -1, "-1", "[343]"},
        {"txtBox", -1, "a caption a text box does not have", "[438]"},
    };
    for (const auto& b : breakages) {
        db_->Execute(QStringLiteral("DELETE FROM tControls WHERE FormName = 'frmTest'"));
        tree_.boxes.Clear();
        label_->setText(QStringLiteral("design"));
        Caption("lblOne", -1, QStringLiteral("before"));
        Caption(b.name, b.index, QString::fromLatin1(b.caption));
        Caption("chkOther", -1, QStringLiteral("after"));
        EXPECT_FALSE(LocalizeControls(&window_, db_)) << b.name;
        EXPECT_EQ(label_->text(), QStringLiteral("before"));
        EXPECT_NE(check_->text(), QStringLiteral("after"));
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QString::fromLatin1(b.number)))
            << tree_.boxes.Last().prompt.toStdString();
    }
}

// Rows find their window and control whatever the case of the names.
TEST_F(WindowLocalizerTest, RowsMatchNamesWhateverTheirCase) {
    const struct {
        const char* window;
        const char* control;
    } cases[] = {{"FRMTEST", "lblOne"}, {"frmtest", "LBLONE"}, {"FrmTest", "lblone"}};
    int n = 0;
    for (const auto& c : cases) {
        const QString window = QString::fromLatin1(c.window);
        const QString control = QString::fromLatin1(c.control);
        const QString text = QStringLiteral("text %1").arg(++n);
        db_->Execute(QStringLiteral("DELETE FROM tForms WHERE lower(ObjectName) = 'frmtest'"));
        db_->Execute(QStringLiteral("DELETE FROM tControls WHERE lower(FormName) = 'frmtest'"));
        db_->Execute(QStringLiteral("DELETE FROM tSSGridsHD WHERE lower(FormName) = 'frmtest'"));
        db_->Execute(QStringLiteral("DELETE FROM tSSListBar WHERE lower(FormName) = 'frmtest'"));
        db_->Execute(QStringLiteral("INSERT INTO tForms VALUES (?, ?, '', NULL)"), {window, text});
        db_->Execute(QStringLiteral("INSERT INTO tControls VALUES (?, ?, -1, ?, '-1', NULL, '-1')"),
                     {window, control, text});
        db_->Execute(QStringLiteral("INSERT INTO tSSGridsHD VALUES (?, 'GRDGRID', -1, 1, ?)"),
                     {window, text});
        db_->Execute(
            QStringLiteral("INSERT INTO tSSListBar VALUES (?, 'LsbBar', -1, '1', ?, '-1', '-1')"),
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

// Every kind whose original control has a caption takes one; the kinds
// without one refuse it with 438 and stop the walk.
TEST_F(WindowLocalizerTest, CaptionsByKind) {
    auto* frame = Add<QFrame>(&window_, "fraPanel", "SSPanel");
    auto* command = Add<QPushButton>(&window_, "cmdGo", "SSCommand");
    auto* image = Add<QLabel>(&window_, "imgPicture", "Image");
    image->setText(QStringLiteral("design"));
    const struct {
        const char* name;
        bool takes;
        std::function<QString()> shown;
    } cases[] = {
        {"fraPanel", true, [&] { return frame->property("caption").toString(); }},
        {"grdGrid", true, [&] { return grid_->Caption(); }},
        {"cmdGo", true, [&] { return command->text(); }},
        {"chkOther", true, [&] { return check_->text(); }},
        {"lblOne", true, [&] { return label_->text(); }},
        {"frmTest", true, [&] { return window_.windowTitle(); }},
        {"txtBox", false, [&] { return box_->text(); }},
        {"tvwTree", false, [&] { return QString(); }},
        {"lstItems", false, [&] { return QString(); }},
        {"imgPicture", false, [&] { return image->text(); }},
        {"lsbBar", false, [&] { return QString(); }},
    };
    for (const auto& c : cases) {
        db_->Execute(QStringLiteral("DELETE FROM tControls WHERE FormName = 'frmTest'"));
        tree_.boxes.Clear();
        Caption(c.name, -1, QStringLiteral("Caption of %1").arg(QString::fromLatin1(c.name)));
        EXPECT_EQ(LocalizeControls(&window_, db_), c.takes) << c.name;
        if (c.takes) {
            EXPECT_EQ(c.shown(), QStringLiteral("Caption of %1").arg(QString::fromLatin1(c.name)))
                << c.name;
            EXPECT_TRUE(tree_.boxes.shown.empty()) << c.name;
        } else {
            EXPECT_NE(c.shown(), QStringLiteral("Caption of %1").arg(QString::fromLatin1(c.name)))
                << c.name;
            ASSERT_EQ(tree_.boxes.shown.size(), 1u) << c.name;
            EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral("[438]"))) << c.name;
        }
    }
    // The grid shows its caption in a bar above the heads, none when empty.
    const int withCaption = grid_->horizontalHeader()->sizeHint().height();
    grid_->SetCaption(QString());
    EXPECT_LT(grid_->horizontalHeader()->sizeHint().height(), withCaption);
}

TEST_F(WindowLocalizerTest, GridHeadsAndListBar) {
    db_->Execute(
        QStringLiteral("INSERT INTO tSSGridsHD VALUES ('frmTest', 'grdGrid', -1, 1, "
                       "'Wert'), ('frmTest', 'grdGrid', -1, 2, ''), "
                       "('frmTest', 'grdGrid', -1, 0, '-1')"));
    ASSERT_TRUE(LocalizeGridHeads(&window_, db_));
    EXPECT_EQ(model_.headerData(0, Qt::Horizontal).toString(), QStringLiteral("CMD"));
    EXPECT_EQ(model_.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Wert"));
    EXPECT_EQ(model_.headerData(2, Qt::Horizontal).toString(), QString());

    bar_->SetGroup(2);
    db_->Execute(QStringLiteral(
        "INSERT INTO tSSListBar VALUES ('frmTest', 'lsbBar', -1, '-1', 'Current', '-1', '-1'), "
        "('frmTest', 'lsbBar', -1, '1', '-1', '2', 'Second'), "
        "('frmTest', 'lsbBar', -1, '1', '', '1', '-1')"));
    ASSERT_TRUE(LocalizeListBar(&window_, db_));
    EXPECT_EQ(bar_->GroupCaption(2), QStringLiteral("Current"));
    EXPECT_EQ(bar_->GroupCaption(1), QString());
    EXPECT_EQ(bar_->ItemText(1, 1), QStringLiteral("I1"));
    EXPECT_EQ(bar_->ItemText(1, 2), QStringLiteral("Second"));

    db_->Execute(QStringLiteral(
        "INSERT INTO tSSListBar VALUES ('frmTest', 'lsbBar', -1, '1', '-1', '9', 'None')"));
    EXPECT_FALSE(LocalizeListBar(&window_, db_));
    db_->Execute(
        QStringLiteral("INSERT INTO tSSGridsHD VALUES ('frmTest', 'grdGrid', -1, 4, 'x')"));
    EXPECT_FALSE(LocalizeGridHeads(&window_, db_));
}

}  // namespace
}  // namespace kestrel
