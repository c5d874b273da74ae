#include <gtest/gtest.h>

#include <QRegularExpression>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"

namespace kestrel {
namespace {

class CaptionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"), g_LangDb, false));
        g_LangDb->Execute(QStringLiteral("CREATE TABLE tSample (ID INTEGER, Caption TEXT)"));
    }
    test::RuntimeTree tree_;
};

TEST_F(CaptionTableTest, EntriesArePositionsNotIds) {
    g_LangDb->Execute(
        QStringLiteral("INSERT INTO tSample VALUES (5, 'five'), (0, 'zero'), (1, NULL)"));
    QStringList entries;
    ASSERT_TRUE(LoadCaptionTable(entries, QStringLiteral("tSample"), g_LangDb.get()));
    EXPECT_EQ(entries, QStringList({QStringLiteral("zero"), QString(), QStringLiteral("five")}));
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

TEST_F(CaptionTableTest, AnEmptyOrMissingTableFails) {
    QStringList entries{QStringLiteral("kept")};
    EXPECT_FALSE(LoadCaptionTable(entries, QStringLiteral("tSample"), g_LangDb.get()));
    EXPECT_EQ(entries, QStringList{QStringLiteral("kept")});
    EXPECT_FALSE(LoadCaptionTable(entries, QStringLiteral("tNothing"), g_LangDb.get()));
    EXPECT_FALSE(LoadCaptionTable(entries, QStringLiteral("tSample"), nullptr));
    ASSERT_EQ(tree_.boxes.shown.size(), 3u);
    for (const auto& box : tree_.boxes.shown) {
        EXPECT_EQ(box.title, QStringLiteral("System Fatal Notice"));
        EXPECT_TRUE(box.prompt.startsWith(QStringLiteral("Error No: [")));
    }
}

// The project record is found by its key whatever the case, quotes and all;
// empty fields give empty texts, and no record leaves what was loaded.
TEST_F(CaptionTableTest, ProjectInfoSetsTitleAndNotices) {
    g_LangDb->Execute(QStringLiteral("UPDATE tProject SET EXEName = 'KESTREL'"));
    g_LangDb->Execute(QStringLiteral(
        "INSERT INTO tProject (EXEName, Title) VALUES ('It''s \"quoted\"', 'Other title'), "
        "('Größe', 'Sized title')"));
    const struct {
        const char* asked;
        const char* title;
    } cases[] = {{"It's \"quoted\"", "Other title"},
                 {"GRÖßE", "Sized title"},
                 {"größe", "Sized title"},
                 {"kestrel", "Kestrel Trunk Copy"},
                 {"Kestrel", "Kestrel Trunk Copy"}};
    for (const auto& c : cases) {
        App().Title.clear();
        EXPECT_TRUE(LoadProjectInfo(QString::fromUtf8(c.asked), g_LangDb.get())) << c.asked;
        EXPECT_EQ(App().Title, QString::fromUtf8(c.title)) << c.asked;
        EXPECT_EQ(App().OleServerBusyMsgText.isEmpty(), *c.title != 'K') << c.asked;
    }
    EXPECT_EQ(HelpFileName(), QStringLiteral("kestrel.hlp"));  // none named: the default
    EXPECT_TRUE(tree_.boxes.shown.empty());
    EXPECT_FALSE(LoadProjectInfo(QStringLiteral("Nobody"), g_LangDb.get()));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.endsWith(QStringLiteral(" [3021]")));
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy"));
}

