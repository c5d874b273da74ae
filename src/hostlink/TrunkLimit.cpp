#include "TrunkLimit.h"

#include <QStringList>

#include "HostProgramme.h"

namespace kestrel {

int MaxTrunkForVersion(HostProgramme* host, const QString& exchangeName) {
    int result = 511;
    try {
        if (!host || !host->oOPX())
            return result;
        const QStringList words = host->oOPX()->GetMPVersion(exchangeName).split(u' ');
        if (words.size() < 2)
            return result;
        const QString& first = words.at(0);
        const QString& second = words.at(1);
        if (first.left(3) == u"SC-" && !second.isEmpty() && second.at(0).unicode() <= u'M') {
            result = 255;
        }
    } catch (...) {
        // The host could not tell: keep the larger range.
    }
    return result;
}

}  // namespace kestrel
