#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace kestrel {

class Database;

// What became of one cell (destination trunk x item) of a preview, copy or undo.
enum class CellOutcome { Written, Unchanged, Refused, Failed, NotVerified, Undone, Skipped };

// "written", "unchanged", "refused", "failed", "not verified", "undone", "skipped": the
// names the journal stores and the CSV shows, whatever the language.
QString OutcomeName(CellOutcome outcome);

struct JournalCell {
    QString trunk;
    QString item;
    QString oldValue;
    QString newValue;
    CellOutcome outcome = CellOutcome::Written;
    QString detail;  // the exchange's text
};

struct JournalEntry {
    qint64 id = 0;
    QString kind;  // "Preview", "Copy", "Undo"
    QDateTime time;
    QString exchange;
    QString sourceTrunk;
    QString destinationList;  // as typed
    QString summary;
    qint64 undoOf = 0;  // the copy an undo undid
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
    // the new entry's id. An error rolls everything back and raises RunError.
    qint64 Record(const JournalEntry& entry, const QList<JournalCell>& cells);
    QList<JournalEntry> Entries(const QString& exchange = QString()) const;  // newest first
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

    std::unique_ptr<Database> db_;
    QString path_;
};

}  // namespace kestrel
