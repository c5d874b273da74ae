#include "TeamRecord.h"

#include "PgLink.h"
#include "safetynet/JournalSummary.h"

namespace kestrel::team {

namespace {

QVariant OrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Times cross the link as milliseconds since the epoch, whatever the
// server's zone and date style.
QDateTime TimeOf(const QString& milliseconds) {
    return QDateTime::fromMSecsSinceEpoch(milliseconds.toLongLong());
}

const QString kTimeOf = QStringLiteral("(extract(epoch FROM e.time) * 1000)::bigint");

const QString kEntryColumns =
    QStringLiteral("SELECT e.uuid, e.kind, ") + kTimeOf +
    QStringLiteral(
        ", e.exchange, e.source_trunk, e.destination_list, e.summary, "
        "e.summary_parts, e.undo_of, e.finished, e.engineer, e.engineer_name, "
        "e.machine, e.start FROM entries e");

QList<JournalEntry> ReadEntries(PgLink& link, const QString& where, const QString& tail,
                                const QVariantList& values) {
    const PgRows rows = link.Run(kEntryColumns + where + tail, values);
    QList<JournalEntry> entries;
    entries.reserve(rows.Count());
    for (int r = 0; r < rows.Count(); ++r) {
        JournalEntry e;
        e.uuid = rows.Text(r, 0);
        e.kind = rows.Text(r, 1);
        e.time = TimeOf(rows.Text(r, 2));
        e.exchange = rows.Text(r, 3);
        e.sourceTrunk = rows.Text(r, 4);
        e.destinationList = rows.Text(r, 5);
        e.summary = rows.Text(r, 6);
        e.made = JournalSummary::Decode(rows.Text(r, 7));
        e.undoOfUuid = rows.Text(r, 8);
        e.finished = rows.Text(r, 9) == u"t";
        e.desk = {rows.Text(r, 10), rows.Text(r, 11), rows.Text(r, 12), rows.Text(r, 13)};
        entries.append(e);
    }
    return entries;
}
}  // namespace

bool Send(PgLink& link, const JournalEntry& entry, const QList<JournalCell>& cells) {
    link.RunScript(QStringLiteral("BEGIN"));
    try {
        // Entered unfinished, so that its cells may follow; finished after them.
        const PgRows added = link.Run(
            QStringLiteral("INSERT INTO entries (uuid, kind, time, exchange, source_trunk, "
                           "destination_list, summary, summary_parts, undo_of, finished, "
                           "engineer, engineer_name, machine, start) VALUES ($1, $2, "
                           "to_timestamp($3::bigint / 1000.0), $4, $5, "
                           "$6, $7, $8, $9, false, $10, $11, $12, $13) ON CONFLICT (uuid) DO "
                           "NOTHING"),
            {entry.uuid, entry.kind, entry.time.toMSecsSinceEpoch(), entry.exchange,
             entry.sourceTrunk, entry.destinationList, entry.SummaryText(), entry.made.Encode(),
             OrNull(entry.undoOfUuid), entry.desk.engineer, entry.desk.engineerName,
             entry.desk.machine, entry.desk.start});
        if (added.Affected() == 0) {
            link.RunScript(QStringLiteral("COMMIT"));
            return false;
        }
        if (!cells.isEmpty()) {
            QByteArray data;
            data.reserve(cells.size() * 48);
            int seq = 0;
            for (const JournalCell& cell : cells) {
                AppendCopyField(data, entry.uuid);
                data += '\t';
                data += QByteArray::number(seq++);
                for (const QString* field :
                     {&cell.trunk, &cell.item, &cell.oldValue, &cell.newValue}) {
                    data += '\t';
                    AppendCopyField(data, *field);
                }
                data += '\t';
                AppendCopyField(data, OutcomeName(cell.outcome));
                data += '\t';
                AppendCopyField(data, cell.detail);
                data += '\n';
            }
            link.CopyIn(QStringLiteral("COPY cells (entry, seq, trunk, item, old_value, "
                                       "new_value, outcome, detail) FROM STDIN"),
                        data);
        }
        if (entry.finished) {
            link.Run(QStringLiteral("UPDATE entries SET finished = true WHERE uuid = $1"),
                     {entry.uuid});
        }
        link.RunScript(QStringLiteral("COMMIT"));
        return true;
    } catch (...) {
        link.Rollback();
        throw;
    }
}

QList<JournalEntry> Entries(PgLink& link, const JournalFilter& filter, int limit) {
    static const QHash<FilterField, QString> kTerms = {
        {FilterField::Exchange, QStringLiteral("lower(e.exchange) = lower($%1)")},
        {FilterField::Engineer, QStringLiteral("e.engineer = $%1")},
        {FilterField::Kind, QStringLiteral("e.kind = $%1")},
        {FilterField::From, QStringLiteral("e.time >= to_timestamp($%1::bigint / 1000.0)")},
        {FilterField::To, QStringLiteral("e.time <= to_timestamp($%1::bigint / 1000.0)")},
        {FilterField::Trunk,
         QStringLiteral("e.uuid IN (SELECT c.entry FROM cells c WHERE c.trunk = $%1)")}};
    QStringList terms;
    QVariantList values;
    for (const auto& [field, value] : SetFields(filter)) {
        values << value;
        terms << kTerms.value(field).arg(values.size());
    }
    const QString where = terms.isEmpty()
                              ? QString()
                              : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return ReadEntries(link, where,
                       QStringLiteral(" ORDER BY e.time DESC, e.uuid LIMIT %1").arg(limit), values);
}

std::optional<JournalEntry> LastCopy(PgLink& link, const QString& exchange,
                                     const QStringList& undoneHere) {
    const QList<JournalEntry> copies = ReadEntries(
        link,
        QStringLiteral(" WHERE lower(e.exchange) = lower($1) AND e.kind = 'Copy' AND NOT EXISTS "
                       "(SELECT 1 FROM entries u WHERE u.kind = 'Undo' AND u.undo_of = e.uuid) "
                       "AND NOT e.uuid::text = ANY ($2::text[])"),
        QStringLiteral(" ORDER BY e.time DESC LIMIT 1"),
        {exchange, u'{' + undoneHere.join(u',') + u'}'});
    if (copies.isEmpty())
        return std::nullopt;
    return copies.first();
}

QList<JournalCell> Cells(PgLink& link, const QString& uuid) {
    const PgRows rows = link.Run(
        QStringLiteral("SELECT trunk, item, old_value, new_value, outcome, detail FROM cells "
                       "WHERE entry = $1 ORDER BY seq"),
        {uuid});
    QList<JournalCell> cells;
    cells.reserve(rows.Count());
    for (int r = 0; r < rows.Count(); ++r) {
        JournalCell c;
        c.trunk = rows.Text(r, 0);
        c.item = rows.Text(r, 1);
        c.oldValue = rows.Text(r, 2);
        c.newValue = rows.Text(r, 3);
        c.outcome = OutcomeFromName(rows.Text(r, 4));
        c.detail = rows.Text(r, 5);
        cells.append(c);
    }
    return cells;
}

QHash<QString, LastChange> LastChanges(PgLink& link, const QString& exchange,
                                       const QStringList& trunks) {
    // Postgres' array literal of the trunk numbers; they hold digits only.
    const PgRows rows = link.Run(
        QStringLiteral("SELECT DISTINCT ON (c.trunk) c.trunk, e.engineer, e.engineer_name, "
                       "e.machine, e.start, ") +
            kTimeOf +
            QStringLiteral(", e.kind, e.uuid FROM cells c JOIN entries e ON e.uuid = c.entry "
                           "WHERE c.trunk = ANY ($1::text[]) AND lower(e.exchange) = lower($2) "
                           "AND e.kind <> 'Preview' AND c.outcome IN ('written', 'pending', "
                           "'not verified', 'undone') ORDER BY c.trunk, e.time DESC"),
        {u'{' + trunks.join(u',') + u'}', exchange});
    QHash<QString, LastChange> changes;
    for (int r = 0; r < rows.Count(); ++r) {
        changes.insert(rows.Text(r, 0),
                       {{rows.Text(r, 1), rows.Text(r, 2), rows.Text(r, 3), rows.Text(r, 4)},
                        TimeOf(rows.Text(r, 5)),
                        rows.Text(r, 6),
                        rows.Text(r, 7)});
    }
    return changes;
}

}  // namespace kestrel::team
