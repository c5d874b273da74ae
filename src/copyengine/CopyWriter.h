#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "ReportCopyState.h"

namespace kestrel {

class Database;
class RequestDispatcher;
class RunError;
class TrunkWindow;
class ValueListModel;

// Copy: one request with every item for every destination trunk (step 10
// evaluates the answer), the value list, tree and stored list-up following
// what reached the first destination, and one summary message.
class CopyWriter {
public:
    struct Hooks {
        // Marks a written value as the item's original in the tree.
        std::function<void(const QString& cmd, const QString& value)> markWrittenValue;
        // Rewrites the stored list-up value of an item.
        std::function<void(const QString& cmd, const QString& value)> updateListupData;
    };

    // What one answer entry of a copy did to its destination.
    struct EntryResult {
        enum Kind { Written, Refused, Failed };
        QString trunk;
        QString item;
        QString value;  // as the value list held it ("NONE", not "CCC")
        Kind kind = Written;
        QString text;  // the exchange's answer when it is not "OK"
    };
    // Takes the evaluation of an answer in place of the summary message (the
    // safety net sums up several requests at once). `cancelled`: the walk
    // stopped at the engineer's cancel; the entries after it are missing.
    // `failure`: why the answer as a whole failed (an error code, a refused
    // answer), empty when it did not; its entries still tell what they can.
    using EvaluationTaker = std::function<void(const QList<EntryResult>& results, bool cancelled,
                                               const QString& failure)>;
    // One destination cell: trunk and item key.
    using Cell = QPair<QString, QString>;
    // One cell the safety net writes: trunk, item key and the value as the
    // value list holds it.
    struct CellWrite {
        QString trunk;
        QString item;
        QString value;
    };

    CopyWriter(TrunkWindow& window, RequestDispatcher& dispatcher, ValueListModel& values,
               Hooks hooks);
    void RegisterSteps();

    // Builds and sends the copy request for the checked destinations: every
    // item of the value list, or only those named in `onlyItems`.
    // False when nothing was sent.
    bool SendCopyRequests(const QStringList& destinations,
                          const QSet<QString>* onlyItems = nullptr);
    // The safety net's request: only the cells given, whose answer is
    // evaluated by item key and trunk, whatever its order (the taker gets
    // it). False when nothing was sent.
    bool SendCells(const QList<CellWrite>& cells);
    // The safety net's copy has ended: the items that reached the first
    // destination become the originals (tree, list, stored list-up), and
    // the report's tables take the copy as a whole.
    void TakeFinishedCopy(const QStringList& reachedFirst, const QList<CopiedItem>& items);
    void OnCopyAnswered();
    // Step 15 of a copy: the answer failed as a whole, yet its entries still
    // tell what was written, and the engineer is told that.
    void OnCopyFailed();
    // A taker set starts a copy of several requests.
    void SetEvaluationTaker(EvaluationTaker taker) {
        freshCopy_ = freshCopy_ || static_cast<bool>(taker);
        taker_ = std::move(taker);
    }

    const QStringList& DestTrunks() const { return destTrunks_; }
    const QStringList& FailedTrunks() const { return failedTrunks_; }
    // The cells the last evaluated answer reported written ("OK"), in its
    // order; after a refused answer, every cell of the request (any may
    // have been written).
    const QList<Cell>& Written() const { return written_; }
    // A new copy has written nothing yet, whatever the last one wrote.
    void ForgetWritten() { written_.clear(); }

    // The insert text of own message 6 for a list of failed trunks.
    static QString FailedTrunksText(const QStringList& failed);
    // One refused item's line: "\r\n" "CM" + key[0..1] + ", YY=" + the rest.
    static QString RefusedLine(const QString& key);
    // The lines naming written cells: one per set of trunks that took the
    // same items ("  005, 006: 3001, 3002"), at most 15, then "more...".
    static QString CellLines(const QList<Cell>& cells);

private:
    void TakeAnswer(const QString& failure);
    void Evaluate(const QString& failure);
    void EvaluateCells(const QString& failure);
    // Takes an item's value as written to the first destination: the list's
    // original, the tree's mark, the stored list-up. False on a database
    // failure (kept in lastError).
    void TakeAsOriginal(int row, RunError& lastError);
    // The last copy's row of CopyTrunk and its items' states, for the report.
    void StoreCopyForReport(Database& db, const QList<CopiedItem>& items, RunError& lastError);
    // Own message 6, 33 or 34 with what was written: after a failure, a
    // cancel or a failed answer.
    void TellWritten(bool cancelled, const QString& failure);

    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    ValueListModel& values_;
    Hooks hooks_;
    QStringList destTrunks_;
    QList<int> sentRows_;  // value-list rows of the request, in its order
    // The safety net's request: its cells by "trunk/item" (empty otherwise).
    QHash<QString, CellWrite> sentCells_;
    QStringList failedTrunks_;
    QList<Cell> written_;
    bool answerRefused_ = false;
    // The next request answered is the first of its copy: the report's
    // item states start afresh with it.
    bool freshCopy_ = true;
    EvaluationTaker taker_;
};

// Tells the engineer that a copy of `items` items to `trunks` trunks needs
// more entries than one request can carry, and that nothing was sent.
void ShowCopyTooLarge(qint64 items, qint64 trunks);

}  // namespace kestrel
