#include <gtest/gtest.h>

#include <QRegularExpression>

#include "localisation/Messages.h"
#include "platform/AppInfo.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

class CaptionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDB(tree_.DatabaseDir() + u"Kestrel.lng"_s, g_LangDb, false));
        g_LangDb->Execute(u"CREATE TABLE tSample (ID INTEGER, Caption TEXT)"_s);
    }
    test::RuntimeTree tree_;
};

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
                 {"größe", "Sized title"},
                 {"kestrel", "Kestrel Trunk Copy"},
                 {"Kestrel", "Kestrel Trunk Copy"}};
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
        auto row = db->OpenRecordset(u"SELECT ID, Caption FROM tMessages ORDER BY ID"_s,
                                     RecordsetType::Snapshot);
        QStringList captions;
        for (; !row->Eof(); row->MoveNext()) {
            EXPECT_EQ(row->Fields(0).toInt(), captions.size()) << file.toStdString();
            captions.append(row->Fields(1).toString());
        }
        return captions;
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
        auto db = Database::Open(QStringLiteral(KESTREL_STAGE_ROOT) + Q(language.lng), true);
        auto rows = db->OpenRecordset(
            u"SELECT OleServerBusyMsgText, OleRequestPendingMsgText FROM tProject"_s);
        ASSERT_FALSE(rows->Eof()) << language.lng;
        const QRegularExpression button(u"\\b(%1)\\b"_s.arg(Q(language.otherButtons)));
        for (int field = 0; field < 2; ++field) {
            const QString text = rows->Fields(field).toString();
            EXPECT_FALSE(text.isEmpty()) << language.lng;
            EXPECT_FALSE(button.match(text).hasMatch()) << text.toStdString();
        }
    }
}

}  // namespace
}  // namespace kestrel
