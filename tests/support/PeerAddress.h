#pragma once

#include <QDir>
#include <QString>

namespace kestrel::test {

// Where a test's peer-to-peer D-Bus server listens: an abstract socket, so
// there is no socket file for Qt's D-Bus thread to unlink while the test
// removes a folder it sits in.
inline QString PeerServerAddress() {
    return QStringLiteral("unix:tmpdir=") + QDir::tempPath();
}

}  // namespace kestrel::test
