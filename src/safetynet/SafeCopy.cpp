#include "SafeCopy.h"

#include <QDateTime>
#include <QHash>

#include "catalogue/ValueListModel.h"
#include "copyengine/TrunkWindow.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/RunError.h"
#include "platform/Statement.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

// What a destination should hold now if nobody touched it since the copy:
// the value written, or for a write that did not verify, what was read back.
QString ExpectedNow(const JournalCell& cell) {
    return cell.outcome == CellOutcome::NotVerified ? cell.detail : cell.newValue;
}

// The journal could not record a copy or an undo; the reason follows.
void ShowJournalWriteFailed(const QString& reason) {
    LangMsgBox(kOwnSource, msgbox::own::kJournalWriteFailed, reason, kProductTitle);
}

// Every value the copy wrote has changed since: the undo writes nothing.
void ShowAllChangedSince() {
    LangMsgBox(kOwnSource, msgbox::own::kAllChangedSince, QString(), kProductTitle);
}

// Lines of the summaries, from the message table.
constexpr int kItemReached = 41;    // "%1: %2 of %3 trunks"
constexpr int kItemsReached = 42;   // "%1 to %2: %3 of %4 trunks"
constexpr int kNotVerified = 43;    // "Not verified (answered OK, value not there):"
constexpr int kRefusedCells = 44;   // "Refused:"
constexpr int kFailedCells = 45;    // "Failed or not sent:"
constexpr int kRestored = 46;       // "Restored: %1 of %2 values on %3 trunks"
constexpr int kChangedSince = 47;   // "%1 %2 holds %3 now (the copy wrote %4)"
constexpr int kTrunkOutcome = 48;   // "%1 written, %2 unchanged, %3 refused, ..."
constexpr int kPreviewCounts = 30;  // the preview's "Changes: ..." line
constexpr int kListedCells = 15;

constexpr int kYes = 6;
constexpr int kNo = 7;

// The exchange writes "NONE" when told "CCC".
bool SameValue(const QString& a, const QString& b) {
    auto norm = [](const QString& v) { return v == u"CCC" ? QStringLiteral("NONE") : v; };
    return norm(a) == norm(b);
}

QString CellName(const JournalCell& cell) {
    return cell.trunk + u' ' + cell.item;
}

// Up to kListedCells "trunk item (detail)" lines, then "more...".
QString CellLines(const QList<JournalCell>& cells, bool withDetail) {
    QString text;
    for (int i = 0; i < cells.size() && i < kListedCells; ++i) {
        text += QStringLiteral("\r\n  ") + CellName(cells.at(i));
        if (withDetail && !cells.at(i).detail.isEmpty())
            text += QStringLiteral(" (") + cells.at(i).detail + u')';
    }
    if (cells.size() > kListedCells)
        text +=
            QStringLiteral("\r\n  %1 (%2)").arg(Msg(text::kMore)).arg(cells.size() - kListedCells);
    return text;
}

}  // namespace

SafeCopy::SafeCopy(TrunkWindow& window, RequestDispatcher& dispatcher, CopyWriter& writer,
                   ValueListModel& values, Hooks hooks)
    : window_(window),
      dispatcher_(dispatcher),
      writer_(writer),
      values_(values),
      hooks_(std::move(hooks)) {}

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
    dispatcher_.RegisterStep(step::kSnapshotRead, [this] { OnRead(); });
    dispatcher_.RegisterStep(step::kVerifyRead, [this] { OnRead(); });
    dispatcher_.RegisterStep(step::kUndoRead, [this] { OnRead(); });
    dispatcher_.RegisterStep(step::kUndoWritten, [this] { OnUndoWritten(); });
    // A failed answer ends its chain: the net must not wait for a step that
    // will never run. (A failed batch of the copy comes through the writer's
    // evaluation, which still reads its entries.)
    for (const std::int16_t s :
         {step::kSnapshotRead, step::kVerifyRead, step::kUndoRead, step::kUndoWritten}) {
        dispatcher_.RegisterFailure(s, [this] {
            if (Active())
                OnFailedAnswer();
        });
    }
}

