#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "dialogs/CmdDialogCaller.h"
#include "dialogs/frmCmd.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/InputRoads.h"
#include "support/RuntimeTree.h"
#include "support/SpokenNames.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class FakeCaller : public CmdDialogCaller {
public:
    void SetSecondData(const QString& v) override { secondData = v; }
    void SetTag(const QString& t) override { tag = t; }
    bool Check_STNData(const QString&, const QString&) override { return false; }
    QPixmap BackgroundPicture() const override { return {}; }
    QString secondData = u"untouched"_s;
    QString tag;
};

class frmCmdTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        db_ = Database::Open(tree_.DatabaseDir() + u"KESTREL.MDB"_s, true);
    }
    void TearDown() override { dialog_.reset(); }
    void Open(int rule, const QString& start) {
        dialog_ = std::make_unique<frmCmd>();
        ASSERT_TRUE(dialog_->Load());
        dialog_->Register(&caller_, db_.get(),
                          u"SELECT * FROM DialogRules WHERE ID = %1"_s.arg(rule), start);
    }
    QLineEdit* Box(const char* name) { return dialog_->findChild<QLineEdit*>(Q(name)); }

    test::RuntimeTree tree_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<frmCmd> dialog_;
    FakeCaller caller_;
};

TEST_F(frmCmdTest, LoadsLocalisedAndMarksItselfShown) {
    Open(1, u"07"_s);
    // Title, shown mark, prompt, first box and its length, second box hidden.
    EXPECT_EQ(QStringList({dialog_->windowTitle(), g_CmdDialogShown,
                           dialog_->findChild<QLabel*>(u"lblMsg"_s)->text(),
                           Box("txtData1")->text(), QString::number(Box("txtData1")->maxLength()),
                           QString::number(Box("txtData2")->isHidden())}),
              QStringList({"Additional Data Needed", "True", "Enter the route number of the trunk.",
                           "07", "2", "1"}));
    // Without a rule (and so without prompts) each control still has a name
    // to say; the German window's test hears those of every rule.
    Open(99, u"07"_s);
    const auto names = test::SpokenNames(dialog_.get());
    for (const char* control : {"cmdButton(0)", "cmdButton(1)", "txtData1", "txtData2"})
        EXPECT_FALSE(names.value(Q(control)).isEmpty()) << control;
    dialog_.reset();
    EXPECT_EQ(g_CmdDialogShown, u"False"_s);
}

// An OK that cannot be taken (an empty or non-numeric box, a "+" rule over a
// value with no number to add to) keeps the dialog, says why every time and
// hands nothing back.
TEST_F(frmCmdTest, AnOkThatCannotBeTakenKeepsTheDialogAndSaysWhy) {
    const struct {
        int rule;
        const char *start, *box, *typed, *told;
    } cases[] = {{5, "0103", "txtData2", "   ", ""},
                 {5, "0103", "txtData2", "x2", "Type a number"},  // set, not typed or pasted
                 {4, "NONE", "txtData1", "5", "Nothing can be added to the present value \"NONE\""},
                 {4, "DATA NOT SET", "txtData1", "5",
                  "Nothing can be added to the present value \"DATA NOT SET\""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " " + c.typed);
        tree_.boxes.Clear();
        Open(c.rule, Q(c.start));
        Box(c.box)->setText(Q(c.typed));
        dialog_->cmdButton_Click(0);
        dialog_->cmdButton_Click(0);
        EXPECT_TRUE(dialog_->IsLoaded());
        for (QPushButton* button : dialog_->findChildren<QPushButton*>(u"cmdButton"_s))
            EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(caller_.secondData, u"untouched"_s);
        EXPECT_EQ(tree_.boxes.shown.size(), *c.told ? 2u : 0u);
        for (const auto& box : tree_.boxes.shown)
            EXPECT_TRUE(box.prompt.startsWith(Q(c.told))) << box.prompt.toStdString();
    }
    // The second box is composed with the first.
    Open(5, u"0103"_s);
    Box("txtData2")->setText(u"12"_s);
    dialog_->cmdButton_Click(0);
    EXPECT_EQ(caller_.secondData, u"0112"_s);
}

// The dialog's boxes take text only through the rule's filter, by key or
// by any paste; Return and Escape keep their meaning for the dialog.
TEST_F(frmCmdTest, BoxesTakeOnlyWhatTheRuleFilterPasses) {
    const struct {
        int rule;  // 1 digits, 3 hexadecimal, 2 station
        const char *clipboard, *road, *after;
    } cases[] = {{1, "", "typed x5", "5"},
                 {1, "ab", "ctrl+v x11", ""},
                 {1, "12", "ctrl+v x11", "12"},
                 {1, "12", "keys 3^A^X^V^V", "33"},
                 {1, "ab", "menu paste", ""},
                 {1, "12", "menu paste", "12"},
                 {1, "1a", "shift+insert", ""},
                 {3, "", "typed 1g f", "1F"},
                 {3, "ab", "menu paste", "AB"},  // raised as typed letters
                                                 // are
                 {3, "ag", "shift+insert", ""},
                 {3, "c", "control text", "C"},
                 {2, "", "typed 2ab9", "2AB9"},
                 {2, "2c", "menu paste", ""}};
    for (const auto& c : cases) {
        Open(c.rule, QString());
        QLineEdit* box = Box("txtData1");
        ASSERT_TRUE(test::EnterByRoad(box, Q(c.road), Q(c.clipboard)));
        EXPECT_EQ(box->text(), Q(c.after)) << c.rule << " " << c.road << " " << c.clipboard;
    }
}

// Return is OK; Escape, and Cancel after a typed change, leave the value alone.
TEST_F(frmCmdTest, ReturnPressesOkEscapeAndCancelLeaveTheValue) {
    for (const int road : {0, 1, 2}) {
        caller_.secondData = u"untouched"_s;
        Open(road == 2 ? 3 : 1, QString::fromLatin1(road == 2 ? "1F" : "07"));
        dialog_->show();
        if (road == 2) {
            QTest::keyClicks(Box("txtData1"), u"a"_s);
            dialog_->cmdButton_Click(1);
        } else {
            QTest::keyClick(Box("txtData1"), road == 0 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(caller_.tag, QString::fromLatin1(road == 0 ? "ok" : "cancel")) << road;
        EXPECT_EQ(caller_.secondData, QString::fromLatin1(road == 0 ? "07" : "untouched")) << road;
        EXPECT_FALSE(dialog_->IsLoaded()) << road;
    }
}

}  // namespace
}  // namespace kestrel
