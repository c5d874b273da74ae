#include "CopyJournal.h"

#include "platform/Services.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSysInfo>
#include <QUuid>
#include <array>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include "platform/Database.h"
#include "platform/RunError.h"
#include "platform/Statement.h"
#include "startup/Globals.h"

namespace kestrel {

namespace {

// The command name and state letter /proc gives for a process ("" when it
// has gone).
std::pair<QByteArray, char> ProcessNameAndState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
    if (open < 0 || close < open || close + 2 >= line.size())
        return {};
    return {line.mid(open + 1, close - open - 1), line.at(close + 2)};
}

// A writer still runs when its process is there, is no zombie waiting to be
// reaped, and is a programme like this one (a number taken again by
// another programme does not keep a cut-off copy unnamed).
bool WriterRuns(qint64 pid) {
    if (pid <= 0)
        return false;
    if (pid == getpid())
        return true;
    if (kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    const auto [name, state] = ProcessNameAndState(pid);
    static const QByteArray ownName = ProcessNameAndState(getpid()).first;
    return state != 'Z' && state != 'X' && name == ownName;
}

// The layout this build writes; a file stamped higher came from a newer build.
constexpr int kFormat = 5;
constexpr int kInvalidArgument = 5;

constexpr std::array<CellOutcome, 8> kOutcomes = {
    CellOutcome::Written,     CellOutcome::Unchanged, CellOutcome::Refused, CellOutcome::Failed,
    CellOutcome::NotVerified, CellOutcome::Undone,    CellOutcome::Skipped, CellOutcome::Pending};

// An entry's State: recorded ahead and not yet ended; ended; or never ended
// (its writer went away) and named to the engineer once.
constexpr int kUnfinished = 0;
constexpr int kFinished = 1;
constexpr int kUnfinishedNamed = 2;

const QStringList kKinds = {QStringLiteral("Preview"), QStringLiteral("Copy"),
                            QStringLiteral("Undo")};

// Time is kept as UTC milliseconds, so entries sort the same whatever the zone.
const QString kSchema[] = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS JournalEntries ("
                   "ID INTEGER PRIMARY KEY, Kind TEXT NOT NULL, Time INTEGER NOT NULL, "
                   "Exchange TEXT NOT NULL, SourceTrunk TEXT NOT NULL, "
                   "DestinationList TEXT NOT NULL, Summary TEXT NOT NULL, "
                   "UndoOf INTEGER NOT NULL DEFAULT 0)"),
    // Cells keep the order recorded through their rowid.
    QStringLiteral("CREATE TABLE IF NOT EXISTS JournalCells ("
                   "Entry INTEGER NOT NULL, Trunk TEXT NOT NULL, Item TEXT NOT NULL, "
                   "OldValue TEXT NOT NULL, NewValue TEXT NOT NULL, Outcome TEXT NOT NULL, "
                   "Detail TEXT NOT NULL)"),
};

// What each format adds to the one before it, from format 1 on.
const QStringList kMigrations[] = {
    {QStringLiteral("CREATE INDEX IF NOT EXISTS JournalCellsByEntry ON JournalCells (Entry)")},
    // Format 2: entries written ahead of the copy; their cells found by trunk
    // and item as answers come in.
    {QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN State INTEGER NOT NULL DEFAULT 1"),
     QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Writer INTEGER NOT NULL DEFAULT 0"),
     QStringLiteral("DROP INDEX IF EXISTS JournalCellsByEntry"),
     QStringLiteral("CREATE INDEX JournalCellsByCell ON JournalCells (Entry, Trunk, Item)")},
    // Format 3: what each summary is made of, so that it is written in the
    // language of whoever reads it; older entries keep only their text.
    {QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN SummaryParts TEXT NOT NULL DEFAULT ''")},
    // Format 4: each entry's own id and its desk, so that a team's record can
    // hold it once and say who made it; older entries get ids when carried
    // over (MakeMissingIds) and an empty desk.
    {QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Uuid TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Engineer TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN EngineerName TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Machine TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Start TEXT NOT NULL DEFAULT ''")},
    // Format 5: whether the team's server holds the entry (1), so that what
    // waits is sent once, in order; older entries wait.
    {QStringLiteral("ALTER TABLE JournalEntries ADD COLUMN Sent INTEGER NOT NULL DEFAULT 0")},
};

const QString kEntryColumns = QStringLiteral(
    "SELECT ID, Kind, Time, Exchange, SourceTrunk, DestinationList, Summary, UndoOf, State, "
    "Writer, CASE WHEN State = 1 THEN 0 ELSE (SELECT COUNT(*) FROM JournalCells c WHERE "
    "c.Entry = e.ID AND c.Outcome IN ('written', 'pending', 'not verified')) END, "
    "SummaryParts, Uuid, Engineer, EngineerName, Machine, Start, Sent, "
    "(SELECT u.Uuid FROM JournalEntries u WHERE u.ID = e.UndoOf) FROM JournalEntries e");
const QString kNewestFirst = QStringLiteral(" ORDER BY Time DESC, ID DESC");
const QString kInsertEntry = QStringLiteral(
    "INSERT INTO JournalEntries (Kind, Time, Exchange, SourceTrunk, DestinationList, Summary, "
    "UndoOf, State, Writer, SummaryParts, Uuid, Engineer, EngineerName, Machine, Start, Sent) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString kUpdateCell = QStringLiteral(
    "UPDATE JournalCells SET Outcome = ?, Detail = ?, OldValue = ? "
    "WHERE Entry = ? AND Trunk = ? AND Item = ?");
const QString kInsertCell = QStringLiteral(
    "INSERT INTO JournalCells (Entry, Trunk, Item, OldValue, NewValue, Outcome, Detail) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)");
const QString kSelectCells = QStringLiteral(
    "SELECT Trunk, Item, OldValue, NewValue, Outcome, Detail FROM JournalCells "
    "WHERE Entry = ? ORDER BY rowid");
// Exchange names compare without regard to case, as every key of the tool does.
const QString kOfExchange = QStringLiteral(" WHERE Exchange = ? COLLATE KESTREL_NOCASE");
const QString kNotUndone = QStringLiteral(
    " AND Kind = 'Copy' AND NOT EXISTS (SELECT 1 FROM JournalEntries u "
    "WHERE u.Kind = 'Undo' AND u.UndoOf = e.ID)");

void Run(Database& db, const QString& sql) {
    Statement(db, sql).Run();
}

QString NewUuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Entries carried over from before format 4 get their own ids, then no two
// entries may share one.
void MakeMissingIds(Database& db) {
    QList<qint64> ids;
    for (Statement missing(db, QStringLiteral("SELECT ID FROM JournalEntries WHERE Uuid = ''"));
         missing.Step();)
        ids << missing.Column(0).toLongLong();
    Statement give(db, QStringLiteral("UPDATE JournalEntries SET Uuid = ? WHERE ID = ?"));
    for (qint64 id : ids) {
        give.BindAll({NewUuid(), id});
        give.Run();
    }
    Run(db, QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS JournalEntriesByUuid ON "
                           "JournalEntries (Uuid)"));
}

// Makes the tables of a new file; checks that an existing one is a journal this
// build can read by preparing every statement it will run.
void PrepareFile(Database& db) {
    Statement version(db, QStringLiteral("PRAGMA user_version"));
    version.Step();
    const int format = version.Column(0).toInt();
    version.Reset();
    if (format > kFormat) {
        throw RunError(err::kUnrecognizedFormat,
                       QStringLiteral("The file was written by a newer version of Kestrel "
                                      "(journal format %1, this version reads %2).")
                           .arg(format)
                           .arg(kFormat));
    }
    if (format < kFormat) {
        Run(db, QStringLiteral("BEGIN IMMEDIATE"));
        try {
            for (const QString& sql : kSchema)
                Run(db, sql);
            for (int f = std::max(format, 0); f < kFormat; ++f) {
                for (const QString& sql : kMigrations[f])
                    Run(db, sql);
            }
            MakeMissingIds(db);
            Run(db, QStringLiteral("PRAGMA user_version = %1").arg(kFormat));
            Run(db, QStringLiteral("COMMIT"));
        } catch (...) {
            db.Rollback();
            throw;
        }
    }
    for (const QString& sql : {kEntryColumns, kInsertEntry, kInsertCell, kSelectCells, kUpdateCell})
        Statement(db, sql);
}

QString Describe(const RunError& e) {
    return QStringLiteral("%1 [%2]").arg(e.Description()).arg(e.Number());
}

QString CsvField(const QString& text) {
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (QChar c : text) {
        if (kSpecial.contains(c)) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

void AppendCsvLine(QString& out, const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += u',';
        out += CsvField(fields.at(i));
    }
    out += QStringLiteral("\r\n");
}

}  // namespace

JournalDesk ThisDesk() {
    static const JournalDesk person = [] {
        JournalDesk desk;
        for (const char* variable : {"LOGNAME", "USER"}) {
            if (desk.engineer.isEmpty())
                desk.engineer = qEnvironmentVariable(variable).trimmed();
        }
        const passwd* entry = desk.engineer.isEmpty()
                                  ? getpwuid(getuid())
                                  : getpwnam(desk.engineer.toLocal8Bit().constData());
        if (entry) {
            if (desk.engineer.isEmpty())
                desk.engineer = QString::fromLocal8Bit(entry->pw_name);
            // The first field of the comment is the full name; the others
            // (room, telephones) are not.
            desk.engineerName =
                QString::fromLocal8Bit(entry->pw_gecos).section(u',', 0, 0).trimmed();
        }
        desk.machine = QSysInfo::machineHostName();
        return desk;
    }();
    JournalDesk desk = person;
    desk.start = g_Standalone ? QStringLiteral("standalone") : QStringLiteral("helm32");
    return desk;
}

CellOutcome OutcomeFromName(const QString& name) {
    for (CellOutcome outcome : kOutcomes) {
        if (OutcomeName(outcome) == name)
            return outcome;
    }
    throw RunError(
        err::kTypeMismatch,
        QStringLiteral("Type mismatch (cell outcome '%1' in the copy journal)").arg(name));
}

QString OutcomeName(CellOutcome outcome) {
    switch (outcome) {
        case CellOutcome::Written:
            return QStringLiteral("written");
        case CellOutcome::Unchanged:
            return QStringLiteral("unchanged");
        case CellOutcome::Refused:
            return QStringLiteral("refused");
        case CellOutcome::Failed:
            return QStringLiteral("failed");
        case CellOutcome::NotVerified:
            return QStringLiteral("not verified");
        case CellOutcome::Undone:
            return QStringLiteral("undone");
        case CellOutcome::Skipped:
            return QStringLiteral("skipped");
        case CellOutcome::Pending:
            return QStringLiteral("pending");
    }
    return QString();
}

CopyJournal::CopyJournal(std::unique_ptr<Database> db, QString path)
    : db_(std::move(db)), path_(std::move(path)) {}

CopyJournal::~CopyJournal() = default;

QString CopyJournal::DefaultPath() {
    const QString folder = DataFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("journal.db"));
}

std::unique_ptr<CopyJournal> CopyJournal::Open(const QString& path, QString* error) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return nullptr;
    };
    if (path.isEmpty())
        return fail(
            QStringLiteral("The copy journal has no place: the user's data folder is "
                           "not known."));
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("The copy journal '%1' is a folder, not a file.").arg(path));
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath())) {
            return fail(QStringLiteral("The copy journal '%1' cannot be made: its folder '%2' "
                                       "cannot be created.")
                            .arg(path, info.absolutePath()));
        }
        // An empty file is an empty database. NewOnly leaves a file another
        // instance has just made as it is.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !file.exists()) {
            return fail(QStringLiteral("The copy journal '%1' cannot be made: %2")
                            .arg(path, file.errorString()));
        }
    }
    try {
        std::unique_ptr<Database> db = Database::Open(path, false);
        if (sqlite3_db_readonly(db->Handle(), "main") == 1) {
            return fail(QStringLiteral("The copy journal '%1' is read-only; Kestrel needs to "
                                       "write to it.")
                            .arg(path));
        }
        PrepareFile(*db);
        return std::unique_ptr<CopyJournal>(new CopyJournal(std::move(db), path));
    } catch (const RunError& e) {
        switch (e.Number()) {
            case err::kCouldNotLockTable:
                return fail(QStringLiteral("The copy journal '%1' is locked by another program. "
                                           "Close it and try again. (%2)")
                                .arg(path, Describe(e)));
            case err::kUnrecognizedFormat:
            case err::kTableNotFound:
            case err::kTooFewParameters:
                return fail(
                    QStringLiteral("The copy journal '%1' is damaged or is not a copy journal. "
                                   "(%2)")
                        .arg(path, Describe(e)));
            default:
                return fail(QStringLiteral("The copy journal '%1' cannot be opened. (%2)")
                                .arg(path, Describe(e)));
        }
    }
}

