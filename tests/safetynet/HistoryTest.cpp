#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

#include "ModelRows.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/MessageBoxes.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/JournalModels.h"
#include "safetynet/widgets/frmHistory.h"
#include "support/RuntimeTree.h"
#include "support/TableFiles.h"
#include "support/WaitFor.h"
#include "teamjournal/TeamJournal.h"

namespace kestrel {
namespace {

QStringList Column(const QAbstractItemModel* model, int column) {
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, column).data().toString();
    return out;
}

using test::Rows;

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree_.OpenStartupDatabases());
        journal_ = test::OpenJournal(dir_.filePath("journal.db"));
        ASSERT_TRUE(journal_);
        team_ = std::make_unique<TeamJournal>(journal_->Path(), TeamServer());
    }
    qint64 Add(const QString& kind, const QString& exchange, int minute,
               const QList<JournalCell>& cells, qint64 undoOf = 0,
               const JournalSummary& made = {}) {
        JournalEntry e;
        e.kind = kind;
        e.exchange = exchange;
        e.time = QDateTime(QDate(2026, 5, 4), QTime(10, minute));
        e.sourceTrunk = "004";
        e.destinationList = "5-6";
        e.summary = QStringLiteral("%1 at %2").arg(kind).arg(minute);
        e.undoOf = undoOf;
        e.made = made;
        return journal_->Record(e, cells);
    }
    // The dialog, its two models watched by Qt's model tester throughout.
    void Show(const QString& exchange) {
        dialog_ = std::make_unique<frmHistory>(*journal_, *team_, exchange);
        for (const char* table : {"tblEntries", "tblCells"}) {
            QAbstractItemModel* model = Table(table)->model();
            new QAbstractItemModelTester(
                model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
        }
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    QTableView* Table(const char* name) const {
        return dialog_->findChild<QTableView*>(QString::fromLatin1(name));
    }
    QPushButton* Button(const char* name) const {
        return dialog_->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // Clicks (or double-clicks) the middle of a row of the entry table.
    void ClickEntry(int row, bool twice) {
        QTableView* table = Table("tblEntries");
        const QRect cell = table->visualRect(table->model()->index(row, 1));
        ASSERT_TRUE(cell.isValid());
        // A double click reaches a view as a click followed by the double-click event.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        if (twice)
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QList<JournalCell> TwoCells() const {
        return {{"005", "3001", "1", "2, \"two\"", CellOutcome::Written, QString()},
                {"006", "3001", "2", "2", CellOutcome::Unchanged, "Straße 中"}};
    }

    test::RuntimeTree tree_;
    QTemporaryDir dir_;
    std::unique_ptr<CopyJournal> journal_;
    std::unique_ptr<TeamJournal> team_;
    std::unique_ptr<frmHistory> dialog_;
};

// The window's texts come from the language database, whole; a summary
// recorded in English reads in the language of the window.
TEST_F(HistoryTest, TextsComeFromTheLanguageDatabase) {
    Add("Copy", "PBX1", 1, TwoCells(), 0,
        JournalSummary().Text(41, {"3001", "2", "2"}).Line().Plain("  006 3001 (DATA ERROR)"));
    tree_.UseLanguage("DE");
    ASSERT_TRUE(tree_.OpenStartupDatabases());
    Show("PBX1");
    EXPECT_EQ(dialog_->windowTitle(), "Kopierverlauf");
    // The summary on one line in the table, whole above the cells once opened;
    // the engineer is this desk's, read elsewhere.
    const QAbstractItemModel* entries = Table("tblEntries")->model();
    EXPECT_EQ(Rows(entries, true),
              "Zeit|Techniker|Art|Anlage|Quellleitung|Zielleitungen|Zusammenfassung;"
              "2026-05-04 10:01:00|" +
                  Column(entries, JournalEntryModel::kEngineer).value(0) +
                  "|Kopie|PBX1|004|5-6|3001: 2 von 2 Leitungen · 006 3001 (DATA ERROR)");
    auto* whole = dialog_->findChild<QPlainTextEdit*>("txtSummary");
    ASSERT_TRUE(whole && dialog_->OpenEntry(0));
    EXPECT_EQ(whole->toPlainText(), "3001: 2 von 2 Leitungen\n  006 3001 (DATA ERROR)");
    EXPECT_TRUE(whole->isVisible());
}

// The exchange's entries, newest first; an entry opens by double click or by
// Open, never by being selected alone.
TEST_F(HistoryTest, ListsTheExchangesEntriesNewestFirstAndOpensOne) {
    Add("Preview", "PBX1", 1, {});
    const qint64 copy = Add("Copy", "PBX1", 3, TwoCells());
    Add("Copy", "PBX2", 4, TwoCells());
    const qint64 undo =
        Add("Undo", "PBX1", 2, {{"005", "3001", "2, \"two\"", "1", CellOutcome::Undone, QString()}},
            copy);
    Show("PBX1");
    const QAbstractItemModel* model = Table("tblEntries")->model();
    EXPECT_EQ(Column(model, JournalEntryModel::kSummary),
              (QStringList{"Copy at 3", "Undo at 2", "Preview at 1"}));
    const QAbstractItemModel* cells = Table("tblCells")->model();
    EXPECT_EQ(cells->rowCount(), 0);
    // The newest is chosen, ready to open; nothing is open to export yet.
    EXPECT_TRUE(Table("tblEntries")->selectionModel()->isRowSelected(0, {}));
    EXPECT_TRUE(Button("cmdOpen")->isEnabled());
    EXPECT_FALSE(Button("cmdExport")->isEnabled());

    ClickEntry(0, true);
    EXPECT_EQ(dialog_->OpenId(), copy);
    EXPECT_EQ(Rows(cells), "005|3001|1|2, \"two\"|written|;006|3001|2|2|unchanged|Straße 中");
    EXPECT_TRUE(Button("cmdExport")->isEnabled());

    ClickEntry(1, false);
    EXPECT_EQ(dialog_->OpenId(), copy);  // selecting alone opens nothing
    ASSERT_TRUE(Button("cmdOpen")->isEnabled());
    QTest::mouseClick(Button("cmdOpen"), Qt::LeftButton);
    EXPECT_EQ(dialog_->OpenId(), undo);
    EXPECT_EQ(Rows(cells), "005|3001|2, \"two\"|1|undone|");
}

// Export writes the open entry's CSV where the engineer chose; a cancelled
// choice writes and says nothing; a target that cannot be written is named
// in a box. An entry that cannot be read is said and opens nothing.
TEST_F(HistoryTest, ExportWritesTheOpenEntrysCsvOrSaysWhyNot) {
    const qint64 copy = Add("Copy", "PBX1", 1, TwoCells());
    Show("PBX1");
    ClickEntry(0, true);
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder"));
    const QString file = dir_.filePath("copy.csv");
    for (const QString& target : {file, QString(), dir_.filePath("folder")}) {
        SCOPED_TRACE(target.toStdString());
        tree_.boxes.Clear();
        int asked = 0;
        dialog_->chooseFile = [&] {
            ++asked;
            return target;
        };
        QTest::mouseClick(Button("cmdExport"), Qt::LeftButton);
        EXPECT_EQ(asked, 1);
        if (target == file) {
            EXPECT_EQ(test::ReadFile(target),
                      CopyJournal::ToCsv(journal_->Entries().first(), journal_->Cells(copy)));
            QFile::remove(target);
        }
        if (target == file || target.isEmpty()) {
            EXPECT_TRUE(tree_.boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(tree_.boxes.shown.size(), 1u);
        const MessageBoxRequest& box = tree_.boxes.Last();
        EXPECT_TRUE(box.prompt.contains(QDir::toNativeSeparators(target)))
            << box.prompt.toStdString();
        EXPECT_EQ(box.flags & mb::kIconMask, mb::kCritical);
    }
    EXPECT_FALSE(QFile::exists(file));  // nothing written by the cancelled choice
    EXPECT_TRUE(QFileInfo(dir_.filePath("folder")).isDir());

    // Another program wrote an outcome this build does not know: said, nothing opens.
    Database::Open(journal_->Path(), false)
        ->Execute("UPDATE JournalCells SET Outcome = 'exploded' WHERE Entry = ?", {copy});
    tree_.boxes.Clear();
    ClickEntry(0, true);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains("exploded"));
    EXPECT_EQ(dialog_->OpenId(), 0);
    EXPECT_EQ(Table("tblCells")->model()->rowCount(), 0);
    EXPECT_FALSE(Button("cmdExport")->isEnabled());
}

// Each filter narrows the entries shown: the exchange starts as the
// window's and empty means every one, "Me" is this desk's login, a typed
// trunk matches as the journal writes it, times count back from now.
TEST_F(HistoryTest, FiltersNarrowTheEntriesShown) {
    const QDateTime now = QDateTime::currentDateTime();
    const JournalDesk ann{"ann", "Ann Other", "desk2", "helm32"};
    auto record = [&](const char* summary, const char* kind, const char* exchange,
                      const char* trunk, const QDateTime& time, const JournalDesk& desk) {
        JournalEntry e;
        std::tie(e.desk, e.kind, e.exchange, e.time, e.summary) =
            std::tuple(desk, kind, exchange, time, summary);
        journal_->Record(e, {{trunk, "3001", "1", "2", CellOutcome::Written, QString()}});
    };
    // Today and within the hour whenever the test runs.
    record("a", "Copy", "PBX1", "021", std::max(now.addSecs(-120), now.date().startOfDay()),
           JournalDesk());
    record("b", "Preview", "PBX1", "005", now.addDays(-3), ann);
    record("c", "Undo", "PBX2", "021", now.addDays(-20), ann);
    record("d", "Copy", "PBX2", "005", now.addDays(-60), JournalDesk());
    Show("PBX1");
    auto* engineer = dialog_->findChild<QComboBox*>("cboEngineer");
    auto* exchange = dialog_->findChild<QLineEdit*>("txtExchange");
    auto* trunk = dialog_->findChild<QLineEdit*>("txtTrunk");
    auto* kind = dialog_->findChild<QComboBox*>("cboKind");
    auto* time = dialog_->findChild<QComboBox*>("cboTime");
    ASSERT_TRUE(engineer && exchange && trunk && kind && time);
    const QAbstractItemModel* model = Table("tblEntries")->model();
    EXPECT_EQ(Column(model, JournalEntryModel::kSummary), (QStringList{"a", "b"}));
    EXPECT_EQ(Column(model, JournalEntryModel::kEngineer).value(1), "ann (Ann Other)");

    struct Case {
        int engineer;  // Everyone, Me
        const char* exchange;
        const char* typed;  // keys typed into the trunk box
        int kind;           // every kind, Preview, Copy, Undo
        int time;           // any time, last hour, today, last 7 days, last 30 days
        const char* shown;
    };
    // clang-format off
    const Case cases[] = {
        {0, "", "", 0, 0, "a b c d"}, {1, "", "", 0, 0, "a d"}, {0, "", "2x1", 0, 0, "a c"},
        {0, "pbx2", "5", 0, 0, "d"},  {0, "", "", 2, 0, "a d"}, {0, "", "", 1, 0, "b"},
        {0, "", "", 0, 1, "a"},       {0, "", "", 0, 2, "a"},   {0, "", "", 0, 3, "a b"},
        {0, "", "", 0, 4, "a b c"},   {1, "PBX1", "21", 3, 0, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.engineer << " '" << c.exchange << "' '" << c.typed
                                          << "' " << c.kind << " " << c.time);
        engineer->setCurrentIndex(c.engineer);
        exchange->setText(QString::fromLatin1(c.exchange));
        trunk->clear();
        QTest::keyClicks(trunk, QString::fromLatin1(c.typed));
        kind->setCurrentIndex(c.kind);
        time->setCurrentIndex(c.time);
        const auto shown = [&] { return Column(model, JournalEntryModel::kSummary).join(u' '); };
        test::WaitFor([&] { return shown() == QString::fromLatin1(c.shown); });
        EXPECT_EQ(shown(), c.shown);
    }
}

// With a server set, what this desk has not sent yet is marked; a server
// nobody answers at is said above the entries, which are this computer's.
// An entry that arrives keeps the open one open and chosen.
TEST_F(HistoryTest, WaitingEntriesAreMarkedAndAServerNotReachedIsSaid) {
    const qint64 copy = Add("Copy", "PBX1", 1, TwoCells());
    TeamServer server;
    server.host = "127.0.0.1";
    server.port = 1;  // nobody listens there
    team_ = std::make_unique<TeamJournal>(journal_->Path(), server);
    ASSERT_TRUE(test::WaitFor([&] { return team_->Problem() == TeamProblem::Unreachable; }));
    Show("PBX1");
    const QAbstractItemModel* model = Table("tblEntries")->model();
    EXPECT_EQ(Column(model, JournalEntryModel::kSummary),
              QStringList{QStringLiteral("(%1) Copy at 1").arg(Msg(91))});
    auto* problem = dialog_->findChild<QLabel*>("lblTeamProblem");
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().startsWith(
        QStringLiteral("The team journal server %1 cannot be reached").arg(server.Name())));
    EXPECT_TRUE(problem->text().endsWith(u' ' + Msg(98)));

    ASSERT_TRUE(dialog_->OpenEntry(0));
    Add("Preview", "PBX1", 2, {});
    emit team_->EntriesArrived();
    ASSERT_TRUE(test::WaitFor([&] { return model->rowCount() == 2; }));
    EXPECT_EQ(dialog_->OpenId(), copy);
    EXPECT_TRUE(Table("tblEntries")->selectionModel()->isRowSelected(1, {}));
}

}  // namespace
}  // namespace kestrel
