#include "CopyWriter.h"

#include <QHash>
#include <QSet>

#include "ReportCopyState.h"
#include "TrunkWindow.h"
#include "catalogue/ValueListModel.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/MessageBoxes.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "startup/Globals.h"
#include "tools/AnswerCodes.h"

namespace kestrel {

namespace {

constexpr int kListedFailures = 15;
constexpr int kListedLines = 15;
constexpr int kListedTrunksPerLine = 15;

// Runs one piece of the copy's bookkeeping on its own: a failure undoes that
// piece only and is kept for the step's closing status.
void StoreOnItsOwn(Database* db, const std::function<void()>& work, RunError& lastError) {
    try {
        db->Execute(QStringLiteral("SAVEPOINT copy_piece"));
    } catch (const RunError& e) {
        lastError = e;
        return;
    }
    try {
        work();
        db->Execute(QStringLiteral("RELEASE copy_piece"));
    } catch (const RunError& e) {
        lastError = e;
        try {
            db->Execute(QStringLiteral("ROLLBACK TO copy_piece"));
            db->Execute(QStringLiteral("RELEASE copy_piece"));
        } catch (const RunError& also) {
            // The engine may have ended the transaction itself.
            qCDebug(lcDb, "No savepoint to roll back to: %s", qUtf8Printable(also.Description()));
        }
    }
}

// What one answer entry of a copy did: written ("OK"), refused by the
// exchange, or failed on the way (the link, a cancel: `cancel` set).
CopyWriter::EntryResult::Kind ClassifyEntry(const cListRequest& answer, int i, QString& text,
                                            bool& cancel) {
    const int sd = ClassifyAnswer(answer.SecondData(i));
    const int ed = ClassifyAnswer(answer.ExtraData(i));
    cancel = false;
    if (ed == code::kOk)
        return CopyWriter::EntryResult::Written;
    text = sd == code::kCodeNotUsed ? answer.SecondData(i) : answer.ExtraData(i);
    // "OK" (100) is out of the way, so any other exchange answer refuses.
    if (IsExchangeAnswer(ed) || sd == code::kCodeNotUsed)
        return CopyWriter::EntryResult::Refused;
    cancel = ed == code::kUserCancel;
    return CopyWriter::EntryResult::Failed;
}

}  // namespace

CopyWriter::CopyWriter(TrunkWindow& window, RequestDispatcher& dispatcher, ValueListModel& values,
                       Hooks hooks)
    : window_(window), dispatcher_(dispatcher), values_(values), hooks_(std::move(hooks)) {}

void CopyWriter::RegisterSteps() {
    dispatcher_.RegisterStep(step::kCopyAnswered, [this] { OnCopyAnswered(); });
    dispatcher_.RegisterFailure(step::kCopyAnswered, [this] { OnCopyFailed(); });
}

QString CopyWriter::CellLines(const QList<Cell>& cells) {
    // Items per trunk in the order met, then trunks that took the same items.
    QStringList trunkOrder;
    QHash<QString, QStringList> itemsOf;
    for (const Cell& cell : cells) {
        auto found = itemsOf.find(cell.first);
        if (found == itemsOf.end()) {
            trunkOrder << cell.first;
            found = itemsOf.insert(cell.first, {});
        }
        found->append(cell.second);
    }
    QStringList lineOrder;
    QHash<QString, QStringList> trunksOf;
    for (const QString& trunk : trunkOrder) {
        const QString items = itemsOf.value(trunk).join(QStringLiteral(", "));
        auto found = trunksOf.find(items);
        if (found == trunksOf.end()) {
            lineOrder << items;
            found = trunksOf.insert(items, {});
        }
        found->append(trunk);
    }
    QString text;
    for (int i = 0; i < lineOrder.size() && i < kListedLines; ++i) {
        const QStringList& trunks = trunksOf[lineOrder.at(i)];
        text += QStringLiteral("\r\n  ") +
                trunks.mid(0, kListedTrunksPerLine).join(QStringLiteral(", "));
        if (trunks.size() > kListedTrunksPerLine)
            text += u' ' + Msg(text::kMore);
        text += QStringLiteral(": ") + lineOrder.at(i);
    }
    if (lineOrder.size() > kListedLines)
        text += QStringLiteral("\r\n  ") + Msg(text::kMore);
    return text;
}

QString CopyWriter::RefusedLine(const QString& key) {
    return QStringLiteral("\r\nCM") + key.left(2) + QStringLiteral(", YY=") + key.mid(2);
}

QString CopyWriter::FailedTrunksText(const QStringList& failed) {
    QString text = Msg(text::kCopyIncomplete) + QStringLiteral("\r\n") +
                   Msg(text::kFailedTrunksHead) + QStringLiteral("\r\n");
    const int shown = std::min<int>(static_cast<int>(failed.size()), kListedFailures);
    for (int i = 0; i < shown; ++i) {
        text += failed.at(i);
        const int n = i + 1;
        if (n == 5 || n == 10) {
            text += QStringLiteral("\r\n");
        } else if (n != kListedFailures) {
            text += QStringLiteral("  ");
        }
    }
    if (failed.size() > kListedFailures)
        text += QStringLiteral("\r\n") + Msg(text::kMore);
    return text;
}

void ShowCopyTooLarge(qint64 items, qint64 trunks) {
    LangMsgBox(kOwnSource, msgbox::own::kCopyTooLarge,
               QStringLiteral("%1%%2%%3").arg(items).arg(trunks).arg(cListRequest::kMaxCount),
               kProductTitle);
}

bool CopyWriter::SendCopyRequests(const QStringList& destinations, const QSet<QString>* onlyItems) {
    if (!taker_)
        freshCopy_ = true;  // a copy of one request
    destTrunks_ = destinations;
    sentRows_.clear();
    for (int r = 0; r < values_.rowCount(); ++r) {
        if (!onlyItems || onlyItems->contains(values_.Cell(r, ValueListModel::kCmd)))
            sentRows_.append(r);
    }
    const qint64 entries = static_cast<qint64>(sentRows_.size()) * destinations.size();
    if (entries > cListRequest::kMaxCount) {
        // One record cannot carry it: say so before anything is sent.
        ShowCopyTooLarge(sentRows_.size(), destinations.size());
        return false;
    }
    cListRequest request;
    for (const int r : sentRows_) {
        values_.SetCurrentRow(r);
        QString value = values_.Cell(r, ValueListModel::kData);
        if (value == u"NONE")
            value = QStringLiteral("CCC");
        const QString key = values_.Cell(r, ValueListModel::kCmd);
        for (const QString& trunk : destinations)
            request.AddToList(key, trunk, value);
    }
    values_.SetCurrentRow(values_.rowCount() > 0 ? 0 : -1);
    request.SetTag(QString::number(step::kCopyAnswered));
    if (request.Count() == 0) {
        if (services().messageBoxes)
            services().messageBoxes->Beep();
        ShowNoTrunkData();
        return false;
    }
    if (dispatcher_.SendToHost(request))
        return true;
    if (!taker_)
        dispatcher_.ReportRefused();  // the safety net sums up a refused batch itself
    return false;
}

void CopyWriter::OnCopyAnswered() {
    TakeAnswer(QString());
}

void CopyWriter::OnCopyFailed() {
    TakeAnswer(dispatcher_.FailureReason());
}

void CopyWriter::TakeAnswer(const QString& failure) {
    // The safety net's cells are matched by key and trunk; the plain
    // request's entries by their place.
    if (!sentCells_.isEmpty())
        EvaluateCells(failure);
    else
        Evaluate(failure);
}

void CopyWriter::TellWritten(bool cancelled, const QString& failure) {
    QString lines;
    if (answerRefused_) {
        lines = Msg(text::kMaybeWrittenHead) + CellLines(written_);
    } else if (written_.isEmpty()) {
        lines = Msg(text::kNothingWritten);
    } else {
        lines = Msg(text::kWrittenHead) + CellLines(written_);
    }
    if (!failure.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kCopyEndedAbnormally, failure + u'%' + lines,
                   kProductTitle);
    } else if (cancelled && failedTrunks_.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kCopyCancelledWhileWriting, lines, kProductTitle);
    } else {
        LangMsgBox(kOwnSource, msgbox::own::kCopyFailedTrunks,
                   FailedTrunksText(failedTrunks_) + QStringLiteral("\r\n") + lines, kProductTitle);
    }
}

