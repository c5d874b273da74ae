#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "CopyJournal.h"
#include "CopyPlan.h"
#include "SafeUndo.h"
#include "SnapshotReads.h"
#include "TrunkSnapshot.h"
#include "WriteAheadCopy.h"
#include "copyengine/CopyWriter.h"

namespace kestrel {

class RequestDispatcher;
class TrunkWindow;
class ValueListModel;

// The copy with its safety net, after the destination check, in phases:
//   Reading     the destinations' values are read and the preview shown;
//   Backup      unless that read is fresh, the destinations are read again at
//               the moment of writing; a difference shows the preview again;
//   Writing     the copy is recorded ahead in the journal, then sent in as
//               many requests as it needs, each batch's outcome recorded;
//   Verifying   the written trunks are read back, the entry finished.
// Undo (SafeUndo) writes a recorded copy's old values back. Each exchange
// request goes through the window's dispatcher, one at a time.
class SafeCopy {
public:
    struct Hooks {
        // Shows the preview modally; true when the engineer chose Copy.
        std::function<bool(CopyPlan& plan, bool previewOnly)> showPreview;
        // The journal, or nullptr when it cannot be used (the hook has told
        // the engineer why).
        std::function<CopyJournal*()> journal;
        // The trunk whose data the value list holds (the trunk read).
        std::function<QString()> sourceTrunk;
        // By destination trunk, who changed it last (anyone's copy or undo);
        // without it the preview names no one.
        std::function<QHash<QString, LastChange>(const QString& exchange,
                                                 const QStringList& trunks)>
            lastChanges;
        // When the source trunk was read (the Get), to tell a colleague's
        // change this engineer has not seen.
        std::function<QDateTime()> readAt;
        // The exchange's last copy not undone, whoever made it; without it
        // the journal's own.
        std::function<std::optional<JournalEntry>(const QString& exchange)> lastCopy;
    };

    // `values` is the value list: the items a copy writes, in order.
    SafeCopy(TrunkWindow& window, RequestDispatcher& dispatcher, CopyWriter& writer,
             ValueListModel& values, Hooks hooks);
    void RegisterSteps();

    // Reads the checked destinations, shows the preview and, unless the
    // engineer closes it, copies.
    void Start(const QStringList& destinations, bool previewOnly);
    // Writes the old values of this exchange's last copy back.
    void StartUndo() { undo_.Start(); }
    bool Active() const { return phase_ != Phase::Idle || undo_.Active(); }
    // A copy or an undo is writing to the exchange (not only reading).
    bool Writing() const { return phase_ == Phase::Writing || undo_.Writing(); }

    // The summary of a finished copy: per item the trunks it reached, then
    // the cells that were not verified, refused or failed.
    // `reached`, parallel to `cells`: the trunk holds the value written.
    static JournalSummary Summary(const QList<SourceItem>& items, const QList<JournalCell>& cells,
                                  const QList<bool>& reached, int trunkCount);

    // How long a read may back a copy without being read again: past it,
    // another engineer may have changed the destinations. (Tests that play
    // the other engineer set 0.)
    static inline qint64 freshReadMs = 3000;

private:
    enum class Phase { Idle, Reading, Backup, Writing, Verifying };
    // Reading
    void OnAllRead(TrunkSnapshot& snapshot);
    void ReadFailed(const QString& reason);
    bool ShowPreview(CopyPlan& plan);
    // Tells the plan who last changed its destinations.
    void NoteLastChanges(CopyPlan& plan) const;
    void RecordPreview(const CopyPlan& plan);
    // Backup
    void NoteRead();
    bool ReadIsFresh() const;
    void ReadBackup();
    void OnBackupRead(TrunkSnapshot& now);
    // Writing
    void BeginWriting();
    void SendNextBatch();
    void OnBatchEvaluated(const QList<CopyWriter::EntryResult>& results, bool cancelled,
                          const QString& failure);
    // Verifying
    void BeginVerify();
    void FinishCopy(const TrunkSnapshot* readBack, const QString& readBackFailure);
    QList<JournalCell> FinalCells(const TrunkSnapshot* readBack, QList<bool>& reached) const;
    // The changed cells of the included items on this trunk, to be sent.
    QList<CopyWriter::CellWrite> CellsToWrite(const QString& trunk) const;
    // The report's tables and the source's originals follow the copy's end.
    void TakeForReport(const QList<JournalCell>& cells, const QList<bool>& reached);

    QList<SourceItem> SourceItems() const;
    // How many items a list-up of one destination may answer: the source's
    // and more, so that batches of reads never outgrow a record.
    int ItemsPerTrunk() const;
    JournalEntry NewEntry(const QString& kind) const;
    qint64 JournalMark() const;
    void Record(const JournalEntry& entry, const QList<JournalCell>& cells);
    void Reset();

    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    CopyWriter& writer_;
    ValueListModel& values_;
    Hooks hooks_;
    SnapshotReads reads_;
    SafeUndo undo_;

    Phase phase_ = Phase::Idle;
    CopyJournal* journal_ = nullptr;  // of the operation under way
    bool previewOnly_ = false;
    QStringList destinations_;
    QString destinationText_;
    QString sourceTrunk_;
    // Numbers of the list left out, named to the engineer and the journal.
    JournalSummary leftOut_;
    QList<SourceItem> items_;
    std::unique_ptr<CopyPlan> plan_;
    // When the destinations were last read, and the journal's newest write
    // then: what could have changed them since.
    QElapsedTimer readAge_;
    qint64 readMark_ = 0;
    WriteAheadCopy record_;
    QSet<QString> included_;
    // Whole trunks and their changed cells, each small enough for a record.
    struct Batch {
        QStringList trunks;
        QList<CopyWriter::CellWrite> cells;
    };
    QList<Batch> batches_;
    int nextBatch_ = 0;
    QList<CopyWriter::EntryResult> results_;
    bool stopped_ = false;
    QString stopReason_;
};

}  // namespace kestrel
