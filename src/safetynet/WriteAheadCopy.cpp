#include "WriteAheadCopy.h"

#include "CopyPlan.h"
#include "SafeCopyTexts.h"
#include "platform/Logging.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {

QString KeyOf(const QString& trunk, const QString& item) {
    return trunk + u'/' + item;
}

}  // namespace

bool WriteAheadCopy::Begin(CopyJournal& journal, const JournalEntry& entry, const CopyPlan& plan,
                           const QSet<QString>& included) {
    journal_ = &journal;
    recorded_.clear();
    changedOf_.clear();
    QList<JournalCell> cells;
    for (const PlannedCell& c : plan.Cells()) {
        if (!included.contains(c.item))
            continue;
        JournalCell cell{c.trunk,
                         c.item,
                         c.restorable ? c.oldValue : kNotSetValue,
                         c.newValue,
                         c.changed ? CellOutcome::Skipped : CellOutcome::Unchanged,
                         QString()};
        if (c.changed)
            changedOf_[c.trunk].append(c.item);
        recorded_.insert(KeyOf(c.trunk, c.item), cell);
        cells.append(cell);
    }
    try {
        id_ = journal.BeginEntry(entry, cells);
    } catch (const RunError& e) {
        journal_ = nullptr;
        ShowJournalWriteFailed(e.Description());
        return false;
    }
    return true;
}

void WriteAheadCopy::Sending(const QStringList& trunks) {
    Mark(trunks, CellOutcome::Skipped, CellOutcome::Pending);
}

void WriteAheadCopy::Answered(const QList<CopyWriter::EntryResult>& results) {
    // Trunks whose every change was answered written take one statement;
    // the cells of the others one each.
    QHash<QString, int> writtenOf;
    QList<JournalCell> cells;
    for (const CopyWriter::EntryResult& r : results) {
        const auto found = recorded_.constFind(KeyOf(r.trunk, r.item));
        if (found == recorded_.constEnd() || found->outcome != CellOutcome::Pending)
            continue;  // unchanged cells were recorded so from the start
        JournalCell cell = *found;
        cell.detail = r.text;
        switch (r.kind) {
            case CopyWriter::EntryResult::Written:
                cell.outcome = CellOutcome::Written;
                ++writtenOf[r.trunk];
                break;
            case CopyWriter::EntryResult::Refused:
                cell.outcome = CellOutcome::Refused;
                break;
            case CopyWriter::EntryResult::Failed:
                continue;  // may still have reached the trunk: stays pending
        }
        cells.append(cell);
    }
    QSet<QString> whole;
    for (auto it = writtenOf.constBegin(); it != writtenOf.constEnd(); ++it) {
        if (it.value() == changedOf_.value(it.key()).size())
            whole.insert(it.key());
    }
    QList<JournalCell> single;
    for (const JournalCell& cell : std::as_const(cells)) {
        if (cell.outcome != CellOutcome::Written || !whole.contains(cell.trunk))
            single << cell;
    }
    Mark(whole.values(), CellOutcome::Pending, CellOutcome::Written);
    Update(single);
}

void WriteAheadCopy::Mark(const QStringList& trunks, CellOutcome from, CellOutcome to) {
    if (!journal_ || trunks.isEmpty())
        return;
    try {
        journal_->UpdateTrunks(id_, trunks, from, to);
    } catch (const RunError& e) {
        qCWarning(lcDb, "The copy journal could not record a batch of entry %lld: %s [%d]", id_,
                  qUtf8Printable(e.Description()), e.Number());
        return;
    }
    for (const QString& trunk : trunks) {
        for (const QString& item : changedOf_.value(trunk)) {
            JournalCell& cell = recorded_[KeyOf(trunk, item)];
            if (cell.outcome == from)
                cell.outcome = to;
        }
    }
}

void WriteAheadCopy::Update(const QList<JournalCell>& cells) {
    if (!journal_ || cells.isEmpty())
        return;
    try {
        journal_->UpdateCells(id_, cells);
    } catch (const RunError& e) {
        qCWarning(lcDb, "The copy journal could not record a batch of entry %lld: %s [%d]", id_,
                  qUtf8Printable(e.Description()), e.Number());
        return;
    }
    for (const JournalCell& cell : cells)
        recorded_.insert(KeyOf(cell.trunk, cell.item), cell);
}

void WriteAheadCopy::Finish(const JournalSummary& summary, const QList<JournalCell>& cells) {
    if (!journal_)
        return;
    // Only what differs from what is recorded is written again.
    QList<JournalCell> changed;
    for (const JournalCell& cell : cells) {
        const auto found = recorded_.constFind(KeyOf(cell.trunk, cell.item));
        if (found == recorded_.constEnd() || found->outcome != cell.outcome ||
            found->detail != cell.detail || found->oldValue != cell.oldValue)
            changed << cell;
    }
    try {
        journal_->FinishEntry(id_, summary, changed);
    } catch (const RunError& e) {
        ShowJournalWriteFailed(e.Description());
    }
    journal_ = nullptr;
}

}  // namespace kestrel