void CopyWriter::Evaluate(const QString& failure) {
    window_.SetListVisible(false);
    const cListRequest& answer = dispatcher_.ResponseList();
    failedTrunks_.clear();
    written_.clear();
    // An answer that could not be used tells nothing: any cell of the
    // request may have been written.
    answerRefused_ = !dispatcher_.RefusedAnswer().isEmpty();
    if (answerRefused_) {
        for (const int r : sentRows_) {
            for (const QString& trunk : destTrunks_)
                written_.append({trunk, values_.Cell(r, ValueListModel::kCmd)});
        }
    }
    QSet<QString> failedSeen;
    QString refusedText;
    QSet<QString> refusedKeys;
    bool failed = false;
    bool refusal = false;
    bool cancelled = false;
    QList<EntryResult> results;
    RunError lastError(0, QString());
    const int destCount = static_cast<int>(destTrunks_.size());
    // One transaction keeps the bookkeeping fast; every statement in it
    // stands on its own, so a failing one leaves the others in place.
    Database* db = window_.WorkDb();
    bool inTransaction = false;
    try {
        if (db) {
            db->BeginTrans();
            inTransaction = true;
        }
    } catch (const RunError& e) {
        lastError = e;
    }
    for (int i = 0; i < answer.Count() && destCount > 0; ++i) {
        // Entries come item-major: entry i belongs to row i / destinations
        // and to the first destination when i is a multiple of it, whatever
        // trunk numbers the list repeats.
        const int sent = i / destCount;
        const int row = sent < sentRows_.size() ? sentRows_.at(sent) : values_.rowCount();
        const bool firstDestination = i % destCount == 0;
        if (firstDestination)
            values_.SetCurrentRow(row < values_.rowCount() ? row : -1);
        bool written = true;
        const QString trunk = answer.FirstData(i);
        EntryResult result;
        result.trunk = trunk;
        result.item = answer.CMD(i);
        result.value =
            row < values_.rowCount() ? values_.Cell(row, ValueListModel::kData) : QString();
        bool cancel = false;
        result.kind = ClassifyEntry(answer, i, result.text, cancel);
        if (result.kind != EntryResult::Written) {
            if (result.kind == EntryResult::Refused) {
                refusal = true;
                const QString key = answer.CMD(i);
                if (!refusedKeys.contains(key)) {
                    refusedText += RefusedLine(key);
                    refusedKeys.insert(key);
                }
            } else {
                failed = true;
                written = false;
                if (cancel) {
                    cancelled = true;
                    results.append(result);
                    break;
                }
            }
            if (!failedSeen.contains(trunk)) {
                failedSeen.insert(trunk);
                failedTrunks_.append(trunk);
            }
        }
        results.append(result);
        if (result.kind == EntryResult::Written)
            written_.append({trunk, result.item});
        if (firstDestination && written && row < values_.rowCount())
            TakeAsOriginal(row, lastError);
    }
    values_.SetCurrentRow(values_.rowCount() > 0 ? 0 : -1);
    window_.SetListVisible(true);

    if (taker_) {
        // The safety net sums up once every request of the copy is done.
    } else if (failed || !failure.isEmpty()) {
        // Whatever stopped the copy, the engineer learns what it wrote.
        TellWritten(cancelled, failure);
    } else if (refusal) {
        LangMsgBox(kOwnSource, msgbox::own::kItemsRefused, refusedText, kProductTitle);
    } else {
        window_.CollapseAll();
        LangMsgBox(kOwnSource, msgbox::own::kCopyDone, QString(), kProductTitle);
    }

    if (db) {
        // How each item ended, for the report: an item is as bad as its
        // worst entry, and one with an entry unanswered was not written.
        QHash<QString, CopiedState> stateOf;
        QHash<QString, int> answered;
        for (const EntryResult& r : results) {
            CopiedState& state = stateOf[r.item];
            if (r.kind == EntryResult::Failed) {
                state = CopiedState::NotWritten;
            } else if (r.kind == EntryResult::Refused && state == CopiedState::Written) {
                state = CopiedState::Refused;
            }
            ++answered[r.item];
        }
        QList<CopiedItem> items;
        for (const int r : sentRows_) {
            const QString key = values_.Cell(r, ValueListModel::kCmd);
            items.append({key, answered.value(key) < destCount ? CopiedState::NotWritten
                                                               : stateOf.value(key)});
        }
        StoreCopyForReport(*db, items, lastError);
    }
    try {
        if (inTransaction && db->InTransaction())
            db->CommitTrans();
    } catch (const RunError& e) {
        lastError = e;
        try {
            db->Rollback();
        } catch (const RunError& also) {
            qCWarning(lcDb, "The rollback after the failed commit failed too: %s [%d]",
                      qUtf8Printable(also.Description()), also.Number());
        }
    }
    window_.SetHourglass(false);
    if (!g_Standalone) {
        dispatcher_.ShowHostMessage(lastError.Description());
        dispatcher_.ShowHostCode(lastError.Number());
    }
    if (taker_)
        taker_(results, cancelled, failure);
}

