#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
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
// The outcome of a stored name; an unknown name raises RunError.
CellOutcome OutcomeFromName(const QString& name);

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

// Which entries History shows; an empty text or invalid time lets every
// entry through on that field.
struct JournalFilter {
    QString exchange = {};  // without regard to case
    QString engineer = {};  // a login
    QString trunk = {};     // entries with a cell of this trunk
    QString kind = {};      // "Preview", "Copy", "Undo"
    QDateTime from = {};
    QDateTime to = {};
};

// The fields a filter sets, in this order, each with the value it compares
// with (times as milliseconds since the epoch): each journal words them in
// its own SQL.
enum class FilterField { Exchange, Engineer, Kind, From, To, Trunk };
QList<std::pair<FilterField, QVariant>> SetFields(const JournalFilter& filter);

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
    qint64 undoOf = 0;   // the copy an undo undid
    QString undoOfUuid;  // and its own id
    // False from the moment a copy is recorded ahead of its first write until
    // its end is recorded: a copy that stays so was cut off (a kill, a host gone).
    bool finished = true;
    qint64 writer = 0;     // the process that records the entry while it is unfinished
    int mayBeWritten = 0;  // of an unfinished entry: cells written or sent unanswered
    // Recorded at this desk and not yet on the team's server.
    bool waiting = false;

    // The summary in the language of the window: made again when it can be,
    // else as recorded.
    QString SummaryText() const { return made.IsEmpty() ? summary : made.Render(); }
};

// The newest copy or undo that wrote a trunk: who, when, which entry.
struct LastChange {
    JournalDesk desk;
    QDateTime time;
    QString kind;
    QString uuid;
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
    // Called after an entry is recorded or ended (the team's sender wakes).
    std::function<void()> onRecorded;

    // One transaction, prepared statements: 32704 cells well under 200 ms. Returns
    // the new entry's id. An entry without a uuid is given a new one, one
    // without an engineer this process's desk. An error rolls everything
    // back and raises RunError.
    qint64 Record(const JournalEntry& entry, const QList<JournalCell>& cells);
    QList<JournalEntry> Entries(const QString& exchange = QString()) const;  // newest first
    QList<JournalEntry> Entries(const JournalFilter& filter) const;
    // A colleague's entry taken from the team's server, kept as it was
    // recorded (its id, desk and time) and not sent back; an entry already
    // here keeps its number. Returns the number.
    qint64 Receive(const JournalEntry& entry, const QList<JournalCell>& cells);
    // This journal's number of the entry with that id; 0 when it holds none.
    qint64 IdOf(const QString& uuid) const;

    // What waits to go to the team's server, oldest first: ended and
    // abandoned entries, up to the first one a running copy still writes,
    // so that the server receives them in the order they were made.
    QList<JournalEntry> Outbox(int limit) const;
    // By trunk of `trunks`, the newest entry of the exchange that wrote it
    // (or may have); a trunk no entry wrote is absent.
    QHash<QString, LastChange> LastChanges(const QString& exchange,
                                           const QStringList& trunks) const;
    void MarkSent(qint64 id);
    int WaitingCount() const;

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

    QList<JournalEntry> ReadEntries(const QString& where, const QVariantList& values,
                                    const QString& order = QString()) const;
    enum class Kept { Unfinished, Finished, Received };
    qint64 Insert(const JournalEntry& entry, const QList<JournalCell>& cells, Kept kept);
    void SetOutcomes(qint64 id, const QList<JournalCell>& cells);

    std::unique_ptr<Database> db_;
    QString path_;
};

}  // namespace kestrel
