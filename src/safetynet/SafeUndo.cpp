#include "SafeUndo.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include "SafeCopyTexts.h"
#include "copyengine/ReportCopyState.h"
#include "copyengine/TrunkWindow.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/RunError.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;

// What a destination should hold now if nobody touched it since the copy:
// the value written, or for a write that did not verify, what was read back.
QString ExpectedNow(const JournalCell& cell) {
    return cell.outcome == CellOutcome::NotVerified ? cell.detail : cell.newValue;
}

// Every value the copy wrote has changed since: the undo writes nothing.
void ShowAllChangedSince() {
    LangMsgBox(kOwnSource, msgbox::own::kAllChangedSince, QString(), kProductTitle);
}

// A cell the copy may have written: answered written, not verified to a
// value other than the old one, or sent and never answered.
bool MayHaveWritten(const JournalCell& cell) {
    return cell.outcome == CellOutcome::Written || cell.outcome == CellOutcome::Pending ||
           (cell.outcome == CellOutcome::NotVerified && !SameValue(cell.detail, cell.oldValue));
}

}  // namespace

SafeUndo::SafeUndo(TrunkWindow& window, RequestDispatcher& dispatcher,
                   std::function<CopyJournal*()> journal,
                   std::function<std::optional<JournalEntry>(const QString&)> lastCopy,
                   std::function<int()> itemsPerTrunk)
    : window_(window),
      dispatcher_(dispatcher),
      journal_(std::move(journal)),
      lastCopy_(std::move(lastCopy)),
      itemsPerTrunk_(std::move(itemsPerTrunk)),
      reads_(dispatcher) {}

void SafeUndo::RegisterSteps() {
    dispatcher_.RegisterStep(step::kUndoRead, [this] { reads_.OnAnswer(); });
    dispatcher_.RegisterFailure(step::kUndoRead, [this] { reads_.OnFailedAnswer(); });
    dispatcher_.RegisterStep(step::kUndoWritten, [this] { OnWritten(); });
    // Whatever entries a failed answer carries still count.
    dispatcher_.RegisterFailure(step::kUndoWritten, [this] {
        if (writing_)
            OnWritten();
    });
}

void SafeUndo::Start() {
    if (Active())
        return;
    using_ = journal_ ? journal_() : nullptr;
    if (!using_)
        return;
    std::optional<JournalEntry> last;
    QList<JournalCell> recorded;
    try {
        last = lastCopy_ ? lastCopy_(window_.PBXName()) : using_->LastCopy(window_.PBXName());
        if (last)
            recorded = using_->Cells(last->id);
    } catch (const RunError& e) {
        ShowJournalWriteFailed(e.Description());
        return;
    }
    toRestore_.clear();
    skipped_.clear();
    for (const JournalCell& cell : recorded) {
        if (MayHaveWritten(cell))
            toRestore_ << cell;
    }
    if (!last || toRestore_.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kNothingToUndo, QString(), kProductTitle);
        return;
    }
    undoOf_ = *last;
    if (!last->desk.engineer.isEmpty() && last->desk.engineer != ThisDesk().engineer) {
        // A colleague's copy: the question names whose and when, and stands
        // for the plain one. The undo is recorded as this engineer's.
        const QDateTime when = last->time.toLocalTime();
        const QString insert = DeskName(last->desk) + u'%' +
                               when.toString(QStringLiteral("yyyy-MM-dd")) + u'%' +
                               when.toString(QStringLiteral("HH:mm")) + u'%' + last->sourceTrunk +
                               u'%' + last->destinationList;
        if (LangMsgBox(kOwnSource, msgbox::own::kUndoColleaguesCopy, insert, kProductTitle) != kYes)
            return;
    } else {
        const QString insert = last->sourceTrunk + u'%' + last->destinationList + u'%' +
                               last->time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        if (LangMsgBox(kOwnSource, msgbox::own::kUndoQuestion, insert, kProductTitle) != kYes)
            return;
    }
    QStringList trunks;
    QSet<QString> seen;
    for (const JournalCell& cell : std::as_const(toRestore_)) {
        if (!seen.contains(cell.trunk)) {
            seen.insert(cell.trunk);
            trunks << cell.trunk;
        }
    }
    reads_.Start(
        trunks, itemsPerTrunk_(), step::kUndoRead, [this](TrunkSnapshot& now) { OnRead(now); },
        [this](const QString& reason) {
            ShowDestinationsUnread(reason);
            Record({}, JournalSummary().Text(summary::kFailedCells).Plain(u' ' + reason));
        });
}

