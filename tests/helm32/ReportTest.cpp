#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <functional>

#include "copyengine/ReportCopyState.h"
#include "copyengine/ReportPrinter.h"
#include "copyengine/ReportWriter.h"
#include "helm32/HostReport.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/MessageBoxes.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "support/RuntimeTree.h"
#include "support/ScriptedHost.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

const QString kSelection = QStringLiteral("{Trunk.Trunk}= '012'");

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        work_ = tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB");
        template_ = tree_.AddinsDir() + QStringLiteral("/REPORT/kestrel.rpt");
        auto db = Database::Open(work_, false);
        db->Execute(QStringLiteral("INSERT INTO Trunk VALUES ('012')"));
        db->Execute(QStringLiteral("INSERT INTO PBXName VALUES ('PBX <1>')"));
        db->Execute(
            QStringLiteral("INSERT INTO TrkDataListup VALUES ('012', '3001', '02', "
                           "'Trunk route'), ('012', '3005', 'NONE', 'Night & day')"));
        db->Execute(QStringLiteral("INSERT INTO CopyTrunk VALUES ('5-7,9')"));
    }
    QString Write(const QString& selection, const QString& db, const QString& templ,
                  const QString& folder = {}) {
        written_.clear();
        return WriteTrunkReport(db, templ, selection, folder.isEmpty() ? out_.path() : folder,
                                &written_);
    }

    test::RuntimeTree tree_;
    QTemporaryDir out_;
    QString work_;
    QString template_;
    QString written_;
};

// The template gives the report its words and the PDF its name, after
// exchange and trunk; the German template is checked with the second
// language's texts.
TEST_F(ReportTest, TheTemplateIsFilledAndWrittenAsAPdf) {
    const FilledReport filled =
        FillTrunkReport(work_, template_, kSelection, QDateTime(QDate(2026, 3, 1), QTime(9, 5)));
    ASSERT_TRUE(filled.outcome.Written());
    for (const char* text : {"Trunk Data Report", "2026-03-01 09:05", "Night &amp; day"})
        EXPECT_TRUE(filled.html.contains(QString::fromUtf8(text))) << text;
    // Past the comment that names the placeholders, all are filled.
    EXPECT_FALSE(filled.html.mid(filled.html.indexOf(QStringLiteral("<head>")))
                     .contains(QStringLiteral("{{")));
    ASSERT_EQ(Write(kSelection, work_, template_), QString());
    EXPECT_TRUE(written_.contains(QStringLiteral("Trunk-PBX__1_-012-"))) << written_.toStdString();
    EXPECT_TRUE(test::ReadFile(written_).startsWith("%PDF"));
}