qint64 CopyJournal::Record(const JournalEntry& entry, const QList<JournalCell>& cells) {
    return Insert(entry, cells, Kept::Finished);
}

qint64 CopyJournal::BeginEntry(const JournalEntry& entry, const QList<JournalCell>& cells) {
    return Insert(entry, cells, Kept::Unfinished);
}

qint64 CopyJournal::IdOf(const QString& uuid) const {
    Statement known(*db_, QStringLiteral("SELECT ID FROM JournalEntries WHERE Uuid = ?"));
    known.Bind(1, uuid);
    return known.Step() ? known.Column(0).toLongLong() : 0;
}

qint64 CopyJournal::Receive(const JournalEntry& entry, const QList<JournalCell>& cells) {
    if (const qint64 known = IdOf(entry.uuid))
        return known;
    JournalEntry kept = entry;
    kept.undoOf = entry.undoOfUuid.isEmpty() ? 0 : IdOf(entry.undoOfUuid);
    return Insert(kept, cells, Kept::Received);
}

qint64 CopyJournal::Insert(const JournalEntry& entry, const QList<JournalCell>& cells, Kept kept) {
    const bool finished = kept == Kept::Finished || (kept == Kept::Received && entry.finished);
    // A colleague's unfinished copy is not this desk's to name as cut off.
    const int state =
        finished ? kFinished : (kept == Kept::Received ? kUnfinishedNamed : kUnfinished);
    if (!kKinds.contains(entry.kind)) {
        throw RunError(kInvalidArgument,
                       QStringLiteral("Invalid procedure call or argument (journal entry kind "
                                      "'%1'; expected Preview, Copy or Undo)")
                           .arg(entry.kind));
    }
    // An entry without a time is stamped when it is recorded.
    const QDateTime time = entry.time.isValid() ? entry.time : QDateTime::currentDateTime();
    // Taking the write lock first: a second instance waits here, not halfway through.
    Run(*db_, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        if (entry.undoOf != 0) {
            Statement undone(*db_, QStringLiteral("SELECT 1 FROM JournalEntries "
                                                  "WHERE ID = ? AND Kind = 'Copy'"));
            undone.Bind(1, entry.undoOf);
            if (!undone.Step()) {
                throw RunError(err::kNoCurrentRecord,
                               QStringLiteral("No current record (the journal holds no copy %1 "
                                              "for this undo)")
                                   .arg(entry.undoOf));
            }
        }
        const JournalDesk desk = entry.desk.engineer.isEmpty() ? ThisDesk() : entry.desk;
        Statement insertEntry(*db_, kInsertEntry);
        insertEntry.BindAll(
            {entry.kind, time.toMSecsSinceEpoch(), entry.exchange, entry.sourceTrunk,
             entry.destinationList, entry.SummaryText(), entry.undoOf, state,
             state == kUnfinished ? qint64(getpid()) : qint64(0), entry.made.Encode(),
             entry.uuid.isEmpty() ? NewUuid() : entry.uuid, desk.engineer, desk.engineerName,
             desk.machine, desk.start, kept == Kept::Received ? 1 : 0});
        insertEntry.Run();
        const qint64 id = sqlite3_last_insert_rowid(db_->Handle());

        Statement insertCell(*db_, kInsertCell);
        for (const JournalCell& cell : cells) {
            insertCell.BindAll({id, cell.trunk, cell.item, cell.oldValue, cell.newValue,
                                OutcomeName(cell.outcome), cell.detail});
            insertCell.Run();
        }
        Run(*db_, QStringLiteral("COMMIT"));
        if (onRecorded)
            onRecorded();
        return id;
    } catch (...) {
        db_->Rollback();
        throw;
    }
}

