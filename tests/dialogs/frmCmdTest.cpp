#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "copyengine/StationCheck.h"
#include "dialogs/CmdDialogCaller.h"
#include "dialogs/frmCmd.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/InputRoads.h"
#include "support/RuntimeTree.h"
#include "support/SpokenNames.h"

namespace kestrel {
namespace {

class FakeCaller : public CmdDialogCaller {
public:
    void SetSecondData(const QString& v) override { secondData = v; }
    void SetTag(const QString& t) override { tag = t; }
    bool Check_STNData(const QString& cmd, const QString& fd) override {
        asked << cmd + u'=' + fd;
        if (!g_StationCheckPending)
            g_StationCheckPending = sendAccepted;
        return false;
    }
    QPixmap BackgroundPicture() const override { return {}; }
    QString secondData = QStringLiteral("untouched");
    QString tag;
    QStringList asked;
    bool sendAccepted = true;
};

class frmCmdTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false));
        db_ = Database::Open(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"), true);
        g_StationCheckPending = false;
    }
    void TearDown() override {
        dialog_.reset();
        g_StationCheckPending = false;
    }
    void Open(int rule, const QString& start) {
        dialog_ = std::make_unique<frmCmd>();
        ASSERT_TRUE(dialog_->Load());
        dialog_->Register(&caller_, db_.get(),
                          QStringLiteral("SELECT * FROM DialogRules WHERE ID = %1").arg(rule),
                          start);
    }
    QLineEdit* Box(const char* name) {
        return dialog_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QPushButton* Button(int index) {
        for (QPushButton* b : dialog_->findChildren<QPushButton*>(QStringLiteral("cmdButton"))) {
            if (b->property("index").toInt() == index)
                return b;
        }
        return nullptr;
    }

    test::RuntimeTree tree_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<frmCmd> dialog_;
    FakeCaller caller_;
};

TEST_F(frmCmdTest, LoadsLocalisedAndMarksItselfShown) {
    Open(1, QStringLiteral("07"));
    EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Additional Data Needed"));
    EXPECT_EQ(g_CmdDialogShown, QStringLiteral("True"));
    EXPECT_EQ(dialog_->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(),
              QStringLiteral("Enter the route number of the trunk."));
    EXPECT_EQ(Box("txtData1")->text(), QStringLiteral("07"));
    EXPECT_EQ(Box("txtData1")->maxLength(), 2);
    EXPECT_TRUE(Box("txtData2")->isHidden());
    // Each control has a name to say, the hidden second box too; without a
    // rule (and so without prompts) the boxes have their own names.
    for (const int rule : {1, 99}) {
        Open(rule, QStringLiteral("07"));
        const auto names = test::SpokenNames(dialog_.get());
        for (const char* control : {"cmdButton(0)", "cmdButton(1)", "txtData1", "txtData2"})
            EXPECT_FALSE(names.value(QString::fromLatin1(control)).isEmpty()) << rule << control;
    }
    dialog_.reset();
    EXPECT_EQ(g_CmdDialogShown, QStringLiteral("False"));
}

TEST_F(frmCmdTest, EmptyOrNonNumericInputKeepsTheDialogOpen) {
    Open(5, QStringLiteral("0103"));
    EXPECT_EQ(Box("txtData1")->text(), QStringLiteral("01"));
    EXPECT_EQ(Box("txtData2")->text(), QStringLiteral("03"));
    Box("txtData2")->setText(QStringLiteral("   "));
    dialog_->cmdButton_Click(0);
    EXPECT_TRUE(dialog_->IsLoaded());
    EXPECT_TRUE(Button(0)->isEnabled());
    EXPECT_EQ(caller_.secondData, QStringLiteral("untouched"));
    Box("txtData2")->setText(QStringLiteral("x2"));  // set, not typed or pasted
    dialog_->cmdButton_Click(0);
    EXPECT_TRUE(dialog_->IsLoaded());
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("Type a number")));
    Box("txtData2")->setText(QStringLiteral("12"));
    dialog_->cmdButton_Click(0);
    EXPECT_EQ(caller_.secondData, QStringLiteral("0112"));
}

