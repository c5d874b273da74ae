#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <optional>

#include "localisation/Messages.h"
#include "localisation/MsgBoxButtons.h"
#include "localisation/TokenExpansion.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/widgets/QtMessageBoxes.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/HelpViewers.h"
#include "support/RuntimeTree.h"
#include "support/SqlRows.h"
#include "support/TableFiles.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

class LangMsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.SuiteDatabaseDir() + u"Common.LNG"_s, g_CommonDb, true));
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        // A caption table of the tests' own.
        g_LangDb->Execute(u"CREATE TABLE tSample (ID INTEGER, Caption TEXT)"_s);
    }
    void OwnMessage(int no, const QVariant& prompt, const QVariant& buttons, const QVariant& title,
                    const QVariant& helpFile, const QVariant& context) {
        g_LangDb->Execute(u"INSERT OR REPLACE INTO tMsgBox VALUES (?, ?, ?, ?, ?, ?)"_s,
                          {no, prompt, buttons, title, helpFile, context});
    }
    // The answer and the start of the one box shown, pressing OK if asked.
    QString Shown(std::int16_t source, std::int16_t msgNo) {
        tree_.boxes.Clear();
        tree_.boxes.Script({answer::kOk});
        const int answer = LangMsgBox(source, msgNo, QString(), u"T"_s);
        if (tree_.boxes.shown.size() != 1)
            return u"%1 boxes"_s.arg(tree_.boxes.shown.size());
        const QString prompt = tree_.boxes.Last().prompt;
        const qsizetype end = prompt.indexOf(u']');
        return u"%1 %2"_s.arg(answer).arg(end < 0 ? prompt : prompt.left(end + 1));
    }

    test::RuntimeTree tree_;
};

// A record's fields as shown: the caller's title for a common message, the
// application's for "-1"; insert values run through prompt, title, then
// help file; a context of "-1", empty or none means no help. Each broken
// record gives the fatal notice with its error number and 0.
TEST_F(LangMsgBoxTest, TheRecordsFieldsMakeTheBox) {
    OwnMessage(40, u"Hello"_s, u"vbOKOnly"_s, u"-1"_s, QString(), u"-1"_s);
    OwnMessage(41, u"Trunk&%SP&%ST&%SP&is busy"_s, u"vbYesNo+vbQuestion+vbMsgBoxHelpButton"_s,
               u"Trunk&%SP&%ST"_s, u"HELP/%ST"_s, u"12"_s);
    const QVariant noHelp[] = {u"-1"_s, QString(), QVariant()};
    for (int i = 0; i < 3; ++i)
        OwnMessage(46 + i, u"x"_s, u"vbOKOnly"_s, u"T"_s, u"HELP/kestrel.hlp"_s, noHelp[i]);
    OwnMessage(43, QVariant(), u"vbOKOnly"_s, u"T"_s, QString(), QString());
    OwnMessage(44, u"x"_s, QVariant(), u"T"_s, QString(), QString());
    OwnMessage(45, u"x"_s, u"vbOKOnly"_s, u"T"_s, QString(), u"topic"_s);
    const std::optional<QString> fatal = u"System Fatal Notice"_s;
    const struct {
        std::int16_t source, msgNo;
        const char* insert;
        const char* title;  // the caller's
        int answer;
        std::optional<QString> shownTitle;
        int flags;
        std::optional<int> context;
        const char *helpFile, *prompt;  // how the prompt starts
    } cases[] = {
        {kCommonSource, 17, "", "Trunk Copy", answer::kOk, "Trunk Copy", 48, {}, "", ""},
        {kCommonSource, 7, "", "-1", answer::kOk, {}, 64, {}, "", ""},
        {kOwnSource, 40, "", "ignored for own messages", answer::kOk, {}, 0, {}, "", "Hello"},
        {kOwnSource, 41, "012%034%x.hlp", "", answer::kNo, "Trunk 034", 4 + 32 + 16384, 12, "x.hlp",
         "Trunk 012 is busy"},  // the folder and the name are one piece, replaced whole
        {kOwnSource, 46, "", "", answer::kOk, "T", 0, {}, "", "x"},
        {kOwnSource, 47, "", "", answer::kOk, "T", 0, {}, "", "x"},
        {kOwnSource, 48, "", "", answer::kOk, "T", 0, {}, "", "x"},
        {kOwnSource, 999, "", "", 0, fatal, 16, {}, "", "Error No: [3021]\r    "},
        // Own numbers are not in the common database.
        {kCommonSource, 3, "", "", 0, fatal, 16, {}, "", "Error No: [3021]\r    "},
        {kOwnSource, 43, "", "", 0, fatal, 16, {}, "", "Error No: [94]\r    "},
        {kOwnSource, 44, "", "", 0, fatal, 16, {}, "", "Error No: [94]\r    "},
        {kOwnSource, 45, "", "", 0, fatal, 16, {}, "", "Error No: [13]\r    "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.msgNo);
        tree_.boxes.Clear();
        tree_.boxes.Script({c.answer ? c.answer : answer::kOk});
        EXPECT_EQ(LangMsgBox(c.source, c.msgNo, Q(c.insert), Q(c.title)), c.answer);
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const MessageBoxRequest& box = tree_.boxes.Last();
        EXPECT_EQ(box.title, c.shownTitle);
        EXPECT_EQ(box.context, c.context);
        EXPECT_EQ(box.helpFile, Q(c.helpFile));
        EXPECT_EQ(box.flags, c.flags);
        EXPECT_TRUE(box.prompt.startsWith(Q(c.prompt))) << box.prompt.toStdString();
    }
}