void CopyWriter::TakeAsOriginal(int row, RunError& lastError) {
    const QString key = values_.Cell(row, ValueListModel::kCmd);
    const QString value = values_.Cell(row, ValueListModel::kData);
    values_.SetCell(row, ValueListModel::kOriginal, value);
    if (hooks_.markWrittenValue)
        hooks_.markWrittenValue(key, value);
    if (hooks_.updateListupData) {
        // One statement: on failure it has changed nothing.
        try {
            hooks_.updateListupData(key, value);
        } catch (const RunError& e) {
            lastError = e;
        }
    }
}

void CopyWriter::StoreCopyForReport(Database& db, const QList<CopiedItem>& items,
                                    RunError& lastError) {
    // The row of the last copy is replaced whole or not at all.
    StoreOnItsOwn(
        &db,
        [&] {
            db.Execute(QStringLiteral("DELETE * FROM CopyTrunk"));
            db.Execute(QStringLiteral("DELETE * FROM CopyOutcome"));
            db.Execute(QStringLiteral("INSERT INTO CopyTrunk (Trunk) VALUES (?)"),
                       {window_.DestinationText()});
        },
        lastError);
    StoreOnItsOwn(
        &db, [&] { StoreCopiedItems(db, items, freshCopy_); }, lastError);
    freshCopy_ = false;
}

