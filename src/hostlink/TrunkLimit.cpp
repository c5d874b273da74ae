#include "TrunkLimit.h"

#include <QStringList>

#include "HostCalls.h"
#include "HostProgramme.h"

namespace kestrel {

int MaxTrunkForVersion(HostProgramme* host, const QString& exchangeName) {
    int result = 511;
    if (!host || !host->oOPX())
        return result;
    QString version;
    // The host could not tell: keep the larger range.
    if (!TryHostCall("to tell the processor version",
                     [&] { version = host->oOPX()->GetMPVersion(exchangeName); }))
        return result;
    const QStringList words = version.split(u' ');
    if (words.size() < 2)
        return result;
    const QString& first = words.at(0);
    const QString& second = words.at(1);
    if (first.left(3) == u"SC-" && !second.isEmpty() && second.at(0).unicode() <= u'M') {
        result = 255;
    }
    return result;
}

}  // namespace kestrel