void SafeCopy::Reset() {
    phase_ = Phase::Idle;
    writer_.SetEvaluationTaker(nullptr);
    reads_.clear();
    batches_.clear();
}

QString SafeCopy::ReadKey() const {
    QStringList parts{window_.PBXName(), destinationText_, sourceTrunk_};
    for (const SourceItem& item : items_)
        parts << item.key + u'=' + item.value;
    return parts.join(QChar(0x1f));
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

void SafeCopy::Start(const QStringList& destinations, bool previewOnly) {
    if (Active())
        return;
    previewOnly_ = previewOnly;
    destinations_ = destinations;
    destinationText_ = window_.DestinationText();
    sourceTrunk_ = window_.TrunkBoxText();
    items_ = SourceItems();
    // A copy is never made without its backup in the journal.
    journal_ = hooks_.journal ? hooks_.journal() : nullptr;
    if (!previewOnly_ && !journal_)
        return;
    snapshot_ = TrunkSnapshot();
    if (lastRead_ && lastRead_->key == ReadKey()) {
        // The preview of this very list is still current: no second read.
        snapshot_ = lastRead_->snapshot;
        OnAllRead();
        return;
    }
    reads_ = SnapshotRequests(destinations_, ItemsPerTrunk(), step::kSnapshotRead);
    nextRead_ = 0;
    phase_ = Phase::Reading;
    SendNextRead();
}

void SafeCopy::SendNextRead() {
    if (nextRead_ >= reads_.size()) {
        switch (phase_) {
            case Phase::Reading:
                OnAllRead();
                break;
            case Phase::Verifying:
                FinishCopy();
                break;
            case Phase::UndoReading:
                SendUndo();
                break;
            default:
                break;
        }
        return;
    }
    cListRequest request = reads_.at(nextRead_++);
    if (!dispatcher_.SendToHost(request)) {
        if (phase_ == Phase::Verifying) {
            VerifyFailed(QStringLiteral("BUSY / ERROR"));
        } else {
            ReadFailed(QStringLiteral("BUSY / ERROR"), phase_ == Phase::UndoReading);
        }
    }
}

void SafeCopy::OnRead() {
    const cListRequest& answer = dispatcher_.ResponseList();
    TrunkSnapshot& into = phase_ == Phase::Verifying ? verified_ : snapshot_;
    if (!Active())
        return;
    TakeSnapshotAnswer(answer, into);
    if (!into.complete) {
        if (phase_ == Phase::Verifying) {
            VerifyFailed(into.failure);
        } else {
            ReadFailed(into.failure, phase_ == Phase::UndoReading);
        }
        return;
    }
    SendNextRead();
}

void SafeCopy::OnFailedAnswer() {
    const QString reason = dispatcher_.FailureReason();
    switch (phase_) {
        case Phase::Reading:
        case Phase::UndoReading:
            ReadFailed(reason, phase_ == Phase::UndoReading);
            break;
        case Phase::Verifying:
            VerifyFailed(reason);
            break;
        case Phase::Writing:
            break;  // the writer's evaluation takes a failed batch
        case Phase::UndoWriting:
            OnUndoWritten();  // whatever entries the answer carries still count
            break;
        case Phase::Idle:
            break;
    }
}

void SafeCopy::ReadFailed(const QString& reason, bool undo) {
    Reset();
    ShowDestinationsUnread(reason);
    JournalEntry entry =
        NewEntry(undo ? QStringLiteral("Undo")
                      : (previewOnly_ ? QStringLiteral("Preview") : QStringLiteral("Copy")));
    entry.summary = Msg(kFailedCells) + u' ' + reason;
    if (undo)
        entry.undoOf = undoOf_.id;
    Record(entry, {});
}

void SafeCopy::OnAllRead() {
    phase_ = Phase::Idle;
    lastRead_ = std::make_unique<ReadCache>(ReadCache{ReadKey(), snapshot_});
    plan_ = std::make_unique<CopyPlan>(items_, destinations_, snapshot_, sourceTrunk_);
    const bool copy = hooks_.showPreview && hooks_.showPreview(*plan_, previewOnly_);
    if (!copy) {
        {  // a preview closed without a copy is recorded as what it showed
            QList<JournalCell> cells;
            for (const PlannedCell& c : plan_->Cells()) {
                cells.append({c.trunk, c.item, c.oldValue, c.newValue,
                              c.changed ? CellOutcome::Skipped : CellOutcome::Unchanged,
                              QString()});
            }
            JournalEntry entry = NewEntry(QStringLiteral("Preview"));
            // The preview's own count line.
            entry.summary = Msg(kPreviewCounts)
                                .arg(plan_->TotalChanges())
                                .arg(plan_->ChangedTrunks())
                                .arg(plan_->Destinations().size())
                                .arg(plan_->IncludedItems().size())
                                .arg(plan_->Items().size());
            Record(entry, cells);
        }
        return;
    }
    if (!journal_)
        return;  // no backup, no copy (the engineer has been told why)
    included_.clear();
    for (const SourceItem& item : plan_->IncludedItems())
        included_.insert(item.key);
    const QStringList targets = plan_->Destinations();
    if (included_.isEmpty() || targets.isEmpty())
        return;
    // Batches of whole trunks, each small enough for one record.
    const int perBatch = std::max(1, cListRequest::kMaxCount / static_cast<int>(included_.size()));
    batches_.clear();
    for (int i = 0; i < targets.size(); i += perBatch)
        batches_.append(targets.mid(i, perBatch));
    nextBatch_ = 0;
    results_.clear();
    stopped_ = false;
    stopReason_.clear();
    lastRead_.reset();  // what was read is about to change
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
    const QStringList batch = batches_.at(nextBatch_++);
    if (!writer_.SendCopyRequests(batch, &included_)) {
        stopped_ = true;
        stopReason_ = QStringLiteral("BUSY / ERROR");
        BeginVerify();
    }
}

void SafeCopy::VerifyFailed(const QString& reason) {
    verifyComplete_ = false;
    verifyFailure_ = reason;
    FinishCopy();
}

void SafeCopy::OnBatchEvaluated(const QList<CopyWriter::EntryResult>& results, bool cancelled,
                                const QString& failure) {
    results_ += results;
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

void SafeCopy::BeginVerify() {
    writer_.SetEvaluationTaker(nullptr);
    // Every trunk a batch was sent to is read back, whatever its answer said:
    // a refused or unanswered write may find the value there all the same,
    // and what reached the trunks is what they hold.
    QStringList sent;
    QSet<QString> seen;
    for (int b = 0; b < nextBatch_ && b < batches_.size(); ++b) {
        for (const QString& trunk : batches_.at(b)) {
            if (!seen.contains(trunk)) {
                seen.insert(trunk);
                sent << trunk;
            }
        }
    }
    verified_ = TrunkSnapshot();
    verifyComplete_ = true;
    verifyFailure_.clear();
    if (sent.isEmpty()) {
        FinishCopy();
        return;
    }
    reads_ = SnapshotRequests(sent, ItemsPerTrunk(), step::kVerifyRead);
    nextRead_ = 0;
    phase_ = Phase::Verifying;
    SendNextRead();
}

void SafeCopy::FinishCopy() {
    Reset();
    QHash<QString, const CopyWriter::EntryResult*> byCell;
    for (const CopyWriter::EntryResult& r : results_)
        byCell.insert(r.trunk + u'/' + r.item, &r);
    QList<JournalCell> cells;
    reached_.clear();
    QSet<QString> trunksSeen;
    int trunkCount = 0;
    for (const QString& trunk : plan_->Destinations()) {
        if (trunksSeen.contains(trunk))
            continue;
        trunksSeen.insert(trunk);
        ++trunkCount;
        for (const SourceItem& item : items_) {
            if (!included_.contains(item.key))
                continue;
            const PlannedCell planned = plan_->Cell(trunk, item.key);
            JournalCell cell{
                trunk,    item.key, planned.oldValue, planned.newValue, CellOutcome::Skipped,
                QString()};
            const auto found = byCell.constFind(trunk + u'/' + item.key);
            // What the read-back found decides what reached the trunk; the
            // answer tells the rest.
            const bool read = verifyComplete_ && verified_.Has(trunk);
            const bool holds =
                read && SameValue(verified_.Value(trunk, item.key), planned.newValue);
            const CellOutcome reached =
                planned.changed ? CellOutcome::Written : CellOutcome::Unchanged;
            if (found == byCell.constEnd()) {
                // Not evaluated (stopped, cancelled, a failed answer).
                cell.detail = stopReason_;
                if (holds)
                    cell.outcome = reached;
            } else if ((*found)->kind == CopyWriter::EntryResult::Refused) {
                cell.outcome = CellOutcome::Refused;
                cell.detail = (*found)->text;
            } else if ((*found)->kind == CopyWriter::EntryResult::Failed) {
                cell.outcome = holds ? reached : CellOutcome::Failed;
                cell.detail = (*found)->text;
            } else if (read && !holds) {
                cell.outcome = CellOutcome::NotVerified;
                cell.detail = verified_.Value(trunk, item.key);
            } else {
                // Read back and holding, or nothing read back: then the
                // answer's OK is all there is to go by.
                cell.outcome = reached;
            }
            reached_.append(holds || (!read && (cell.outcome == CellOutcome::Written ||
                                                cell.outcome == CellOutcome::Unchanged)));
            cells.append(cell);
        }
    }
    StoreOutcomes(cells);
    QString summary = Summary(items_, cells, reached_, trunkCount);
    if (!verifyComplete_)
        summary += QStringLiteral("\r\n") + Msg(text::kReadBackFailed).arg(verifyFailure_);
    JournalEntry entry = NewEntry(QStringLiteral("Copy"));
    entry.summary = summary;
    Record(entry, cells);
    LangMsgBox(kOwnSource, msgbox::own::kCopySummary, summary, kProductTitle);
}

void SafeCopy::StoreOutcomes(const QList<JournalCell>& cells) {
    Database* db = window_.WorkDb();
    if (!db)
        return;
    // Per destination, in order: how many of its cells ended which way.
    QStringList order;
    QHash<QString, QList<int>> counts;  // written, unchanged, refused, failed, not verified
    for (const JournalCell& cell : cells) {
        auto found = counts.find(cell.trunk);
        if (found == counts.end()) {
            order << cell.trunk;
            found = counts.insert(cell.trunk, QList<int>(5, 0));
        }
        switch (cell.outcome) {
            case CellOutcome::Written:
                ++(*found)[0];
                break;
            case CellOutcome::Unchanged:
                ++(*found)[1];
                break;
            case CellOutcome::Refused:
                ++(*found)[2];
                break;
            case CellOutcome::Failed:
            case CellOutcome::Skipped:
                ++(*found)[3];
                break;
            case CellOutcome::NotVerified:
                ++(*found)[4];
                break;
            case CellOutcome::Undone:
                break;
        }
    }
    try {
        db->BeginTrans();
        db->Execute(QStringLiteral("DELETE * FROM CopyOutcome"));
        Statement insert = db->Prepare(QStringLiteral("INSERT INTO CopyOutcome VALUES (?, ?)"));
        for (const QString& trunk : order) {
            const QList<int>& n = counts.value(trunk);
            insert.BindAll(
                {trunk, Msg(kTrunkOutcome).arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]).arg(n[4])});
            insert.Run();
        }
        db->CommitTrans();
    } catch (const RunError& e) {
        try {
            if (db->InTransaction())
                db->Rollback();
        } catch (const RunError& also) {
            qCWarning(lcDb, "The rollback after the failed outcome failed too: %s [%d]",
                      qUtf8Printable(also.Description()), also.Number());
        }
        // The report then lacks the section; the host's line says why.
        dispatcher_.ShowHostMessage(e.Description());
    }
}

