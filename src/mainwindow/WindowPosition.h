#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

namespace kestrel {

class HostProgramme;

// The host's stored text for a key ("MOVE": "left,top"); nothing when the
// host has none or fails.
QString ReadHostSetting(HostProgramme* host, const QString& key);
// Stores a text through the host; failures are ignored.
void SaveHostSetting(HostProgramme* host, const QString& key, const QString& value);

// The position a "MOVE" text names; nothing unless it is exactly two
// numbers separated by ",".
std::optional<QPoint> ParsePosition(const QString& stored);

// Whether a window placed at `window` keeps enough of its top edge on one of
// the screens' available areas for the engineer to take hold of it.
bool PlacementReachable(const QRect& window, const QList<QRect>& screens);
QString FormatPosition(const QPoint& position);

}  // namespace kestrel
