#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

#include "hostlink/HostProgramme.h"
#include "hostlink/cListRequest.h"

namespace kestrel {

class ExchangeWorker;

// The exchange link of a host on simulated exchanges: logins, requests
// executed entry by entry on a worker thread, and answers delivered later
// through the login's call-back on this object's thread, never inside
// SendRequest. Also answers processor versions.
class SimulatedLink : public QObject, public ExchangeLink, public ProcessorInfo {
    Q_OBJECT

public:
    // folder holds the exchange files (ending in a separator); seedPath is
    // the template of new exchanges.
    SimulatedLink(QString folder, QString seedPath, QObject* parent = nullptr);
    ~SimulatedLink() override;

    QString Login(const QString& pbxName, CallBackTarget* callback) override;
    QString SendRequest(cListRequest& request) override;
    void LogOut(const QString& pbxName, const QString& loginId) override;
    QString GetMPVersion(const QString& pbxName) override;

    // The engineer's cancel: entries not yet done answer "OPX_USERCANCEL".
    void Cancel();
    bool RequestUnderWay() const { return underWay_ > 0; }
    const QString& Folder() const { return folder_; }
    const QString& SeedPath() const { return seedPath_; }

signals:
    void requestStarted(const QString& pbxName, int entries);
    void progress(int done, int total);
    void requestFinished(const QString& pbxName, int errCode);

private:
    void Deliver(const QString& loginId, cListRequest answer);

    QString folder_;
    QString seedPath_;
    QThread thread_;
    ExchangeWorker* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    QHash<QString, CallBackTarget*> logins_;
    int nextLogin_ = 0;
    int nextRequest_ = 0;
    int underWay_ = 0;
};

}  // namespace kestrel
