#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "PgLink.h"
#include "TeamServer.h"

class QTimer;

namespace kestrel {

class CopyJournal;

// Sends what the local journal recorded to the team's server, oldest first,
// one transaction an entry, and marks each sent once the server committed
// it. Meant for a worker thread of its own: the link may be slow or away.
class JournalSender : public QObject {
    Q_OBJECT

public:
    JournalSender(QString journalPath, TeamServer server, QObject* parent = nullptr);
    ~JournalSender() override;

    // How long the sender waits before trying again after a failure: from
    // `first`, doubling up to `last`.
    void SetRetry(int firstMs, int lastMs);
    // From any thread: breaks the link, so that a call waiting on a server
    // that went quiet returns at once (the window is closing).
    void Abort();

public slots:
    // Sends everything that waits; after a failure tries again later.
    void Send();

signals:
    // After each pass: entries still waiting, and why (None while all goes well).
    void Passed(int waiting, kestrel::TeamProblem problem, const QString& detail);

private:
    bool Ready(TeamError* error);

    QString journalPath_;
    TeamServer server_;
    std::unique_ptr<CopyJournal> journal_;
    std::unique_ptr<PgLink> link_;
    QTimer* retry_ = nullptr;
    int firstMs_ = 1000;
    int lastMs_ = 10000;
    int nextMs_ = 1000;
    QString lastDetail_;
    std::atomic<int> socket_{-1};
};

}  // namespace kestrel