// The databases are read through the handles handed over: what is opened or
// closed through them later counts. No database, or no handle, gives the
// fatal notice for an unset object and 0.
TEST_F(LangMsgBoxTest, ReadsTheDatabasesThroughTheHandlesHandedOver) {
    std::unique_ptr<Database> common;
    SetLanguageDatabases(&common, &g_LangDb);
    const QString unset = u"0 Error No: [91]"_s;
    EXPECT_EQ(Shown(kCommonSource, 17), unset);
    common = std::move(g_CommonDb);
    EXPECT_TRUE(Shown(kCommonSource, 17).startsWith(u"1 "));
    common.reset();
    EXPECT_EQ(Shown(kCommonSource, 17), unset);
    SetLanguageDatabases(nullptr, nullptr);
    EXPECT_EQ(Shown(kOwnSource, 40), unset);
    EXPECT_EQ(tree_.boxes.Last().title, u"System Fatal Notice"_s);
}

// The message box that runs modally now, or nullptr.
QMessageBox* RunningBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

// Runs `act` on the real box once it is up (retried until it is).
void WhenBoxIsUp(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] {
        if (QMessageBox* box = RunningBox())
            act(box);
        else
            WhenBoxIsUp(act);
    });
}

// Escape and the frame's close button answer a box that has OK alone (with
// Help or without) or a Cancel button; Yes/No and Abort/Retry/Ignore boxes
// wait for a button.
TEST(QtMessageBoxesTest, EscapeAnswersOnlyBoxesWithACancellingButton) {
    const struct {
        int flags;
        bool closedByEscape;
        QMessageBox::StandardButton press;  // pressed when the box is still open
        int answer;
    } cases[] = {{mb::kOkOnly, true, QMessageBox::Ok, answer::kOk},
                 {mb::kOkOnly + mb::kHelpButton, true, QMessageBox::Ok, answer::kOk},
                 {mb::kOkCancel, true, QMessageBox::Ok, answer::kCancel},
                 {mb::kYesNoCancel + mb::kQuestion, true, QMessageBox::Yes, answer::kCancel},
                 {mb::kRetryCancel, true, QMessageBox::Retry, answer::kCancel},
                 {mb::kYesNo + mb::kQuestion, false, QMessageBox::Yes, answer::kYes},
                 {mb::kYesNo + 256, false, QMessageBox::Yes, answer::kYes},  // default No
                 {mb::kAbortRetryIgnore, false, QMessageBox::Retry, answer::kRetry}};
    QtMessageBoxes boxes;
    for (const auto& c : cases) {
        bool openAfterEscape = false;
        bool openAfterClose = false;
        WhenBoxIsUp([&](QMessageBox* box) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
            openAfterEscape = box->isVisible();
            if (openAfterEscape) {
                // What the frame's close button sends: a close event from the window system.
                QCloseEvent close;
                QSpontaneKeyEvent::setSpontaneous(&close);
                QApplication::instance()->notify(box, &close);  // sendEvent would clear the origin
                openAfterClose = box->isVisible();
            }
            if (box->isVisible())
                QTest::mouseClick(box->button(c.press), Qt::LeftButton);
        });
        EXPECT_EQ(boxes.Show({u"Question"_s, c.flags, std::nullopt, QString(), std::nullopt}),
                  c.answer)
            << c.flags;
        EXPECT_EQ(openAfterEscape, !c.closedByEscape) << c.flags;
        EXPECT_EQ(openAfterClose, !c.closedByEscape) << c.flags;
    }
}