QString SafeCopy::Summary(const QList<SourceItem>& items, const QList<JournalCell>& cells,
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
                failed << cell;
                break;
            default:
                break;
        }
    }
    // Items in their order, runs of neighbours with equal counts joined
    // ("3002 to 3014: 0 of 259"); an item left out of the copy breaks a run.
    QStringList lines;
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
            lines << Msg(kItemReached).arg(items.at(i).key).arg(n).arg(trunkCount);
        } else {
            lines
                << Msg(kItemsReached).arg(items.at(i).key, items.at(j).key).arg(n).arg(trunkCount);
        }
        i = j + 1;
    }
    QString text = lines.join(QStringLiteral("\r\n"));
    if (!notVerified.isEmpty())
        text += QStringLiteral("\r\n") + Msg(kNotVerified) + CellLines(notVerified, false);
    if (!refused.isEmpty())
        text += QStringLiteral("\r\n") + Msg(kRefusedCells) + CellLines(refused, true);
    if (!failed.isEmpty())
        text += QStringLiteral("\r\n") + Msg(kFailedCells) + CellLines(failed, true);
    return text;
}

void SafeCopy::StartUndo() {
    if (Active())
        return;
    journal_ = hooks_.journal ? hooks_.journal() : nullptr;
    if (!journal_)
        return;
    std::optional<JournalEntry> last;
    QList<JournalCell> recorded;
    try {
        last = journal_->LastCopy(window_.PBXName());
        if (last)
            recorded = journal_->Cells(last->id);
    } catch (const RunError& e) {
        ShowJournalWriteFailed(e.Description());
        return;
    }
    QList<JournalCell> toRestore;
    if (last) {
        for (const JournalCell& cell : recorded) {
            // A write that did not verify and left the old value changed
            // nothing: there is nothing of it to undo.
            if (cell.outcome == CellOutcome::Written || (cell.outcome == CellOutcome::NotVerified &&
                                                         !SameValue(cell.detail, cell.oldValue)))
                toRestore << cell;
        }
    }
    if (!last || toRestore.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kNothingToUndo, QString(), kProductTitle);
        return;
    }
    undoOf_ = *last;
    const QString insert = last->sourceTrunk + u'%' + last->destinationList + u'%' +
                           last->time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (LangMsgBox(kOwnSource, msgbox::own::kUndoQuestion, insert, kProductTitle) != kYes)
        return;
    undoCells_ = toRestore;
    undoSkipped_.clear();
    destinationText_ = last->destinationList;
    sourceTrunk_ = last->sourceTrunk;
    QStringList trunks;
    QSet<QString> seen;
    for (const JournalCell& cell : undoCells_) {
        if (!seen.contains(cell.trunk)) {
            seen.insert(cell.trunk);
            trunks << cell.trunk;
        }
    }
    snapshot_ = TrunkSnapshot();
    reads_ = SnapshotRequests(trunks, ItemsPerTrunk(), step::kUndoRead);
    nextRead_ = 0;
    phase_ = Phase::UndoReading;
    SendNextRead();
}

