#include "WindowPosition.h"

#include <QStringList>
#include <cmath>

#include "hostlink/HostProgramme.h"

namespace kestrel {

namespace {
const QString kAddin = QStringLiteral("Kestrel");
}

QString ReadHostSetting(HostProgramme* host, const QString& key) {
    if (!host)
        return {};
    try {
        return host->GetComData(kAddin, key);
    } catch (...) {
        return {};  // an error means nothing stored
    }
}

void SaveHostSetting(HostProgramme* host, const QString& key, const QString& value) {
    if (!host)
        return;
    try {
        host->REGComData(kAddin, key, value);
    } catch (...) {
    }
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

QString FormatPosition(const QPoint& position) {
    return QStringLiteral("%1,%2").arg(position.x()).arg(position.y());
}

}  // namespace kestrel