// The project record names the language, its help file and its report
// template; a record without them, or a database made before the fields
// existed, gives English: no language, kestrel.hlp, kestrel.rpt.
TEST_F(CaptionTableTest, ProjectInfoNamesTheLanguageAndItsFiles) {
    const struct {
        const char* column;
        const char* value;
        QString (*read)();
        const char* english;
    } fields[] = {
        {"HelpFile", "kestrel_xx.hlp", HelpFileName, "kestrel.hlp"},
        {"ReportFile", "kestrel_xx.rpt", ReportFileName, "kestrel.rpt"},
        {"Language", " XX ", [] { return App().Language; }, ""},
    };
    for (const auto& f : fields) {
        const QString column = QString::fromLatin1(f.column);
        const QString set = QStringLiteral("UPDATE tProject SET %1 = '%2'").arg(column, f.value);
        g_LangDb->Execute(set);
        EXPECT_TRUE(LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get()));
        EXPECT_EQ(f.read(), QString::fromLatin1(f.value).trimmed()) << f.column;
        g_LangDb->Execute(QStringLiteral("UPDATE tProject SET %1 = NULL").arg(column));
        EXPECT_TRUE(LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get()));
        EXPECT_EQ(f.read(), QString::fromLatin1(f.english)) << f.column;
        g_LangDb->Execute(set);
        EXPECT_TRUE(LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get()));
        g_LangDb->Execute(QStringLiteral("ALTER TABLE tProject DROP COLUMN %1").arg(column));
        EXPECT_TRUE(LoadProjectInfo(QStringLiteral("Kestrel"), g_LangDb.get()));
        EXPECT_EQ(f.read(), QString::fromLatin1(f.english)) << f.column;
    }
    // English is the language of no name and of "EN", whatever its case.
    for (const char* language : {"", "EN", "en", " En "}) {
        App().Language = QString::fromLatin1(language);
        EXPECT_TRUE(IsDefaultLanguage()) << language;
    }
    App().Language = QStringLiteral("DE");
    EXPECT_FALSE(IsDefaultLanguage());
    EXPECT_TRUE(tree_.boxes.shown.empty());
}

// The message table is read by position, so a gap in its IDs (two blocks
// of rows joined with one missing between them) would shift every later
// text; and a translation must keep every placeholder its text has.
TEST_F(CaptionTableTest, ShippedMessageTablesRunWithoutGapsInBothLanguages) {
    const auto rows = [](const QString& file) {
        auto db = Database::Open(file, true);
        auto row =
            db->OpenRecordset(QStringLiteral("SELECT ID, Caption FROM tMessages ORDER BY ID"),
                              RecordsetType::Snapshot);
        QStringList captions;
        for (; !row->Eof(); row->MoveNext()) {
            EXPECT_EQ(row->Fields(0).toInt(), captions.size()) << file.toStdString();
            captions.append(row->Fields(1).toString());
        }
        return captions;
    };
    const QStringList english = rows(tree_.DatabaseDir() + QStringLiteral("Kestrel.lng"));
    const QStringList german =
        rows(tree_.DatabaseDir() + QStringLiteral("LANGUAGES/DE/Kestrel.lng"));
    ASSERT_GE(english.size(), 31);
    ASSERT_EQ(german.size(), english.size());
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
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
        const char* lng;
        const char* otherButtons;
    } languages[] = {
        {"/ADDINS/DATABASE/Kestrel.lng", "Retry|Cancel|Ignore|Abort|Yes|No"},
        {"/ADDINS/DATABASE/LANGUAGES/DE/Kestrel.lng", "Wiederholen|Abbrechen|Ignorieren|Ja|Nein"},
    };
    for (const auto& language : languages) {
        auto db = Database::Open(
            QStringLiteral(KESTREL_STAGE_ROOT) + QString::fromLatin1(language.lng), true);
        auto rows = db->OpenRecordset(
            QStringLiteral("SELECT OleServerBusyMsgText, OleRequestPendingMsgText FROM tProject"));
        ASSERT_FALSE(rows->Eof()) << language.lng;
        const QRegularExpression button(
            QStringLiteral("\\b(%1)\\b").arg(QString::fromLatin1(language.otherButtons)));
        for (int field = 0; field < 2; ++field) {
            const QString text = rows->Fields(field).toString();
            EXPECT_FALSE(text.isEmpty()) << language.lng;
            EXPECT_FALSE(button.match(text).hasMatch()) << text.toStdString();
        }
    }
}

}  // namespace
}  // namespace kestrel