void SafeCopy::SendUndo() {
    phase_ = Phase::Idle;
    // Cells someone changed since the copy are not overwritten unasked.
    QList<JournalCell> changed;
    QString lines;
    for (const JournalCell& cell : undoCells_) {
        const QString now = snapshot_.Value(cell.trunk, cell.item);
        if (!snapshot_.Has(cell.trunk) || !SameValue(now, ExpectedNow(cell))) {
            changed << cell;
            if (changed.size() <= kListedCells)
                lines += QStringLiteral("\r\n  ") +
                         Msg(kChangedSince).arg(cell.trunk, cell.item, now, ExpectedNow(cell));
        }
    }
    if (changed.size() == undoCells_.size()) {
        // Everything the copy wrote has been changed since: nothing of it is
        // left to undo, and nothing is overwritten.
        ShowAllChangedSince();
        return;
    }
    if (!changed.isEmpty()) {
        if (changed.size() > kListedCells)
            lines += QStringLiteral("\r\n  ") + Msg(text::kMore);
        const int answer = LangMsgBox(kOwnSource, msgbox::own::kUndoConflict, lines, kProductTitle);
        if (answer != kYes && answer != kNo)
            return;  // the engineer cancelled the undo
        if (answer == kNo) {
            QList<JournalCell> kept;
            for (const JournalCell& cell : undoCells_) {
                const QString now = snapshot_.Value(cell.trunk, cell.item);
                if (snapshot_.Has(cell.trunk) && SameValue(now, ExpectedNow(cell))) {
                    kept << cell;
                } else {
                    undoSkipped_ << cell;
                }
            }
            undoCells_ = kept;
        }
    }
    if (undoCells_.isEmpty()) {
        ShowAllChangedSince();
        return;
    }
    cListRequest request;
    for (const JournalCell& cell : undoCells_) {
        const QString value = cell.oldValue == u"NONE" ? QStringLiteral("CCC") : cell.oldValue;
        request.AddToList(cell.item, cell.trunk, value);
    }
    request.SetTag(QString::number(step::kUndoWritten));
    phase_ = Phase::UndoWriting;
    if (!dispatcher_.SendToHost(request)) {
        ReadFailed(QStringLiteral("BUSY / ERROR"), true);
    }
}

