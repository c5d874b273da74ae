// The destination list as typed: the first line is the highest trunk of the
// exchange, the rest the list.
#include "FuzzInput.h"
#include "copyengine/TrunkRange.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [highestText, list] = fuzz::TwoTexts(data, size);
    const int highest = highestText.toInt();
    const TrunkRangeResult r = ParseTrunkRange(list, highest);
    fuzz::Require(r.count >= 0 && r.numberErrors >= 0, "counts are never negative");
    fuzz::Require(r.trunks.size() == std::min<qint64>(r.count, kMaxListedTrunks),
                  "the trunks kept are the first of those counted");
    for (const QString& trunk : r.trunks) {
        bool ok = false;
        const int n = trunk.toInt(&ok);
        fuzz::Require(ok && trunk.size() >= 3, "a trunk is three digits at least");
        fuzz::Require(n >= 0 && n <= highest, "a trunk lies between 0 and the highest");
    }
    return 0;
}
