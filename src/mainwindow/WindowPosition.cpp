#include "WindowPosition.h"

#include <QStringList>
#include <cmath>

#include "hostlink/HostCalls.h"
#include "hostlink/HostProgramme.h"
#include "platform/Logging.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {
const QString kAddin = QStringLiteral("Kestrel");
constexpr int kGripWidth = 80;
constexpr int kGripHeight = 10;
}  // namespace

QString ReadHostSetting(HostProgramme* host, const QString& key) {
    if (!host)
        return {};
    try {
        return host->GetComData(kAddin, key);
    } catch (const RunError& e) {
        // The host answers an error when nothing is stored: not a failure.
        qCDebug(lcHostlink, "Nothing stored for %s: %s [%d]", qUtf8Printable(key),
                qUtf8Printable(e.Description()), e.Number());
        return {};
    }
}

void SaveHostSetting(HostProgramme* host, const QString& key, const QString& value) {
    if (!host)
        return;
    TryHostCall("to store a setting", [&] { host->REGComData(kAddin, key, value); });
}

std::optional<QPoint> ParsePosition(const QString& stored) {
    const QStringList pieces = stored.split(u',');
    if (pieces.size() != 2)
        return std::nullopt;
    bool okLeft = false;
    bool okTop = false;
    const float left = pieces.at(0).trimmed().toFloat(&okLeft);
    const float top = pieces.at(1).trimmed().toFloat(&okTop);
    if (!okLeft || !okTop || !std::isfinite(left) || !std::isfinite(top) ||
        std::fabs(left) > 1e6f || std::fabs(top) > 1e6f) {
        return std::nullopt;
    }
    return QPoint(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
}

bool PlacementReachable(const QRect& window, const QList<QRect>& screens) {
    // The strip just below the top edge, where a title bar can be grabbed.
    const QRect top(window.left(), window.top(), window.width(), kGripHeight);
    const int needed = qMin(kGripWidth, window.width());
    for (const QRect& screen : screens) {
        const QRect part = screen.intersected(top);
        if (part.width() >= needed && part.height() >= kGripHeight)
            return true;
    }
    return false;
}

QString FormatPosition(const QPoint& position) {
    return QStringLiteral("%1,%2").arg(position.x()).arg(position.y());
}

}  // namespace kestrel
