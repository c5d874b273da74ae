#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

#include "CopyJournal.h"
#include "CopyPlan.h"
#include "TrunkSnapshot.h"
#include "copyengine/CopyWriter.h"
#include "hostlink/cListRequest.h"

namespace kestrel {

class RequestDispatcher;
class TrunkWindow;
class ValueListModel;

// The copy with its safety net, after the destination check: the
// destinations' current values are read (the backup), the engineer sees
// every change in the preview and chooses Copy, the copy goes out in as
// many requests as it needs, the written trunks are read back and compared,
// and the whole is recorded in the journal. Undo writes a recorded copy's
// old values back. Each exchange request still goes through the window's
// dispatcher, one at a time.
class SafeCopy {
public:
    struct Hooks {
        // Shows the preview modally; true when the engineer chose Copy.
        std::function<bool(CopyPlan& plan, bool previewOnly)> showPreview;
        // The journal, or nullptr when it cannot be used (the hook has told
        // the engineer why).
        std::function<CopyJournal*()> journal;
    };

    // `values` is the value list: the items a copy writes, in order.
    SafeCopy(TrunkWindow& window, RequestDispatcher& dispatcher, CopyWriter& writer,
             ValueListModel& values, Hooks hooks);
    void RegisterSteps();

    // Reads the checked destinations, shows the preview and, unless the
    // engineer closes it, copies.
    void Start(const QStringList& destinations, bool previewOnly);
    // Writes the old values of this exchange's last copy back.
    void StartUndo();
    bool Active() const { return phase_ != Phase::Idle; }
    // Forgets the last read: the next preview reads the exchange again.
    void Forget() { lastRead_.reset(); }

    // The summary of a finished copy: per item the trunks it reached, then
    // the cells that were not verified, refused or failed.
    // `reached`, parallel to `cells`: the trunk holds the value written.
    static QString Summary(const QList<SourceItem>& items, const QList<JournalCell>& cells,
                           const QList<bool>& reached, int trunkCount);

private:
    enum class Phase { Idle, Reading, Writing, Verifying, UndoReading, UndoWriting };
    struct ReadCache {
        QString key;
        TrunkSnapshot snapshot;
    };

    void SendNextRead();
    void OnRead();
    void OnFailedAnswer();
    void ReadFailed(const QString& reason, bool undo);
    void OnAllRead();
    void SendNextBatch();
    void OnBatchEvaluated(const QList<CopyWriter::EntryResult>& results, bool cancelled,
                          const QString& failure);
    void BeginVerify();
    // The read-back could not be made: the copy ends on what was answered.
    void VerifyFailed(const QString& reason);
    void FinishCopy();
    // The report's section: each destination's outcome in the work table.
    void StoreOutcomes(const QList<JournalCell>& cells);
    void OnUndoRead();
    void SendUndo();
    void OnUndoWritten();
    void Record(const JournalEntry& entry, const QList<JournalCell>& cells);
    QList<SourceItem> SourceItems() const;
    // How many items a list-up of one destination may answer: the source's
    // and more, so that batches of reads never outgrow a record.
    int ItemsPerTrunk() const;
    JournalEntry NewEntry(const QString& kind) const;
    QString ReadKey() const;
    void Reset();

    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    CopyWriter& writer_;
    ValueListModel& values_;
    Hooks hooks_;

    Phase phase_ = Phase::Idle;
    CopyJournal* journal_ = nullptr;  // of the operation under way
    bool previewOnly_ = false;
    QStringList destinations_;
    QString destinationText_;
    QString sourceTrunk_;
    QList<SourceItem> items_;
    QList<cListRequest> reads_;
    int nextRead_ = 0;
    TrunkSnapshot snapshot_;
    std::unique_ptr<CopyPlan> plan_;
    std::unique_ptr<ReadCache> lastRead_;
    QSet<QString> included_;
    QList<QStringList> batches_;
    int nextBatch_ = 0;
    QList<CopyWriter::EntryResult> results_;
    QList<bool> reached_;  // per recorded cell: the read-back holds its value
    bool stopped_ = false;
    QString stopReason_;
    TrunkSnapshot verified_;
    bool verifyComplete_ = true;
    QString verifyFailure_;
    // Undo
    JournalEntry undoOf_;
    QList<JournalCell> undoCells_;
    QList<JournalCell> undoSkipped_;
};

}  // namespace kestrel