bool CopyWriter::SendCells(const QList<CellWrite>& cells) {
    sentCells_.clear();
    cListRequest request;
    for (const CellWrite& cell : cells) {
        sentCells_.insert(cell.trunk + u'/' + cell.item, cell);
        request.AddToList(cell.item, cell.trunk,
                          cell.value == u"NONE" ? QStringLiteral("CCC") : cell.value);
    }
    request.SetTag(QString::number(step::kCopyAnswered));
    if (request.Count() == 0 || request.Count() > cListRequest::kMaxCount) {
        sentCells_.clear();
        return false;
    }
    dispatcher_.AnswerNextAtOnce();
    if (dispatcher_.SendToHost(request))
        return true;
    sentCells_.clear();
    return false;
}

void CopyWriter::EvaluateCells(const QString& failure) {
    const cListRequest& answer = dispatcher_.ResponseList();
    failedTrunks_.clear();
    written_.clear();
    answerRefused_ = !dispatcher_.RefusedAnswer().isEmpty();
    QList<EntryResult> results;
    QSet<QString> answered;
    bool cancelled = false;
    for (int i = 0; i < answer.Count() && !cancelled; ++i) {
        // An entry is its cell's by item key and trunk; one the request did
        // not hold, or a cell answered twice, tells nothing more.
        const QString key = answer.FirstData(i) + u'/' + answer.CMD(i);
        const auto sent = sentCells_.constFind(key);
        if (sent == sentCells_.constEnd() || answered.contains(key))
            continue;
        answered.insert(key);
        EntryResult result;
        result.trunk = sent->trunk;
        result.item = sent->item;
        result.value = sent->value;
        result.kind = ClassifyEntry(answer, i, result.text, cancelled);
        if (result.kind == EntryResult::Written)
            written_.append({result.trunk, result.item});
        else if (!failedTrunks_.contains(result.trunk))
            failedTrunks_.append(result.trunk);
        results.append(result);
    }
    if (answerRefused_) {
        written_.clear();
        for (const CellWrite& cell : std::as_const(sentCells_))
            written_.append({cell.trunk, cell.item});
    }
    sentCells_.clear();
    window_.SetHourglass(false);
    if (taker_)
        taker_(results, cancelled, failure);
}

void CopyWriter::TakeFinishedCopy(const QStringList& reachedFirst, const QList<CopiedItem>& items) {
    RunError lastError(0, QString());
    for (const QString& key : reachedFirst) {
        for (int row = 0; row < values_.rowCount(); ++row) {
            if (values_.Cell(row, ValueListModel::kCmd) == key) {
                TakeAsOriginal(row, lastError);
                break;
            }
        }
    }
    freshCopy_ = true;
    if (Database* db = window_.WorkDb())
        StoreCopyForReport(*db, items, lastError);
    window_.SetListVisible(true);
    if (!g_Standalone) {
        dispatcher_.ShowHostMessage(lastError.Description());
        dispatcher_.ShowHostCode(lastError.Number());
    }
}

}  // namespace kestrel