void SafeCopy::OnUndoWritten() {
    const bool answered = phase_ == Phase::UndoWriting;
    Reset();
    const cListRequest& answer = dispatcher_.ResponseList();
    QHash<QString, int> entryOf;
    if (answered) {
        for (int i = 0; i < answer.Count(); ++i)
            entryOf.insert(answer.FirstData(i).right(3) + u'/' + answer.CMD(i), i);
    }
    QList<JournalCell> cells;
    QSet<QString> restoredTrunks;
    QSet<QString> allTrunks;
    int restored = 0;
    for (JournalCell cell : undoCells_) {
        allTrunks.insert(cell.trunk);
        // The undo writes the old value back: old and new trade places.
        std::swap(cell.oldValue, cell.newValue);
        const auto found = entryOf.constFind(cell.trunk + u'/' + cell.item);
        if (found == entryOf.constEnd()) {
            cell.outcome = CellOutcome::Failed;
            cell.detail = dispatcher_.FailureReason();
        } else {
            const int ed = ClassifyAnswer(answer.ExtraData(*found));
            const int sd = ClassifyAnswer(answer.SecondData(*found));
            if (ed == code::kOk) {
                cell.outcome = CellOutcome::Undone;
                ++restored;
                restoredTrunks.insert(cell.trunk);
            } else if (IsExchangeAnswer(ed) || sd == code::kCodeNotUsed) {
                cell.outcome = CellOutcome::Refused;
                cell.detail = answer.ExtraData(*found);
            } else {
                cell.outcome = CellOutcome::Failed;
                cell.detail = answer.ExtraData(*found);
            }
        }
        cells << cell;
    }
    for (JournalCell cell : undoSkipped_) {
        allTrunks.insert(cell.trunk);
        std::swap(cell.oldValue, cell.newValue);
        cell.outcome = CellOutcome::Skipped;
        cells << cell;
    }
    QString summary = Msg(kRestored).arg(restored).arg(cells.size()).arg(restoredTrunks.size());
    QList<JournalCell> refused;
    QList<JournalCell> failed;
    for (const JournalCell& cell : cells) {
        if (cell.outcome == CellOutcome::Refused) {
            refused << cell;
        } else if (cell.outcome != CellOutcome::Undone) {
            failed << cell;
        }
    }
    if (!refused.isEmpty())
        summary += QStringLiteral("\r\n") + Msg(kRefusedCells) + CellLines(refused, true);
    if (!failed.isEmpty())
        summary += QStringLiteral("\r\n") + Msg(kFailedCells) + CellLines(failed, true);
    JournalEntry entry = NewEntry(QStringLiteral("Undo"));
    entry.summary = summary;
    entry.undoOf = undoOf_.id;
    Record(entry, cells);
    LangMsgBox(kOwnSource, msgbox::own::kUndoSummary, summary, kProductTitle);
    lastRead_.reset();
}

}  // namespace kestrel
