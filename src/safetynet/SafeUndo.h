#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "CopyJournal.h"
#include "SnapshotReads.h"

namespace kestrel {

class RequestDispatcher;
class TrunkWindow;

// Undo of the exchange's last copy, finished or cut off: asks first, reads
// the trunks the copy may have written, asks again about values changed
// since, writes the old values back in one request and records the undo.
// A cell of a copy cut off counts as written only when its trunk holds the
// copy's value now; one the exchange held as not set is never written back.
class SafeUndo {
public:
    // `lastCopy` names the copy to undo, whoever made it; without it the
    // journal's own last copy.
    SafeUndo(TrunkWindow& window, RequestDispatcher& dispatcher,
             std::function<CopyJournal*()> journal,
             std::function<std::optional<JournalEntry>(const QString&)> lastCopy,
             std::function<int()> itemsPerTrunk);
    void RegisterSteps();
    void Start();
    bool Active() const { return reads_.Active() || writing_; }
    bool Writing() const { return writing_; }

private:
    void OnRead(TrunkSnapshot& now);
    void OnWritten();
    void Record(const QList<JournalCell>& cells, const JournalSummary& summary);
    // The report's section of the last copy then tells the undo.
    void StoreForReport(const QList<JournalCell>& cells);

    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    std::function<CopyJournal*()> journal_;
    std::function<std::optional<JournalEntry>(const QString&)> lastCopy_;
    std::function<int()> itemsPerTrunk_;
    SnapshotReads reads_;
    bool writing_ = false;
    CopyJournal* using_ = nullptr;
    JournalEntry undoOf_;
    QList<JournalCell> toRestore_;
    QList<JournalCell> skipped_;
    QHash<QString, QString> heldBefore_;  // "trunk/item" -> value read before writing
};

}  // namespace kestrel
