#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace kestrel {

class RequestDispatcher;
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
    using EvaluationTaker = std::function<void(const QList<EntryResult>& results, bool cancelled)>;

    CopyWriter(TrunkWindow& window, RequestDispatcher& dispatcher, ValueListModel& values,
               Hooks hooks);
    void RegisterSteps();

    // Builds and sends the copy request for the checked destinations: every
    // item of the value list, or only those named in `onlyItems`.
    // False when nothing was sent.
    bool SendCopyRequests(const QStringList& destinations,
                          const QSet<QString>* onlyItems = nullptr);
    void OnCopyAnswered();
    void SetEvaluationTaker(EvaluationTaker taker) { taker_ = std::move(taker); }

    const QStringList& DestTrunks() const { return destTrunks_; }
    const QStringList& FailedTrunks() const { return failedTrunks_; }

    // The insert text of own message 6 for a list of failed trunks.
    static QString FailedTrunksText(const QStringList& failed);
    // One refused item's line: "\r\n" "CM" + key[0..1] + ", YY=" + the rest.
    static QString RefusedLine(const QString& key);

private:
    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    ValueListModel& values_;
    Hooks hooks_;
    QStringList destTrunks_;
    QList<int> sentRows_;  // value-list rows of the request, in its order
    QStringList failedTrunks_;
    EvaluationTaker taker_;
};

// Tells the engineer that a copy of `items` items to `trunks` trunks needs
// more entries than one request can carry, and that nothing was sent.
void ShowCopyTooLarge(qint64 items, qint64 trunks);

}  // namespace kestrel
