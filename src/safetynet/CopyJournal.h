#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "JournalSummary.h"

namespace kestrel {

class Database;

// What became of one cell (destination trunk x item) of a preview, copy or undo.
// Pending: sent to the exchange, its answer not yet in; it may have been written.
enum class CellOutcome {
    Written,
    Unchanged,
    Refused,
    Failed,
    NotVerified,
    Undone,
    Skipped,
    Pending
};

// "written", "unchanged", "refused", "failed", "not verified", "undone", "skipped",
// "pending": the names the journal stores and the CSV shows, whatever the language.
QString OutcomeName(CellOutcome outcome);

// The old value recorded for an item the exchange held as not set: no
// write can put that back.
inline const QString kNotSetValue = QStringLiteral("not set");

struct JournalCell {
    QString trunk;
    QString item;
    QString oldValue;
    QString newValue;
    CellOutcome outcome = CellOutcome::Written;
    QString detail;  // the exchange's text
};

// Who recorded an entry and where: the engineer's login and full name (empty
// where the system does not know it), the machine, and the start ("helm32"
// or "standalone").
struct JournalDesk {
    QString engineer;
    QString engineerName;
    QString machine;
    QString start;
};

// This process's desk: the login of LOGNAME or USER, else of the user it
// runs as; the full name from the user database.
JournalDesk ThisDesk();

struct JournalEntry {
    qint64 id = 0;  // this journal's number of the entry
    // The entry's own id wherever it is kept, made before its first write.
    QString uuid;
    JournalDesk desk;
    QString kind;  // "Preview", "Copy", "Undo"
    QDateTime time;
    QString exchange;
    QString sourceTrunk;
    QString destinationList;  // as typed
    // What the summary is made of; entries of journals before format 3 have
    // only `summary`, the text as it read when recorded.
    JournalSummary made;
    QString summary;
    qint64 undoOf = 0;  // the copy an undo undid
    // False from the moment a copy is recorded ahead of its first write until
    // its end is recorded: a copy that stays so was cut off (a kill, a host gone).
    bool finished = true;
    qint64 writer = 0;     // the process that records the entry while it is unfinished
    int mayBeWritten = 0;  // of an unfinished entry: cells written or sent unanswered

    // The summary in the language of the window: made again when it can be,
    // else as recorded.
    QString SummaryText() const { return made.IsEmpty() ? summary : made.Render(); }
};

// Every preview, copy and undo with the old and new value and the outcome of each
// cell, kept in a SQLite file of the user's own, so that a copy can be proved and
// undone after the window has gone.
class CopyJournal {
public:
    // The journal in the user's data folder (QStandardPaths::AppDataLocation,
    // "journal.db"), never the install tree.
    static QString DefaultPath();
    // Opens (making a missing file and its folder); nullptr with `error` set
    // when the file is corrupt, not a database, or locked.
    static std::unique_ptr<CopyJournal> Open(const QString& path, QString* error);
    ~CopyJournal();
    CopyJournal(const CopyJournal&) = delete;
    CopyJournal& operator=(const CopyJournal&) = delete;

    const QString& Path() const { return path_; }

    // One transaction, prepared statements: 32704 cells well under 200 ms. Returns
    // the new entry's id. An entry without a uuid is given a new one, one
    // without an engineer this process's desk. An error rolls everything
    // back and raises RunError.
    qint64 Record(const JournalEntry& entry, const QList<JournalCell>& cells);
    QList<JournalEntry> Entries(const QString& exchange = QString()) const;  // newest first

    // The entry written ahead: recorded unfinished, by this process, before
    // anything is sent; its cells' outcomes follow as answers come in
    // (matched by trunk and item), and Finish records the end and summary.
    qint64 BeginEntry(const JournalEntry& entry, const QList<JournalCell>& cells);
    void UpdateCells(qint64 id, const QList<JournalCell>& cells);
    // Every cell of `trunks` recorded `from` becomes `to`: one statement a
    // trunk, for the batches of the largest copies.
    void UpdateTrunks(qint64 id, const QStringList& trunks, CellOutcome from, CellOutcome to);
    void FinishEntry(qint64 id, const JournalSummary& summary, const QList<JournalCell>& cells);
    // Unfinished entries of the exchange whose writer has gone (another
    // instance's copy under way is not among them), newest first.
    QList<JournalEntry> Abandoned(const QString& exchange) const;
    // The newest copy or undo of any exchange (0 when none): a read made
    // before a newer one may no longer be what the trunks hold.
    qint64 LatestWrite() const;
    // Marks abandoned entries as named to the engineer, so they are named once.
    void MarkNamed(const QList<qint64>& ids);
    // The cells of one entry in the order recorded; none for an unknown id.
    QList<JournalCell> Cells(qint64 id) const;
    // The newest "Copy" of the exchange that no "Undo" has undone yet.
    std::optional<JournalEntry> LastCopy(const QString& exchange) const;
    // RFC 4180 CSV (UTF-8, CRLF, quotes doubled; header line) of one entry's cells
    // with the entry's fields on each row.
    static QByteArray ToCsv(const JournalEntry& entry, const QList<JournalCell>& cells);

private:
    CopyJournal(std::unique_ptr<Database> db, QString path);

    QList<JournalEntry> ReadEntries(const QString& where, const QString& exchange) const;
    qint64 Insert(const JournalEntry& entry, const QList<JournalCell>& cells, bool finished);
    void SetOutcomes(qint64 id, const QList<JournalCell>& cells);

    std::unique_ptr<Database> db_;
    QString path_;
};

}  // namespace kestrel
