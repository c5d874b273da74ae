#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace kestrel {

class RequestDispatcher;
class TrunkWindow;
class ValueListModel;

// Get: checks the source trunk with the exchange (step 13), asks for all
// of its items (step 11) and stores the answer in the work tables and the
// value list.
class SourceTrunkReader {
public:
    SourceTrunkReader(TrunkWindow& window, RequestDispatcher& dispatcher, ValueListModel& values);

    // Registers steps 13 and 11 with the dispatcher, and what a failed
    // answer of either tells the engineer.
    void RegisterSteps();

    void GetSourceTrunk();
    void OnSourceTrunkChecked();
    void RequestTrunkListup();
    void StoreTrunkListup();
    // A failed or refused answer of the check or the list-up: nothing has
    // been changed, and a box says so.
    void OnReadFailed();
    // Rewrites the stored value of one item (after a copy has written it).
    // A failing statement raises RunError: the copy reports it once, on the
    // host's status line, instead of a box per item.
    void UpdateListupData(const QString& cmd, const QString& data);

    // Keys of the last list-up that the catalogue does not know.
    const QStringList& UnknownKeys() const { return unknownKeys_; }
    // The trunk whose data the work tables and the value list hold.
    const QString& TrunkRead() const { return trunkRead_; }
    // When the exchange answered the last Get that was stored whole: what
    // changed on the trunks after it, this engineer has not seen. Taken as
    // the answer arrived, not once the engineer has closed its box.
    const QDateTime& ReadAt() const { return readAt_; }
    // Told once each Get has ended: true when the trunk was read and stored
    // whole, false when it was refused, failed, cancelled or not assigned.
    void SetFinished(std::function<void(bool stored)> finished) { finished_ = std::move(finished); }

private:
    void HostMessage(const QString& text);
    bool WriteListup(bool& failure, bool& cancelled);

    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    ValueListModel& values_;
    void Finished(bool stored);

    QStringList unknownKeys_;
    QString trunkRead_;
    QDateTime readAt_;
    std::function<void(bool)> finished_;
};

}  // namespace kestrel