// The report says what the last copy did to each item and whether it was
// undone: the value column names what it shows, refused and unwritten items
// are marked, and an undo of that copy (only that copy) is told with its
// outcome per trunk; a new copy starts afresh.
TEST_F(ReportTest, TheReportSaysWhatTheLastCopyDidAndWhetherItWasUndone) {
    const QStringList saved = g_Messages;
    const auto restore = qScopeGuard([saved] { g_Messages = saved; });
    g_Messages = QStringList(80);
    g_Messages[77] = QStringLiteral("undone %1 of %2, %3 refused, %4 not");
    auto db = Database::Open(work_, false);
    auto item = [](const char* cmd, CopiedState state) {
        return CopiedItem{QString::fromLatin1(cmd), state};
    };
    using S = CopiedState;
    const struct {
        const char* what;
        std::function<void()> act;
        const char* column;  // the value column's head
        const char* mark3001;
        const char* mark3005;
        const char* more;  // further text the page holds
    } steps[] = {
        {"no copy", [&] { db->Execute(QStringLiteral("DELETE FROM CopyTrunk")); },
         "Value read from the source trunk", "", "", ""},
        {"copied, one refused",
         [&] {
             db->Execute(QStringLiteral("INSERT INTO CopyTrunk VALUES ('5-7,9')"));
             StoreCopiedItems(*db, {item("3001", S::Written), item("3005", S::Refused)}, true);
         },
         "Value copied", "", "refused by the exchange", ""},
        {"the next request of the copy adds the worse",
         [&] {
             StoreCopiedItems(*db, {item("3001", S::NotWritten), item("3005", S::Written)}, false);
         },
         "Value copied", "not written, or not confirmed", "refused by the exchange", ""},
        {"a new copy of one item", [&] { StoreCopiedItems(*db, {item("3001", S::Written)}, true); },
         "Value copied", "", "not copied", ""},
        {"the undo of another copy",
         [&] {
             const QString pbx = QStringLiteral("PBX <1>");
             const QString dests = QStringLiteral("5-7,9");
             EXPECT_FALSE(
                 StoreUndoOutcome(*db, pbx, QStringLiteral("012"), QStringLiteral("5-8"), {}));
             EXPECT_FALSE(StoreUndoOutcome(*db, pbx, QStringLiteral("013"), dests, {}));
             EXPECT_FALSE(
                 StoreUndoOutcome(*db, QStringLiteral("PBX2"), QStringLiteral("012"), dests, {}));
         },
         "Value copied", "", "not copied", ""},
        {"the undo of this copy",
         [&] {
             EXPECT_TRUE(StoreUndoOutcome(*db, QStringLiteral("PBX <1>"), QStringLiteral("012"),
                                          QStringLiteral(" 5-7,9"),
                                          {{QStringLiteral("005"), 1, 0, 1}}));
         },
         "Value of the undone copy", "written, then undone", "not copied", "the copy was undone"},
        {"a copy after the undo", [&] { StoreCopiedItems(*db, {item("3005", S::Written)}, true); },
         "Value copied", "not copied", "", ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const FilledReport filled = FillTrunkReport(work_, template_, kSelection, {});
        ASSERT_TRUE(filled.outcome.Written());
        const QString page = filled.html.mid(filled.html.indexOf(QStringLiteral("<body>")));
        EXPECT_TRUE(page.contains(QString::fromUtf8(step.column)));
        EXPECT_FALSE(page.contains(QStringLiteral("<!--")));
        // Each item's row, from its key to the row's end.
        auto row = [&](const char* key) {
            const qsizetype at = page.indexOf(QString::fromLatin1(key));
            return page.mid(at, page.indexOf(QStringLiteral("</tr>"), at) - at);
        };
        const std::pair<const char*, const char*> marks[] = {{"3001", step.mark3001},
                                                             {"3005", step.mark3005}};
        for (const auto& [key, mark] : marks) {
            const QString r = row(key);
            const bool marked = r.contains(QStringLiteral("&ndash;"));
            EXPECT_EQ(marked, *mark != 0) << key << ": " << r.toStdString();
            EXPECT_TRUE(r.contains(QString::fromUtf8(mark))) << key << ": " << r.toStdString();
        }
        EXPECT_EQ(page.contains(QStringLiteral("the copy was undone")), *step.more != 0);
        EXPECT_EQ(page.contains(QStringLiteral("undone 1 of 2, 0 refused, 1 not")),
                  *step.more != 0);
        EXPECT_FALSE(page.contains(QStringLiteral("Outcome of the last copy")));
    }
    // The outcome per destination, once recorded: in the table's order and
    // escaped; none from a working copy without the table.
    db->Execute(
        QStringLiteral("INSERT INTO CopyOutcome VALUES ('009', '16 written'), "
                       "('005', '1 refused <3002>')"));
    QString html = FillTrunkReport(work_, template_, kSelection, {}).html;
    const qsizetype section = html.indexOf(QStringLiteral("Outcome of the last copy"));
    const qsizetype first = html.indexOf(QStringLiteral("009"), section);
    EXPECT_GT(section, html.indexOf(QStringLiteral("<body>")));
    EXPECT_GT(first, section);
    EXPECT_GT(html.indexOf(QStringLiteral("1 refused &lt;3002&gt;"), section), first);
    EXPECT_FALSE(html.contains(QStringLiteral("<!--/OROW")));
    db->Execute(QStringLiteral("DROP TABLE CopyOutcome"));
    html = FillTrunkReport(work_, template_, kSelection, {}).html;
    EXPECT_FALSE(html.contains(QStringLiteral("Outcome of the last copy")));
}

TEST_F(ReportTest, FailuresAreDescribed) {
    const QString junk = out_.filePath(QStringLiteral("junk.rpt"));
    ASSERT_TRUE(test::WriteFile(junk, "<html>no rows</html>"));
    const struct {
        QString selection;
        QString db;
        QString templ;
        const char* said;     // a part of the answer
        QString folder = {};  // the reports folder, when not the test's
    } cases[] = {
        {QStringLiteral("{Trunk.Trunk} = '012'"), work_, template_, "The report selection"},
        {QStringLiteral("Trunk = 012"), work_, template_, "The report selection"},
        {QStringLiteral("{Trunk.Trunk}= '013'"), work_, template_, "holds no data for trunk 013"},
        {kSelection, work_, template_ + QStringLiteral(".x"), "rpt.x cannot be read"},
        {kSelection, work_ + QStringLiteral(".x"), template_, "MDB.x cannot be read"},
        {kSelection, work_, junk, "has no item row"},
        // A file stands in the way of the folder.
        {kSelection, work_, template_, "The reports folder", junk + QStringLiteral("/reports")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const QString said = Write(c.selection, c.db, c.templ, c.folder);
        EXPECT_TRUE(said.contains(QString::fromLatin1(c.said))) << said.toStdString();
        EXPECT_TRUE(written_.isEmpty());
    }
}

// In a host start the host prints the working copy's trunk with the
// language's template: its failure is shown as it stands in a plain box, and
// a report it says it wrote to a file is offered to be opened.
TEST_F(ReportTest, AHostStartPrintsThroughTheHostAndOffersItsFile) {
    ASSERT_TRUE(tree_.OpenStartupDatabases());
    struct Printing : test::ScriptedHost {
        QString answer;
        QString file;
        bool fileFails = false;
        QStringList asked;
        QString PrintReport(const QString& db, const QString& t, const QString& s, const QString&,
                            std::int32_t) override {
            asked << db << t << s;
            return answer;
        }
        QString LastReportFile() override {
            if (fileFails)
                throw RunError(440, QStringLiteral("no such member"));
            return file;
        }
    };
    const QString pdf = QStringLiteral("/reports/Trunk-PBX1-012.pdf");
    // The file's name and its folder, each on a line of its own.
    const QString written = QStringLiteral(
        "The report has been written.\rFile: Trunk-PBX1-012.pdf\rFolder: /reports\r\rOpen it now?");
    const struct {
        const char* what;
        QString answer;
        QString file;
        bool fileFails;
        std::initializer_list<int> buttons;
        QStringList prompts;  // the start of each box's prompt
        QStringList opened;
    } cases[] = {
        {"printed, no file named", {}, {}, false, {}, {}, {}},
        {"a host without the member", {}, {}, true, {}, {}, {}},
        {"the host failed", QStringLiteral("Out of paper"), pdf, false, {}, {"Out of paper"}, {}},
        {"a file, not opened", {}, pdf, false, {answer::kNo}, {written}, {}},
        {"a file, opened", {}, pdf, false, {answer::kYes}, {written}, {pdf}},
    };
    g_Standalone = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tree_.boxes.Clear();
        tree_.boxes.Script(c.buttons);
        tree_.opened.clear();
        Printing printer;
        printer.answer = c.answer;
        printer.file = c.file;
        printer.fileFails = c.fileFails;
        PrintTrunkReport(&printer, QStringLiteral("KESTREL4.MDB"), QStringLiteral("012"));
        ASSERT_EQ(printer.asked.size(), 3);
        EXPECT_TRUE(printer.asked[0].endsWith(QStringLiteral("/ADDINS/DATABASE/KESTREL4.MDB")));
        EXPECT_TRUE(printer.asked[1].endsWith(QStringLiteral("/ADDINS/REPORT/kestrel.rpt")));
        EXPECT_EQ(printer.asked[2], kSelection);
        ASSERT_EQ(tree_.boxes.shown.size(), static_cast<size_t>(c.prompts.size()));
        for (qsizetype i = 0; i < c.prompts.size(); ++i)
            EXPECT_TRUE(tree_.boxes.shown[i].prompt.startsWith(c.prompts[i]))
                << tree_.boxes.shown[i].prompt.toStdString();
        EXPECT_EQ(tree_.opened, c.opened);
        if (!c.answer.isEmpty()) {
            EXPECT_FALSE(tree_.boxes.Last().title.has_value());
            EXPECT_EQ(tree_.boxes.Last().flags, 0);
        }
    }
}

// A standalone start writes the same report into the user's data folder
// and offers it; a report it cannot write is explained, nothing opened.
TEST_F(ReportTest, AStandaloneStartWritesTheReportItselfOrSaysWhyNot) {
    ASSERT_TRUE(tree_.OpenStartupDatabases());
    const QString data = services().dataFolder;
    const QString blocker = out_.filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(test::WriteFile(blocker, {}));
    const struct {
        const char* what;
        QString trunk;
        QString dataFolder;
        bool templateGone;
        bool openFails;
        const char* prompt;  // the start of the first box's prompt
        int boxes;
        bool written;
    } cases[] = {
        {"written and opened", QStringLiteral("012"), data, false, false,
         "The report has been written.\rFile: Trunk-", 1, true},
        {"written, no viewer", QStringLiteral("012"), data, false, true,
         "The report has been written.\rFile: Trunk-", 2, true},
        {"no data for the trunk", QStringLiteral("013"), data, false, false,
         "The report could not be written.\rThe working data hold nothing for trunk 013.", 1,
         false},
        {"no template", QStringLiteral("012"), data, true, false,
         "The report could not be written.\rThe report template ", 1, false},
        {"no folder", QStringLiteral("012"), blocker, false, false,
         "The report could not be written.\rThe folder ", 1, false},
    };
    g_Standalone = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tree_.boxes.Clear();
        tree_.opened.clear();
        tree_.openSucceeds = !c.openFails;
        services().dataFolder = c.dataFolder;
        if (c.templateGone) {
            ASSERT_TRUE(QFile::rename(template_, template_ + QStringLiteral(".gone")));
        }
        test::ScriptedHost nobody;
        PrintTrunkReport(&nobody, QStringLiteral("KESTREL.MDB"), c.trunk);
        if (c.templateGone) {
            ASSERT_TRUE(QFile::rename(template_ + QStringLiteral(".gone"), template_));
        }
        ASSERT_EQ(tree_.boxes.shown.size(), static_cast<size_t>(c.boxes));
        EXPECT_TRUE(tree_.boxes.shown[0].prompt.startsWith(QString::fromUtf8(c.prompt)))
            << tree_.boxes.shown[0].prompt.toStdString();
        const QStringList reports =
            QDir(c.dataFolder + QStringLiteral("/Reports")).entryList({QStringLiteral("*.pdf")});
        EXPECT_EQ(tree_.opened.size(), c.written ? 1 : 0);
        if (c.written) {
            ASSERT_EQ(reports.size(), 1);
            EXPECT_TRUE(tree_.opened[0].endsWith(reports[0]));
            EXPECT_TRUE(tree_.boxes.shown[0].prompt.contains(reports[0]));
            EXPECT_TRUE(QFile::remove(tree_.opened[0]));
        } else {
            EXPECT_TRUE(reports.isEmpty());
        }
        if (c.openFails) {
            EXPECT_TRUE(
                tree_.boxes.shown[1].prompt.contains(QStringLiteral("could not be opened")));
        }
    }
    g_Standalone = false;
}

}  // namespace
}  // namespace kestrel
