#include "SafeCopy.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>

#include "CopyOutcomeTable.h"
#include "SafeCopyTexts.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/DestinationList.h"
#include "copyengine/ReportCopyState.h"
#include "copyengine/TrunkWindow.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Logging.h"
#include "platform/RunError.h"

namespace kestrel {

SafeCopy::SafeCopy(TrunkWindow& window, RequestDispatcher& dispatcher, CopyWriter& writer,
                   ValueListModel& values, Hooks hooks)
    : window_(window),
      dispatcher_(dispatcher),
      writer_(writer),
      values_(values),
      hooks_(std::move(hooks)),
      reads_(dispatcher),
      undo_(window, dispatcher, hooks_.journal, hooks_.lastCopy,
            [this] { return ItemsPerTrunk(); }) {}

QList<SourceItem> SafeCopy::SourceItems() const {
    QList<SourceItem> items;
    for (int r = 0; r < values_.rowCount(); ++r) {
        items.append({values_.Cell(r, ValueListModel::kCmd),
                      values_.Cell(r, ValueListModel::kDescription),
                      values_.Cell(r, ValueListModel::kData)});
    }
    return items;
}

int SafeCopy::ItemsPerTrunk() const {
    return std::max(kUnknownItemsPerTrunk, values_.rowCount() + 16);
}

void SafeCopy::RegisterSteps() {
    // Reads of every phase take their answers in turn; a failed answer ends
    // the chain, so the net never waits for a step that will not run. (A
    // failed batch of the copy comes through the writer's evaluation.)
    for (const std::int16_t s : {step::kSnapshotRead, step::kVerifyRead}) {
        dispatcher_.RegisterStep(s, [this] { reads_.OnAnswer(); });
        dispatcher_.RegisterFailure(s, [this] { reads_.OnFailedAnswer(); });
    }
    undo_.RegisterSteps();
}

void SafeCopy::Reset() {
    phase_ = Phase::Idle;
    reads_.Stop();
    writer_.SetEvaluationTaker(nullptr);
    batches_.clear();
}

qint64 SafeCopy::JournalMark() const {
    try {
        return journal_ ? journal_->LatestWrite() : 0;
    } catch (const RunError&) {
        return -1;  // unknown: never equal to a mark taken before
    }
}

JournalEntry SafeCopy::NewEntry(const QString& kind) const {
    JournalEntry entry;
    entry.kind = kind;
    entry.time = QDateTime::currentDateTime();
    entry.exchange = window_.PBXName();
    entry.sourceTrunk = sourceTrunk_;
    entry.destinationList = destinationText_;
    return entry;
}

void SafeCopy::Record(const JournalEntry& entry, const QList<JournalCell>& cells) {
    if (!journal_)
        return;
    try {
        journal_->Record(entry, cells);
    } catch (const RunError& e) {
        ShowJournalWriteFailed(e.Description());
    }
}

// ---- Reading: the destinations as the preview shows them

void SafeCopy::Start(const QStringList& destinations, bool previewOnly) {
    if (Active())
        return;
    previewOnly_ = previewOnly;
    destinations_ = destinations;
    destinationText_ = window_.DestinationText();
    // The journal names the trunk whose data is written, not the box's text.
    sourceTrunk_ = hooks_.sourceTrunk ? hooks_.sourceTrunk() : window_.TrunkBoxText();
    items_ = SourceItems();
    const DestinationList list = ReadDestinationList(destinationText_, window_.HighestTrunk());
    leftOut_ = JournalSummary();
    if (!list.leftOut.isEmpty()) {
        leftOut_.Text(
            text::kDestinationsLeftOutAboveHighest,
            {QString::number(window_.HighestTrunk()), list.leftOut.join(QStringLiteral(", "))});
    }
    // A copy is never made without its backup in the journal.
    journal_ = hooks_.journal ? hooks_.journal() : nullptr;
    if (!previewOnly_ && !journal_)
        return;
    // Every command reads afresh: between a Preview and a later Copy the
    // engineer (or another one) may have done anything.
    phase_ = Phase::Reading;
    reads_.Start(
        destinations_, ItemsPerTrunk(), step::kSnapshotRead,
        [this](TrunkSnapshot& snapshot) { OnAllRead(snapshot); },
        [this](const QString& reason) { ReadFailed(reason); });
}

void SafeCopy::ReadFailed(const QString& reason) {
    Reset();
    ShowDestinationsUnread(reason);
    JournalEntry entry =
        NewEntry(previewOnly_ ? QStringLiteral("Preview") : QStringLiteral("Copy"));
    entry.made.Text(summary::kFailedCells).Plain(u' ' + reason);
    Record(entry, {});
}

void SafeCopy::OnAllRead(TrunkSnapshot& snapshot) {
    phase_ = Phase::Idle;
    NoteRead();
    plan_ = std::make_unique<CopyPlan>(items_, destinations_, snapshot, sourceTrunk_);
    plan_->SetLeftOutLine(leftOut_.Render());
    NoteLastChanges(*plan_);
    if (plan_->Destinations().isEmpty() && !plan_->NotAssigned().isEmpty() &&
        plan_->Unread().isEmpty() && plan_->Refused().isEmpty()) {
        // No destination is assigned: nothing to show or copy.
        LangMsgBox(kOwnSource, msgbox::own::kDestinationsLeftOut,
                   plan_->NotAssigned().join(QStringLiteral(", ")), kProductTitle);
        return;
    }
    if (!ShowPreview(*plan_) || !journal_)
        return;  // closed; or no backup, no copy (the engineer has been told why)
    if (ReadIsFresh()) {
        BeginWriting();
    } else {
        ReadBackup();
    }
}

void SafeCopy::NoteLastChanges(CopyPlan& plan) const {
    if (!hooks_.lastChanges)
        return;
    try {
        plan.SetLastChanges(hooks_.lastChanges(window_.PBXName(), plan.Destinations()),
                            ThisDesk().engineer, hooks_.readAt ? hooks_.readAt() : QDateTime());
    } catch (const RunError& e) {
        // The preview is still right without the names; the journal's
        // trouble shows when the copy is recorded.
        qCWarning(lcDb, "The last changes of the destinations could not be read: %s [%d]",
                  qUtf8Printable(e.Description()), e.Number());
    }
}

bool SafeCopy::ShowPreview(CopyPlan& plan) {
    const bool copy = hooks_.showPreview && hooks_.showPreview(plan, previewOnly_);
    if (!copy)
        RecordPreview(plan);
    return copy;
}

void SafeCopy::RecordPreview(const CopyPlan& plan) {
    // A preview closed without a copy is recorded as what it showed.
    QList<JournalCell> cells;
    for (const PlannedCell& c : plan.Cells()) {
        cells.append({c.trunk, c.item, c.restorable ? c.oldValue : kNotSetValue, c.newValue,
                      c.changed ? CellOutcome::Skipped : CellOutcome::Unchanged, QString()});
    }
    JournalEntry entry = NewEntry(QStringLiteral("Preview"));
    // The preview's own count line.
    entry.made.Text(
        summary::kPreviewCounts,
        {QString::number(plan.TotalChanges()), QString::number(plan.ChangedTrunks()),
         QString::number(plan.Destinations().size()), QString::number(plan.IncludedItems().size()),
         QString::number(plan.Items().size())});
    Record(entry, cells);
}

// ---- Backup: what the destinations hold at the moment of writing

void SafeCopy::NoteRead() {
    readAge_.start();
    readMark_ = JournalMark();
}

bool SafeCopy::ReadIsFresh() const {
    // Time, or a copy or undo recorded since (another window, another
    // instance), may have changed what was read.
    return readAge_.isValid() && readAge_.elapsed() < freshReadMs && JournalMark() == readMark_;
}

void SafeCopy::ReadBackup() {
    phase_ = Phase::Backup;
    reads_.Start(
        plan_->Destinations(), ItemsPerTrunk(), step::kSnapshotRead,
        [this](TrunkSnapshot& now) { OnBackupRead(now); },
        [this](const QString& reason) { ReadFailed(reason); });
}

void SafeCopy::OnBackupRead(TrunkSnapshot& now) {
    phase_ = Phase::Idle;
    auto current = std::make_unique<CopyPlan>(items_, destinations_, now, sourceTrunk_);
    current->SetLeftOutLine(leftOut_.Render());
    NoteLastChanges(*current);
    const int differences = current->MarkChangedSince(*plan_);
    NoteRead();
    plan_ = std::move(current);
    if (differences == 0) {
        BeginWriting();
        return;
    }
    // The engineer sees what is there now, the differences marked, before
    // anything is written.
    if (!ShowPreview(*plan_))
        return;
    if (ReadIsFresh()) {
        BeginWriting();
    } else {
        ReadBackup();
    }
}

// ---- Writing: recorded ahead, then sent batch by batch

void SafeCopy::BeginWriting() {
    included_.clear();
    for (const SourceItem& item : plan_->IncludedItems())
        included_.insert(item.key);
    const QStringList targets = plan_->Destinations();
    if (included_.isEmpty() || targets.isEmpty())
        return;
    // Only the cells that change are sent: batches of whole trunks, each
    // small enough for one record; a trunk with nothing to change is
    // neither written nor read back.
    batches_.clear();
    for (const QString& trunk : targets) {
        const QList<CopyWriter::CellWrite> cells = CellsToWrite(trunk);
        if (cells.isEmpty())
            continue;
        if (batches_.isEmpty() ||
            batches_.last().cells.size() + cells.size() > cListRequest::kMaxCount)
            batches_.append(Batch());
        batches_.last().trunks.append(trunk);
        batches_.last().cells += cells;
    }
    if (!record_.Begin(*journal_, NewEntry(QStringLiteral("Copy")), *plan_, included_))
        return;
    nextBatch_ = 0;
    results_.clear();
    stopped_ = false;
    stopReason_.clear();
    readAge_.invalidate();  // what was read is about to change
    writer_.SetEvaluationTaker(
        [this](const QList<CopyWriter::EntryResult>& results, bool cancelled,
               const QString& failure) { OnBatchEvaluated(results, cancelled, failure); });
    phase_ = Phase::Writing;
    SendNextBatch();
}

void SafeCopy::SendNextBatch() {
    if (stopped_ || nextBatch_ >= batches_.size()) {
        BeginVerify();
        return;
    }
    const Batch batch = batches_.at(nextBatch_++);  // a copy: an answer may clear them
    record_.Sending(batch.trunks);
    if (!writer_.SendCells(batch.cells)) {
        stopped_ = true;
        stopReason_ = QStringLiteral("BUSY / ERROR");
        BeginVerify();
    }
}

void SafeCopy::OnBatchEvaluated(const QList<CopyWriter::EntryResult>& results, bool cancelled,
                                const QString& failure) {
    results_ += results;
    record_.Answered(results);
    if (!failure.isEmpty()) {
        // The batch's answer failed as a whole: its entries tell what they
        // can, the read-back of its trunks the rest; no batch follows.
        stopped_ = true;
        stopReason_ = failure;
    }
    bool failed = cancelled;
    for (const CopyWriter::EntryResult& r : results)
        failed = failed || r.kind == CopyWriter::EntryResult::Failed;
    if (failed) {
        // A failure in one batch stops the rest.
        stopped_ = true;
        if (stopReason_.isEmpty())
            stopReason_ = cancelled ? QStringLiteral("OPX_USERCANCEL") : QString();
    }
    SendNextBatch();
}

QList<CopyWriter::CellWrite> SafeCopy::CellsToWrite(const QString& trunk) const {
    QList<CopyWriter::CellWrite> cells;
    for (const SourceItem& item : items_) {
        if (!included_.contains(item.key))
            continue;
        const PlannedCell planned = plan_->Cell(trunk, item.key);
        if (planned.changed)
            cells.append({trunk, item.key, planned.newValue});
    }
    return cells;
}

// ---- Verifying: what reached the trunks is what they hold

void SafeCopy::BeginVerify() {
    writer_.SetEvaluationTaker(nullptr);
    // Every trunk a batch was sent to is read back, whatever its answer said:
    // a refused or unanswered write may find the value there all the same.
    QStringList sent;
    for (int b = 0; b < nextBatch_ && b < batches_.size(); ++b)
        sent += batches_.at(b).trunks;
    if (sent.isEmpty()) {
        FinishCopy(nullptr, QString());
        return;
    }
    phase_ = Phase::Verifying;
    reads_.Start(
        sent, ItemsPerTrunk(), step::kVerifyRead,
        [this](TrunkSnapshot& readBack) { FinishCopy(&readBack, QString()); },
        [this](const QString& reason) { FinishCopy(nullptr, reason); });
}

QList<JournalCell> SafeCopy::FinalCells(const TrunkSnapshot* readBack, QList<bool>& reached) const {
    QHash<QString, const CopyWriter::EntryResult*> byCell;
    for (const CopyWriter::EntryResult& r : results_)
        byCell.insert(r.trunk + u'/' + r.item, &r);
    QList<JournalCell> cells;
    reached.clear();
    for (const QString& trunk : plan_->Destinations()) {
        for (const SourceItem& item : items_) {
            if (!included_.contains(item.key))
                continue;
            const PlannedCell planned = plan_->Cell(trunk, item.key);
            JournalCell cell{trunk,
                             item.key,
                             planned.restorable ? planned.oldValue : kNotSetValue,
                             planned.newValue,
                             CellOutcome::Skipped,
                             QString()};
            const auto found = byCell.constFind(trunk + u'/' + item.key);
            // What the read-back found decides what reached the trunk; the
            // answer tells the rest.
            const bool read = readBack && readBack->Has(trunk);
            const bool holds =
                read && SameValue(readBack->Value(trunk, item.key), planned.newValue);
            const CellOutcome done =
                planned.changed ? CellOutcome::Written : CellOutcome::Unchanged;
            if (!planned.changed) {
                // Never sent: the trunk held the value when it was read.
                cell.outcome = CellOutcome::Unchanged;
                reached.append(!read || holds);
                cells.append(cell);
                continue;
            }
            if (found == byCell.constEnd()) {
                // Not evaluated (stopped, cancelled, a failed answer).
                cell.detail = stopReason_;
                if (holds)
                    cell.outcome = done;
            } else if ((*found)->kind == CopyWriter::EntryResult::Refused) {
                cell.outcome = CellOutcome::Refused;
                cell.detail = (*found)->text;
            } else if ((*found)->kind == CopyWriter::EntryResult::Failed) {
                cell.outcome = holds ? done : CellOutcome::Failed;
                cell.detail = (*found)->text;
            } else if (read && !holds) {
                cell.outcome = CellOutcome::NotVerified;
                cell.detail = readBack->Value(trunk, item.key);
            } else {
                // Read back and holding, or nothing read back: then the
                // answer's OK is all there is to go by.
                cell.outcome = done;
            }
            reached.append(holds || (!read && (cell.outcome == CellOutcome::Written ||
                                               cell.outcome == CellOutcome::Unchanged)));
            cells.append(cell);
        }
    }
    return cells;
}

void SafeCopy::FinishCopy(const TrunkSnapshot* readBack, const QString& readBackFailure) {
    Reset();
    QList<bool> reached;
    const QList<JournalCell> cells = FinalCells(readBack, reached);
    TakeForReport(cells, reached);
    StoreCopyOutcomes(window_.WorkDb(), cells, dispatcher_);
    JournalSummary text =
        Summary(items_, cells, reached, static_cast<int>(plan_->Destinations().size()));
    if (!readBackFailure.isEmpty())
        text.Line().Text(text::kReadBackFailed, {readBackFailure});
    text.Lines(leftOut_);
    record_.Finish(text, cells);
    LangMsgBox(kOwnSource, msgbox::own::kCopySummary, text.Render(), kProductTitle);
}

void SafeCopy::TakeForReport(const QList<JournalCell>& cells, const QList<bool>& reached) {
    // An item is as bad as its worst cell; what reached the first
    // destination becomes the item's original, as the plain road does.
    const QString first = plan_->Destinations().value(0);
    QHash<QString, CopiedState> stateOf;
    QStringList reachedFirst;
    for (int i = 0; i < cells.size(); ++i) {
        const JournalCell& cell = cells.at(i);
        CopiedState cellState = CopiedState::NotWritten;
        if (cell.outcome == CellOutcome::Written || cell.outcome == CellOutcome::Unchanged) {
            cellState = CopiedState::Written;
        } else if (cell.outcome == CellOutcome::Refused) {
            cellState = CopiedState::Refused;
        }
        CopiedState& state = stateOf[cell.item];
        state = std::max(state, cellState);
        if (cell.trunk == first && reached.value(i) && !reachedFirst.contains(cell.item))
            reachedFirst << cell.item;
    }
    QList<CopiedItem> items;
    for (const SourceItem& item : items_) {
        if (included_.contains(item.key))
            items.append({item.key, stateOf.value(item.key)});
    }
    writer_.TakeFinishedCopy(reachedFirst, items);
}

JournalSummary SafeCopy::Summary(const QList<SourceItem>& items, const QList<JournalCell>& cells,
                                 const QList<bool>& reached, int trunkCount) {
    QHash<QString, int> reachedBy;
    QSet<QString> present;
    QList<JournalCell> notVerified;
    QList<JournalCell> refused;
    QList<JournalCell> failed;
    for (int i = 0; i < cells.size(); ++i) {
        const JournalCell& cell = cells.at(i);
        present.insert(cell.item);
        if (reached.value(i))
            ++reachedBy[cell.item];
        switch (cell.outcome) {
            case CellOutcome::NotVerified:
                notVerified << cell;
                break;
            case CellOutcome::Refused:
                refused << cell;
                break;
            case CellOutcome::Failed:
            case CellOutcome::Skipped:
            case CellOutcome::Pending:
                failed << cell;
                break;
            default:
                break;
        }
    }
    // Items in their order, runs of neighbours with equal counts joined
    // ("3002 to 3014: 0 of 259"); an item left out of the copy breaks a run.
    JournalSummary text;
    const QString trunks = QString::number(trunkCount);
    for (int i = 0; i < items.size();) {
        if (!present.contains(items.at(i).key)) {
            ++i;
            continue;
        }
        const int n = reachedBy.value(items.at(i).key);
        int j = i;
        while (j + 1 < items.size() && present.contains(items.at(j + 1).key) &&
               reachedBy.value(items.at(j + 1).key) == n) {
            ++j;
        }
        if (i == j) {
            text.Line().Text(summary::kItemReached, {items.at(i).key, QString::number(n), trunks});
        } else {
            text.Line().Text(summary::kItemsReached,
                             {items.at(i).key, items.at(j).key, QString::number(n), trunks});
        }
        i = j + 1;
    }
    AddCellLines(text, summary::kNotVerified, notVerified, false);
    AddCellLines(text, summary::kRefusedCells, refused, true);
    AddCellLines(text, summary::kFailedCells, failed, true);
    return text;
}

}  // namespace kestrel