void SafeUndo::OnRead(TrunkSnapshot& now) {
    // A cell of a copy cut off that still holds the old value was never
    // written: there is nothing of it to undo.
    QList<JournalCell> candidates;
    for (const JournalCell& cell : std::as_const(toRestore_)) {
        const bool holdsOld = now.NotSet(cell.trunk, cell.item)
                                  ? cell.oldValue == kNotSetValue
                                  : cell.oldValue != kNotSetValue &&
                                        SameValue(now.Value(cell.trunk, cell.item), cell.oldValue);
        if (cell.outcome == CellOutcome::Pending && now.Has(cell.trunk) && holdsOld)
            continue;
        candidates << cell;
    }
    // What each trunk held just before the undo is its old value in the
    // journal, whoever put it there.
    heldBefore_.clear();
    for (const JournalCell& cell : std::as_const(candidates)) {
        heldBefore_.insert(cell.trunk + u'/' + cell.item, now.NotSet(cell.trunk, cell.item)
                                                              ? kNotSetValue
                                                              : now.Value(cell.trunk, cell.item));
    }
    // Cells someone changed since the copy are not overwritten unasked.
    auto holdsCopy = [&now](const JournalCell& cell) {
        return now.Has(cell.trunk) &&
               SameValue(now.Value(cell.trunk, cell.item), ExpectedNow(cell));
    };
    QList<JournalCell> changed;
    QString lines;
    for (const JournalCell& cell : std::as_const(candidates)) {
        if (!holdsCopy(cell)) {
            changed << cell;
            if (changed.size() <= summary::kListedCells) {
                lines += QStringLiteral("\r\n  ") + Msg(summary::kChangedSince)
                                                        .arg(cell.trunk, cell.item,
                                                             now.Value(cell.trunk, cell.item),
                                                             ExpectedNow(cell));
            }
        }
    }
    if (candidates.isEmpty()) {
        // A copy cut off before any of its writes reached a trunk.
        LangMsgBox(kOwnSource, msgbox::own::kNothingToUndo, QString(), kProductTitle);
        return;
    }
    if (changed.size() == candidates.size()) {
        ShowAllChangedSince();
        return;
    }
    if (!changed.isEmpty()) {
        if (changed.size() > summary::kListedCells)
            lines += QStringLiteral("\r\n  ") + Msg(text::kMore);
        const int answer = LangMsgBox(kOwnSource, msgbox::own::kUndoConflict, lines, kProductTitle);
        if (answer != kYes && answer != kNo)
            return;  // the engineer cancelled the undo
        if (answer == kNo) {
            QList<JournalCell> kept;
            for (const JournalCell& cell : std::as_const(candidates)) {
                if (holdsCopy(cell)) {
                    kept << cell;
                } else {
                    skipped_ << cell;
                }
            }
            candidates = kept;
        }
    }
    // A value the exchange held as not set cannot be written back.
    toRestore_.clear();
    for (JournalCell cell : std::as_const(candidates)) {
        if (cell.oldValue == kNotSetValue) {
            cell.detail = Msg(text::kCannotBeUndone);
            skipped_ << cell;
        } else {
            toRestore_ << cell;
        }
    }
    if (toRestore_.isEmpty()) {
        if (skipped_.isEmpty()) {
            ShowAllChangedSince();
        } else {
            OnWritten();
        }
        return;
    }
    cListRequest request;
    for (const JournalCell& cell : std::as_const(toRestore_)) {
        const QString value = cell.oldValue == u"NONE" ? QStringLiteral("CCC") : cell.oldValue;
        request.AddToList(cell.item, cell.trunk, value);
    }
    request.SetTag(QString::number(step::kUndoWritten));
    writing_ = true;
    dispatcher_.AnswerNextAtOnce();
    if (!dispatcher_.SendToHost(request)) {
        writing_ = false;
        ShowDestinationsUnread(QStringLiteral("BUSY / ERROR"));
        Record({},
               JournalSummary().Text(summary::kFailedCells).Plain(QStringLiteral(" BUSY / ERROR")));
    }
}

