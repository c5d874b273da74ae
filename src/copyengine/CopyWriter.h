#pragma once

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

    CopyWriter(TrunkWindow& window, RequestDispatcher& dispatcher, ValueListModel& values,
               Hooks hooks);
    void RegisterSteps();

    // Builds and sends the copy request for the checked destinations.
    void SendCopyRequests(const QStringList& destinations);
    void OnCopyAnswered();

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
    QStringList failedTrunks_;
};

// The own message telling the engineer a copy is too large for one request.
constexpr int kCopyTooLargeMessage = 15;

// Tells the engineer that a copy of `items` items to `trunks` trunks needs
// more entries than one request can carry, and that nothing was sent.
void ShowCopyTooLarge(qint64 items, qint64 trunks);

}  // namespace kestrel