// The dialog's boxes take text only through the rule's filter, by key or
// by any paste; Return and Escape keep their meaning for the dialog.
TEST_F(frmCmdTest, BoxesTakeOnlyWhatTheRuleFilterPasses) {
    const struct {
        int rule;  // 1 digits, 3 hexadecimal, 2 station
        const char* clipboard;
        const char* road;
        const char* after;
    } cases[] = {
        {1, "", "typed x5", "5"},
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
        {2, "2c", "menu paste", ""},
    };
    for (const auto& c : cases) {
        Open(c.rule, QString());
        QLineEdit* box = Box("txtData1");
        ASSERT_TRUE(
            test::EnterByRoad(box, QString::fromUtf8(c.road), QString::fromUtf8(c.clipboard)));
        EXPECT_EQ(box->text(), QString::fromUtf8(c.after))
            << c.rule << " " << c.road << " " << c.clipboard;
    }
}

// A "+" rule over a value with no number to add to refuses every OK alike,
// saying why, and hands nothing back.
TEST_F(frmCmdTest, AnAdditionThatCannotBeMadeIsRefusedEveryTime) {
    for (const char* start : {"NONE", "DATA NOT SET"}) {
        tree_.boxes.Clear();
        Open(4, QString::fromLatin1(start));
        Box("txtData1")->setText(QStringLiteral("5"));
        dialog_->cmdButton_Click(0);
        dialog_->cmdButton_Click(0);
        EXPECT_TRUE(dialog_->IsLoaded());
        EXPECT_TRUE(Button(0)->isEnabled());
        EXPECT_EQ(caller_.secondData, QStringLiteral("untouched"));
        ASSERT_EQ(tree_.boxes.shown.size(), 2u);
        EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
            QStringLiteral("Nothing can be added to the present value \"%1\"").arg(start)));
    }
}

// Return is OK; Escape, and Cancel after a typed change, leave the value alone.
TEST_F(frmCmdTest, ReturnPressesOkEscapeAndCancelLeaveTheValue) {
    for (const int road : {0, 1, 2}) {
        caller_.secondData = QStringLiteral("untouched");
        Open(road == 2 ? 3 : 1, QString::fromLatin1(road == 2 ? "1F" : "07"));
        dialog_->show();
        if (road == 2) {
            QTest::keyClicks(Box("txtData1"), QStringLiteral("a"));
            dialog_->cmdButton_Click(1);
        } else {
            QTest::keyClick(Box("txtData1"), road == 0 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_EQ(caller_.tag, QString::fromLatin1(road == 0 ? "ok" : "cancel")) << road;
        EXPECT_EQ(caller_.secondData, QString::fromLatin1(road == 0 ? "07" : "untouched")) << road;
        EXPECT_FALSE(dialog_->IsLoaded()) << road;
    }
}

TEST_F(frmCmdTest, StationNumberWaitsForTheExchange) {
    Open(2, QStringLiteral("201"));
    dialog_->cmdButton_Click(0);
    EXPECT_EQ(caller_.asked, QStringList{QStringLiteral("@LEN=201")});
    EXPECT_TRUE(dialog_->IsLoaded());
    EXPECT_FALSE(Button(0)->isEnabled());  // waiting
    EXPECT_TRUE(Button(1)->isEnabled());
    // A refusing verdict: the dialog stays, OK again, the next OK asks again.
    dialog_->SetOwnTag(QString());
    dialog_->cmdButton_Click(0);
    EXPECT_TRUE(dialog_->IsLoaded());
    EXPECT_TRUE(Button(0)->isEnabled());
    EXPECT_FALSE(g_StationCheckPending);
    EXPECT_EQ(caller_.secondData, QStringLiteral("untouched"));
    EXPECT_FALSE(Box("txtData1")->isReadOnly());
    // Ask again, this time accepted: the number asked about is handed back,
    // whatever the box holds meanwhile.
    Box("txtData1")->setText(QStringLiteral("300"));
    dialog_->cmdButton_Click(0);
    EXPECT_EQ(caller_.asked.last(), QStringLiteral("@LEN=300"));
    EXPECT_TRUE(Box("txtData1")->isReadOnly());
    Box("txtData1")->setText(QStringLiteral("999"));
    dialog_->SetOwnTag(QStringLiteral("ok"));
    dialog_->cmdButton_Click(0);
    EXPECT_EQ(caller_.secondData, QStringLiteral("300"));
    EXPECT_EQ(caller_.tag, QStringLiteral("ok"));
    EXPECT_FALSE(dialog_->IsLoaded());
}

}  // namespace
}  // namespace kestrel