void SafeUndo::OnWritten() {
    const bool answered = writing_;
    writing_ = false;
    const cListRequest& answer = dispatcher_.ResponseList();
    QHash<QString, int> entryOf;
    if (answered) {
        for (int i = 0; i < answer.Count(); ++i)
            entryOf.insert(answer.FirstData(i).right(3) + u'/' + answer.CMD(i), i);
    }
    QList<JournalCell> cells;
    QSet<QString> restoredTrunks;
    int restored = 0;
    for (JournalCell cell : std::as_const(toRestore_)) {
        // The undo writes the copy's old value back over what the trunk held.
        cell.newValue = cell.oldValue;
        cell.oldValue = heldBefore_.value(cell.trunk + u'/' + cell.item);
        const auto found = entryOf.constFind(cell.trunk + u'/' + cell.item);
        if (found == entryOf.constEnd()) {
            cell.outcome = CellOutcome::Failed;
            cell.detail = dispatcher_.FailureReason();
        } else {
            const int ed = ClassifyAnswer(answer.ExtraData(*found));
            const int sd = ClassifyAnswer(answer.SecondData(*found));
            cell.detail = answer.ExtraData(*found);
            if (ed == code::kOk) {
                cell.outcome = CellOutcome::Undone;
                cell.detail.clear();
                ++restored;
                restoredTrunks.insert(cell.trunk);
            } else if (IsExchangeAnswer(ed) || sd == code::kCodeNotUsed) {
                cell.outcome = CellOutcome::Refused;
            } else {
                cell.outcome = CellOutcome::Failed;
            }
        }
        cells << cell;
    }
    for (JournalCell cell : std::as_const(skipped_)) {
        cell.newValue = cell.oldValue;
        cell.oldValue = heldBefore_.value(cell.trunk + u'/' + cell.item, cell.newValue);
        cell.outcome = CellOutcome::Skipped;
        cells << cell;
    }
    JournalSummary text;
    text.Text(summary::kRestored, {QString::number(restored), QString::number(cells.size()),
                                   QString::number(restoredTrunks.size())});
    QList<JournalCell> refused;
    QList<JournalCell> failed;
    for (const JournalCell& cell : std::as_const(cells)) {
        if (cell.outcome == CellOutcome::Refused) {
            refused << cell;
        } else if (cell.outcome != CellOutcome::Undone) {
            failed << cell;
        }
    }
    AddCellLines(text, summary::kRefusedCells, refused, true);
    AddCellLines(text, summary::kFailedCells, failed, true);
    Record(cells, text);
    StoreForReport(cells);
    LangMsgBox(kOwnSource, msgbox::own::kUndoSummary, text.Render(), kProductTitle);
}

void SafeUndo::StoreForReport(const QList<JournalCell>& cells) {
    Database* db = window_.WorkDb();
    if (!db)
        return;
    // Per destination, in the order met: what the undo did there.
    QList<UndoneTrunk> trunks;
    QHash<QString, qsizetype> at;
    for (const JournalCell& cell : cells) {
        auto found = at.constFind(cell.trunk);
        if (found == at.constEnd()) {
            found = at.insert(cell.trunk, trunks.size());
            trunks.append(UndoneTrunk{cell.trunk, 0, 0, 0});
        }
        UndoneTrunk& trunk = trunks[*found];
        if (cell.outcome == CellOutcome::Undone) {
            ++trunk.restored;
        } else if (cell.outcome == CellOutcome::Refused) {
            ++trunk.refused;
        } else {
            ++trunk.notRestored;
        }
    }
    try {
        StoreUndoOutcome(*db, undoOf_.exchange, undoOf_.sourceTrunk, undoOf_.destinationList,
                         trunks);
    } catch (const RunError& e) {
        // The report then still shows the copy; the host's line says why.
        dispatcher_.ShowHostMessage(e.Description());
    }
}

void SafeUndo::Record(const QList<JournalCell>& cells, const JournalSummary& text) {
    if (!using_)
        return;
    JournalEntry entry;
    entry.kind = QStringLiteral("Undo");
    entry.time = QDateTime::currentDateTime();
    entry.exchange = window_.PBXName();
    entry.sourceTrunk = undoOf_.sourceTrunk;
    entry.destinationList = undoOf_.destinationList;
    entry.made = text;
    entry.undoOf = undoOf_.id;
    try {
        using_->Record(entry, cells);
    } catch (const RunError& e) {
        ShowJournalWriteFailed(e.Description());
    }
}

}  // namespace kestrel