void CopyJournal::SetOutcomes(qint64 id, const QList<JournalCell>& cells) {
    Statement update(*db_, kUpdateCell);
    for (const JournalCell& cell : cells) {
        update.BindAll(
            {OutcomeName(cell.outcome), cell.detail, cell.oldValue, id, cell.trunk, cell.item});
        update.Run();
    }
}

void CopyJournal::UpdateCells(qint64 id, const QList<JournalCell>& cells) {
    Run(*db_, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        SetOutcomes(id, cells);
        Run(*db_, QStringLiteral("COMMIT"));
    } catch (...) {
        db_->Rollback();
        throw;
    }
}

void CopyJournal::UpdateTrunks(qint64 id, const QStringList& trunks, CellOutcome from,
                               CellOutcome to) {
    Run(*db_, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        Statement update(*db_, QStringLiteral("UPDATE JournalCells SET Outcome = ? WHERE Entry = ? "
                                              "AND Trunk = ? AND Outcome = ?"));
        for (const QString& trunk : trunks) {
            update.BindAll({OutcomeName(to), id, trunk, OutcomeName(from)});
            update.Run();
        }
        Run(*db_, QStringLiteral("COMMIT"));
    } catch (...) {
        db_->Rollback();
        throw;
    }
}

void CopyJournal::FinishEntry(qint64 id, const JournalSummary& summary,
                              const QList<JournalCell>& cells) {
    Run(*db_, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        SetOutcomes(id, cells);
        Statement finish(*db_, QStringLiteral("UPDATE JournalEntries SET State = ?, Summary = ?, "
                                              "SummaryParts = ?, Writer = 0 WHERE ID = ?"));
        finish.BindAll({kFinished, summary.Render(), summary.Encode(), id});
        finish.Run();
        Run(*db_, QStringLiteral("COMMIT"));
        if (onRecorded)
            onRecorded();
    } catch (...) {
        db_->Rollback();
        throw;
    }
}

