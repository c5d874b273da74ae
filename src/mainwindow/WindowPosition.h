#pragma once

#include <QPoint>
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
QString FormatPosition(const QPoint& position);

}  // namespace kestrel
