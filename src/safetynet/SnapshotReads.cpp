#include "SnapshotReads.h"

#include "hostlink/RequestDispatcher.h"

namespace kestrel {

void SnapshotReads::Start(const QStringList& trunks, int itemsPerTrunk, std::int16_t step,
                          Done done, Failed failed) {
    requests_ = SnapshotRequests(trunks, itemsPerTrunk, step);
    next_ = 0;
    snapshot_ = TrunkSnapshot();
    done_ = std::move(done);
    failed_ = std::move(failed);
    active_ = true;
    SendNext();
}

void SnapshotReads::SendNext() {
    if (next_ >= requests_.size()) {
        active_ = false;
        done_(snapshot_);
        return;
    }
    cListRequest request = requests_.at(next_++);
    dispatcher_.AnswerNextAtOnce();
    if (!dispatcher_.SendToHost(request))
        Fail(QStringLiteral("BUSY / ERROR"));
}

void SnapshotReads::OnAnswer() {
    if (!active_)
        return;
    TakeSnapshotAnswer(dispatcher_.ResponseList(), snapshot_);
    if (!snapshot_.complete) {
        Fail(snapshot_.failure);
        return;
    }
    SendNext();
}

void SnapshotReads::OnFailedAnswer() {
    if (active_)
        Fail(dispatcher_.FailureReason());
}

void SnapshotReads::Fail(const QString& reason) {
    active_ = false;
    failed_(reason);
}

}  // namespace kestrel