QList<JournalEntry> CopyJournal::Abandoned(const QString& exchange) const {
    QList<JournalEntry> abandoned;
    for (const JournalEntry& e :
         ReadEntries(kOfExchange + QStringLiteral(" AND State = 0"), {exchange})) {
        // A writer that still runs (another window's copy under way) has
        // not abandoned its entry.
        if (!WriterRuns(e.writer))
            abandoned.append(e);
    }
    return abandoned;
}

qint64 CopyJournal::LatestWrite() const {
    Statement latest(*db_, QStringLiteral("SELECT MAX(ID) FROM JournalEntries WHERE Kind <> "
                                          "'Preview'"));
    return latest.Step() ? latest.Column(0).toLongLong() : 0;
}

void CopyJournal::MarkNamed(const QList<qint64>& ids) {
    Statement mark(*db_, QStringLiteral("UPDATE JournalEntries SET State = ? WHERE ID = ? AND "
                                        "State = ?"));
    for (qint64 id : ids) {
        mark.BindAll({kUnfinishedNamed, id, kUnfinished});
        mark.Run();
    }
}

QList<JournalEntry> CopyJournal::Outbox(int limit) const {
    QList<JournalEntry> ready;
    for (const JournalEntry& e : ReadEntries(QStringLiteral(" WHERE Sent = 0"), {},
                                             QStringLiteral(" ORDER BY ID LIMIT %1").arg(limit))) {
        if (!e.finished && WriterRuns(e.writer))
            break;
        ready.append(e);
    }
    return ready;
}

