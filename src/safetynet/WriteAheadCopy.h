#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "CopyJournal.h"
#include "copyengine/CopyWriter.h"

namespace kestrel {

class CopyPlan;

// The journal entry of a copy, written ahead of it as a database writes its
// journal: every planned cell with the value the destination held is
// recorded, unfinished, before the first entry is sent; the cells of each
// batch are marked as sent, then as answered; the end is recorded last. A
// copy cut off anywhere (a kill, a host gone) leaves an unfinished entry
// that names every cell it may have written, and Undo can reach it.
class WriteAheadCopy {
public:
    // False, after telling the engineer why, when the journal refused the
    // entry: no copy without its backup.
    bool Begin(CopyJournal& journal, const JournalEntry& entry, const CopyPlan& plan,
               const QSet<QString>& included);
    // The changed cells of `trunks` are about to be sent: they may be written
    // from now on.
    void Sending(const QStringList& trunks);
    void Answered(const QList<CopyWriter::EntryResult>& results);
    // The final outcome of every cell and the summary; the entry is finished.
    void Finish(const JournalSummary& summary, const QList<JournalCell>& cells);
    qint64 Id() const { return id_; }

private:
    // An update that fails leaves the cells as recorded before, which
    // never claims less than may have been written: logged, not told.
    void Update(const QList<JournalCell>& cells);
    void Mark(const QStringList& trunks, CellOutcome from, CellOutcome to);

    CopyJournal* journal_ = nullptr;
    qint64 id_ = 0;
    QHash<QString, QStringList> changedOf_;  // trunk -> its changed items
    QHash<QString, JournalCell> recorded_;   // "trunk/item" -> as recorded
};

}  // namespace kestrel