// Whether each help viewer was last blocked by a modal window.
class BlockWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched->objectName() == u"helpViewer" &&
            (type == QEvent::WindowBlocked || type == QEvent::WindowUnblocked))
            blocked = type == QEvent::WindowBlocked;
        return false;
    }
    bool blocked = false;
};

// The Help flag shows the Help button with or without a help reference.
// Pressing it (or F1) never answers the box: with a reference the topic
// opens in front of the box and stays usable beside it while the box waits.
TEST(QtMessageBoxesTest, HelpOpensBesideTheWaitingBoxAndIsUsable) {
    test::RuntimeTree tree;
    const QString helpFile = tree.AddinsDir() + u"/HELP/kestrel.hlp"_s;
    const struct {
        const char* what;
        std::optional<int> context;
        bool byKey;  // F1 instead of the button
        bool viewer;
    } cases[] = {{"button without a reference", std::nullopt, false, false},
                 {"button with a reference", 1, false, true},
                 {"F1 with a reference", 1, true, true}};
    QtMessageBoxes boxes;
    BlockWatch watch;
    qApp->installEventFilter(&watch);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::CloseHelpViewers();
        watch.blocked = false;
        QStringList seen;
        WhenBoxIsUp([&](QMessageBox* box) {
            QAbstractButton* help = box->button(QMessageBox::Help);
            if (help && help->isVisible())
                seen << u"help button"_s;
            if (c.byKey) {
                // A shortcut of the box acts while it is the active window.
                box->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(box));
                QTest::keyClick(box, Qt::Key_F1);
            } else if (help)
                QTest::mouseClick(help, Qt::LeftButton);
            if (c.viewer)
                test::WaitFor([] { return test::OpenHelpViewer() != nullptr; });
            QCoreApplication::processEvents();
            if (box->isVisible() && RunningBox() == box)
                seen << u"box waits"_s;
            if (QWidget* viewer = test::OpenHelpViewer()) {
                if (viewer->windowHandle()->transientParent() == box->windowHandle())
                    seen << u"viewer in front"_s;
                if (!watch.blocked)
                    seen << u"viewer usable"_s;
            }
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        });
        EXPECT_EQ(boxes.Show({u"Question"_s, mb::kYesNo + mb::kHelpButton, std::nullopt,
                              c.context ? helpFile : QString(), c.context}),
                  answer::kYes);
        EXPECT_EQ(seen.join(u", "), c.viewer
                                        ? "help button, box waits, viewer in front, viewer usable"
                                        : "help button, box waits");
        EXPECT_EQ(test::OpenHelpViewer() != nullptr, c.viewer);
    }
    qApp->removeEventFilter(&watch);
    test::CloseHelpViewers();
}

TEST(ExpandTokensTest, ExpandsPiecesAndTakesInsertValuesInTurn) {
    const struct {
        const char *text, *insertBefore, *expected, *insertAfter;
    } cases[] = {{"Line one & %CR & Line two", "", "Line one\rLine two", ""},
                 {"a&%SP4&b", "", "a    b", ""},
                 {"%AND", "", "&", ""},
                 {"Trunk&%SP&%ST&%SP&is busy", "012", "Trunk 012 is busy", "012"},
                 {"Trunk&%SP&%ST&%SP&is busy", "012%034", "Trunk 012 is busy", "034"},
                 {"%ST&,&%ST&,&%ST", "1%2%3", "1,2,3", "3"},
                 {"%ST&-&%ST", "only", "only-only", "only"},
                 {"before%STafter", "X%Y", "X", "Y"},
                 {"  spaced  &  out  ", "", "spacedout", ""},
                 {"Start&-1", "", "-1", ""},
                 {"-1&Tail", "", "-1Tail", ""},
                 {"", "keep", "", "keep"},
                 {"%cr", "", "%cr", ""},
                 {"a&&b", "", "ab", ""},
                 {"%ST", "D001,D002,\r\nmore...", "D001,D002,\r\nmore...", "D001,D002,\r\nmore..."},
                 {"Ünïcode & %SP & 'quoted' \"text\"", "", "Ünïcode 'quoted' \"text\"", ""}};
    for (const auto& c : cases) {
        QString insert = Q(c.insertBefore);
        EXPECT_EQ(ExpandTokens(Q(c.text), insert), Q(c.expected)) << c.text;
        EXPECT_EQ(insert, Q(c.insertAfter)) << c.text;
    }
}