void CopyJournal::MarkSent(qint64 id) {
    Statement mark(*db_, QStringLiteral("UPDATE JournalEntries SET Sent = 1 WHERE ID = ?"));
    mark.Bind(1, id);
    mark.Run();
}

QHash<QString, LastChange> CopyJournal::LastChanges(const QString& exchange,
                                                    const QStringList& trunks) const {
    // Newest entry first, each read by its own index, until every trunk is
    // named: one pass, not a search of every cell per trunk.
    Statement entries(
        *db_, QStringLiteral("SELECT ID, Engineer, EngineerName, Machine, Start, Time, Kind, "
                             "Uuid FROM JournalEntries WHERE Exchange = ? COLLATE "
                             "KESTREL_NOCASE AND Kind <> 'Preview' ORDER BY Time DESC, ID DESC"));
    Statement wrote(*db_, QStringLiteral("SELECT DISTINCT Trunk FROM JournalCells WHERE Entry = ? "
                                         "AND Outcome IN ('written', 'pending', 'not verified', "
                                         "'undone')"));
    QSet<QString> unnamed(trunks.begin(), trunks.end());
    QHash<QString, LastChange> changes;
    entries.Bind(1, exchange);
    while (!unnamed.isEmpty() && entries.Step()) {
        wrote.Bind(1, entries.Column(0));
        while (wrote.Step()) {
            const QString trunk = TextOf(wrote.Column(0));
            if (unnamed.remove(trunk)) {
                changes.insert(trunk,
                               {{TextOf(entries.Column(1)), TextOf(entries.Column(2)),
                                 TextOf(entries.Column(3)), TextOf(entries.Column(4))},
                                QDateTime::fromMSecsSinceEpoch(entries.Column(5).toLongLong()),
                                TextOf(entries.Column(6)),
                                TextOf(entries.Column(7))});
            }
        }
        wrote.Reset();
    }
    return changes;
}

