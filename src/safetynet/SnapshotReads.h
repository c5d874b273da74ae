#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "TrunkSnapshot.h"
#include "hostlink/cListRequest.h"

namespace kestrel {

class RequestDispatcher;

// Reads what some trunks hold, one list-up request after the other through
// the window's dispatcher, into one snapshot. Its owner registers the step
// the requests carry and routes that step's answer and failure here.
class SnapshotReads {
public:
    using Done = std::function<void(TrunkSnapshot& snapshot)>;
    using Failed = std::function<void(const QString& reason)>;

    explicit SnapshotReads(RequestDispatcher& dispatcher) : dispatcher_(dispatcher) {}

    void Start(const QStringList& trunks, int itemsPerTrunk, std::int16_t step, Done done,
               Failed failed);
    bool Active() const { return active_; }
    void OnAnswer();
    void OnFailedAnswer();
    void Stop() { active_ = false; }

private:
    void SendNext();
    void Fail(const QString& reason);

    RequestDispatcher& dispatcher_;
    QList<cListRequest> requests_;
    int next_ = 0;
    TrunkSnapshot snapshot_;
    Done done_;
    Failed failed_;
    bool active_ = false;
};

}  // namespace kestrel