TEST(ParseButtonsTest, SumsExactNames) {
    const struct {
        const char* names;
        std::int32_t value;
    } cases[] = {{"vbYesNo+vbQuestion", 36},
                 {"vbYesNo + vbQuestion", 0},
                 {"", 0},
                 {"vbokonly+vbCritical", 16},
                 {"vbOKCancel+vbExclamation+vbDefaultButton2", 305},
                 {"vbYesNoCancel+vbInformation+vbDefaultButton3+vbMsgBoxHelpButton", 16963},
                 {"vbAbortRetryIgnore+vbDefaultButton4+vbSystemModal", 4866},
                 {"vbRetryCancel+vbMsgBoxSetForeground+vbMsgBoxRight+vbMsgBoxRtlReading", 1638405},
                 {"vbApplicationModal+vbDefaultButton1+Unknown", 0},
                 {"+vbCritical+", 16}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseButtons(Q(c.names)), c.value) << c.names;
}

using CaptionTableTest = LangMsgBoxTest;

// Entries are positions, not IDs. An empty table, or none, fails with the
// fatal notice and keeps what was loaded (the start's own failures with a
// missing or empty message table are in StartupTest).
TEST_F(CaptionTableTest, EntriesArePositionsNotIds) {
    QStringList entries{u"kept"_s};
    EXPECT_FALSE(LoadCaptionTable(entries, u"tSample"_s, g_LangDb.get()));
    EXPECT_FALSE(LoadCaptionTable(entries, u"tSample"_s, nullptr));
    EXPECT_EQ(entries, QStringList{u"kept"_s});
    ASSERT_EQ(tree_.boxes.shown.size(), 2u);
    EXPECT_EQ(tree_.boxes.Last().title, u"System Fatal Notice"_s);
    g_LangDb->Execute(u"INSERT INTO tSample VALUES (5, 'five'), (0, 'zero'), (1, NULL)"_s);
    ASSERT_TRUE(LoadCaptionTable(entries, u"tSample"_s, g_LangDb.get()));
    EXPECT_EQ(entries, QStringList({u"zero"_s, QString(), u"five"_s}));
    EXPECT_EQ(tree_.boxes.shown.size(), 2u);
}

// The project record is found by its key whatever the case, quotes and all;
// empty fields give empty texts, and no record leaves what was loaded.
TEST_F(CaptionTableTest, ProjectInfoSetsTitleAndNotices) {
    g_LangDb->Execute(u"UPDATE tProject SET EXEName = 'KESTREL'"_s);
    g_LangDb->Execute(QStringLiteral(
        "INSERT INTO tProject (EXEName, Title) VALUES ('It''s \"quoted\"', 'Other title'), "
        "('Größe', 'Sized title')"));
    const struct {
        const char *asked, *title;
    } cases[] = {{"It's \"quoted\"", "Other title"},
                 {"GRÖßE", "Sized title"},
                 {"kestrel", "Kestrel Trunk Copy"}};
    for (const auto& c : cases) {
        App().Title.clear();
        EXPECT_TRUE(LoadProjectInfo(Q(c.asked), g_LangDb.get())) << c.asked;
        EXPECT_EQ(App().Title, Q(c.title)) << c.asked;
        EXPECT_EQ(App().OleServerBusyMsgText.isEmpty(), *c.title != 'K') << c.asked;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
    EXPECT_FALSE(LoadProjectInfo(u"Nobody"_s, g_LangDb.get()));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(u" [3021]"_s));
    EXPECT_EQ(App().Title, u"Kestrel Trunk Copy"_s);
}