int CopyJournal::WaitingCount() const {
    Statement count(*db_, QStringLiteral("SELECT COUNT(*) FROM JournalEntries WHERE Sent = 0"));
    return count.Step() ? count.Column(0).toInt() : 0;
}

QList<std::pair<FilterField, QVariant>> SetFields(const JournalFilter& filter) {
    QList<std::pair<FilterField, QVariant>> fields;
    auto add = [&](bool set, FilterField field, const QVariant& value) {
        if (set)
            fields.append({field, value});
    };
    add(!filter.exchange.isEmpty(), FilterField::Exchange, filter.exchange);
    add(!filter.engineer.isEmpty(), FilterField::Engineer, filter.engineer);
    add(!filter.kind.isEmpty(), FilterField::Kind, filter.kind);
    add(filter.from.isValid(), FilterField::From, filter.from.toMSecsSinceEpoch());
    add(filter.to.isValid(), FilterField::To, filter.to.toMSecsSinceEpoch());
    add(!filter.trunk.isEmpty(), FilterField::Trunk, filter.trunk);
    return fields;
}

QList<JournalEntry> CopyJournal::Entries(const JournalFilter& filter) const {
    static const QHash<FilterField, QString> kTerms = {
        {FilterField::Exchange, QStringLiteral("Exchange = ? COLLATE KESTREL_NOCASE")},
        {FilterField::Engineer, QStringLiteral("Engineer = ?")},
        {FilterField::Kind, QStringLiteral("Kind = ?")},
        {FilterField::From, QStringLiteral("Time >= ?")},
        {FilterField::To, QStringLiteral("Time <= ?")},
        {FilterField::Trunk, QStringLiteral("EXISTS (SELECT 1 FROM JournalCells c WHERE "
                                            "c.Entry = e.ID AND c.Trunk = ?)")}};
    QStringList terms;
    QVariantList values;
    for (const auto& [field, value] : SetFields(filter)) {
        terms << kTerms.value(field);
        values << value;
    }
    return ReadEntries(terms.isEmpty()
                           ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND ")),
                       values);
}

