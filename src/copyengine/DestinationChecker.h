#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kestrel {

class RequestDispatcher;
class TrunkWindow;
struct TrunkRangeResult;

// The first step of Copy: the destination list taken apart, each trunk
// checked with the exchange (step 12), the ones not assigned or out of
// range reported and left out, the rest handed to the copy.
class DestinationChecker {
public:
    using CopyStarter = std::function<void(const QStringList& destinations)>;
    using ItemCounter = std::function<int()>;

    // `itemCount` tells how many items a copy would write to each trunk.
    DestinationChecker(TrunkWindow& window, RequestDispatcher& dispatcher, CopyStarter startCopy,
                       ItemCounter itemCount = {});
    void RegisterSteps();

    // When it answers true, a copy goes out in several requests if it must,
    // so only a list the check itself cannot carry is refused.
    void SetCopiesBatched(std::function<bool()> batched) { batched_ = std::move(batched); }

    void ParseTrunkRange();
    // `checked`: the trunks a strict reading of the list already gave (the
    // safety net's), taken instead of the plain reading and its message 4.
    void CheckDestinationTrunks(const TrunkRangeResult* checked = nullptr);
    void OnDestinationsChecked();

    const QStringList& DestTrunks() const { return destTrunks_; }
    int DestCount() const { return static_cast<int>(destTrunks_.size()); }

private:
    TrunkWindow& window_;
    RequestDispatcher& dispatcher_;
    CopyStarter startCopy_;
    ItemCounter itemCount_;
    std::function<bool()> batched_;
    QStringList destTrunks_;
    qint64 listedCount_ = 0;
};

}  // namespace kestrel