// The project record names the language, its help file and its report
// template; a record without them, or a database made before the fields
// existed, gives English: no language, kestrel.hlp, kestrel.rpt.
TEST_F(CaptionTableTest, ProjectInfoNamesTheLanguageAndItsFiles) {
    const struct {
        const char *column, *value;
        QString (*read)();
        const char* english;
    } fields[] = {{"HelpFile", "kestrel_xx.hlp", HelpFileName, "kestrel.hlp"},
                  {"ReportFile", "kestrel_xx.rpt", ReportFileName, "kestrel.rpt"},
                  {"Language", " XX ", [] { return App().Language; }, ""}};
    for (const auto& f : fields) {
        const QString column = Q(f.column);
        const QString set = u"UPDATE tProject SET %1 = '%2'"_s.arg(column, f.value);
        g_LangDb->Execute(set);
        EXPECT_TRUE(LoadProjectInfo(u"Kestrel"_s, g_LangDb.get()));
        EXPECT_EQ(f.read(), Q(f.value).trimmed()) << f.column;
        g_LangDb->Execute(u"UPDATE tProject SET %1 = NULL"_s.arg(column));
        EXPECT_TRUE(LoadProjectInfo(u"Kestrel"_s, g_LangDb.get()));
        EXPECT_EQ(f.read(), Q(f.english)) << f.column;
        g_LangDb->Execute(set);
        EXPECT_TRUE(LoadProjectInfo(u"Kestrel"_s, g_LangDb.get()));
        g_LangDb->Execute(u"ALTER TABLE tProject DROP COLUMN %1"_s.arg(column));
        EXPECT_TRUE(LoadProjectInfo(u"Kestrel"_s, g_LangDb.get()));
        EXPECT_EQ(f.read(), Q(f.english)) << f.column;
    }
    // English is the language of no name and of "EN", whatever its case.
    for (const char* language : {"", "EN", "en", " En ", "DE"}) {
        App().Language = Q(language);
        EXPECT_EQ(IsDefaultLanguage(), *language != 'D') << language;
    }
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// The message table is read by position, so a gap in its IDs (two blocks
// of rows joined with one missing between them) would shift every later
// text; and a translation must keep every placeholder its text has.
TEST_F(CaptionTableTest, ShippedMessageTablesRunWithoutGapsInBothLanguages) {
    const auto rows = [](const QString& file) {
        auto db = Database::Open(file, true);
        EXPECT_EQ(test::SqlRows(*db,
                                "SELECT MIN(ID), MAX(ID) + 1 - COUNT(*), "
                                "COUNT(*) - COUNT(DISTINCT ID) FROM tMessages"),
                  QStringList{u"0=0=0"_s})
            << file.toStdString();
        return test::SqlRows(*db, "SELECT Caption FROM tMessages ORDER BY ID");
    };
    const QStringList english = rows(tree_.DatabaseDir() + u"Kestrel.lng"_s);
    const QStringList german = rows(tree_.DatabaseDir() + u"LANGUAGES/DE/Kestrel.lng"_s);
    ASSERT_GE(english.size(), 31);
    ASSERT_EQ(german.size(), english.size());
    static const QRegularExpression placeholder(u"%[1-9]"_s);
    const auto placeholders = [](const QString& text) {
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();)
            found.append(it.next().captured(0));
        found.sort();
        return found;
    };
    for (int i = 0; i < english.size(); ++i) {
        EXPECT_FALSE(english.at(i).isEmpty()) << i;
        EXPECT_FALSE(german.at(i).isEmpty()) << i;
        EXPECT_EQ(placeholders(german.at(i)), placeholders(english.at(i))) << i;
    }
}

// The notices shown while a host call waits have an OK button only: in
// every language their texts ask for no other button.
TEST(ProjectNoticeTest, TheWaitNoticesAskForNoButtonTheyLack) {
    const struct {
        const char *lng, *otherButtons;
    } languages[] = {
        {"/ADDINS/DATABASE/Kestrel.lng", "Retry|Cancel|Ignore|Abort|Yes|No"},
        {"/ADDINS/DATABASE/LANGUAGES/DE/Kestrel.lng", "Wiederholen|Abbrechen|Ignorieren|Ja|Nein"}};
    for (const auto& language : languages) {
        const QStringList texts = test::SqlRows(
            *Database::Open(QStringLiteral(KESTREL_STAGE_ROOT) + Q(language.lng), true),
            "SELECT OleServerBusyMsgText FROM tProject UNION ALL "
            "SELECT OleRequestPendingMsgText FROM tProject");
        ASSERT_EQ(texts.size(), 2) << language.lng;
        const QRegularExpression button(u"\\b(%1)\\b"_s.arg(Q(language.otherButtons)));
        for (const QString& text : texts) {
            EXPECT_FALSE(text.isEmpty()) << language.lng;
            EXPECT_FALSE(button.match(text).hasMatch()) << text.toStdString();
        }
    }
}

}  // namespace
}  // namespace kestrel