QList<JournalEntry> CopyJournal::ReadEntries(const QString& where, const QVariantList& values,
                                             const QString& order) const {
    Statement select(*db_, kEntryColumns + where + (order.isEmpty() ? kNewestFirst : order));
    select.BindAll(values);
    QList<JournalEntry> entries;
    while (select.Step()) {
        JournalEntry e;
        e.id = select.Column(0).toLongLong();
        e.kind = TextOf(select.Column(1));
        e.time = QDateTime::fromMSecsSinceEpoch(select.Column(2).toLongLong());
        e.exchange = TextOf(select.Column(3));
        e.sourceTrunk = TextOf(select.Column(4));
        e.destinationList = TextOf(select.Column(5));
        e.summary = TextOf(select.Column(6));
        e.undoOf = select.Column(7).toLongLong();
        e.finished = select.Column(8).toInt() == kFinished;
        e.writer = select.Column(9).toLongLong();
        e.mayBeWritten = select.Column(10).toInt();
        e.made = JournalSummary::Decode(TextOf(select.Column(11)));
        e.uuid = TextOf(select.Column(12));
        e.desk = {TextOf(select.Column(13)), TextOf(select.Column(14)), TextOf(select.Column(15)),
                  TextOf(select.Column(16))};
        e.waiting = select.Column(17).toInt() == 0;
        e.undoOfUuid = TextOf(select.Column(18));
        entries.append(e);
    }
    return entries;
}

QList<JournalEntry> CopyJournal::Entries(const QString& exchange) const {
    return exchange.isEmpty() ? ReadEntries(QString(), {}) : ReadEntries(kOfExchange, {exchange});
}

QList<JournalCell> CopyJournal::Cells(qint64 id) const {
    Statement select(*db_, kSelectCells);
    select.Bind(1, id);
    QList<JournalCell> cells;
    while (select.Step()) {
        JournalCell c;
        c.trunk = TextOf(select.Column(0));
        c.item = TextOf(select.Column(1));
        c.oldValue = TextOf(select.Column(2));
        c.newValue = TextOf(select.Column(3));
        c.outcome = OutcomeFromName(TextOf(select.Column(4)));
        c.detail = TextOf(select.Column(5));
        cells.append(c);
    }
    return cells;
}

std::optional<JournalEntry> CopyJournal::LastCopy(const QString& exchange) const {
    const QList<JournalEntry> copies = ReadEntries(kOfExchange + kNotUndone, {exchange});
    if (copies.isEmpty())
        return std::nullopt;
    return copies.first();
}

QByteArray CopyJournal::ToCsv(const JournalEntry& entry, const QList<JournalCell>& cells) {
    // UTF-8 without a byte-order mark: RFC 4180 readers and spreadsheets told the
    // encoding take it as it is, and the mark would otherwise stick to the first head.
    QString out;
    AppendCsvLine(
        out, {QStringLiteral("Time"), QStringLiteral("Kind"), QStringLiteral("Exchange"),
              QStringLiteral("Source trunk"), QStringLiteral("Destinations"),
              QStringLiteral("Trunk"), QStringLiteral("Item"), QStringLiteral("Old value"),
              QStringLiteral("New value"), QStringLiteral("Outcome"), QStringLiteral("Detail")});
    // Local time with its offset from UTC, so the file says when it happened anywhere.
    const QDateTime local = entry.time.toLocalTime();
    const QString time = entry.time.isValid()
                             ? local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate)
                             : QString();
    for (const JournalCell& cell : cells) {
        AppendCsvLine(out, {time, entry.kind, entry.exchange, entry.sourceTrunk,
                            entry.destinationList, cell.trunk, cell.item, cell.oldValue,
                            cell.newValue, OutcomeName(cell.outcome), cell.detail});
    }
    return out.toUtf8();
}

}  // namespace kestrel
