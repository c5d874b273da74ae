#pragma once

// The host's objects as the add-in sees them over D-Bus: Parent, its link
// to the exchange (oPBX) and its processor information (oOPX). Adaptors
// forward to the host model and the simulated link.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "automation/AutomationContract.h"
#include "hostlink/HostProgramme.h"

namespace kestrel {

class SimulatedLink;

// What the host shows and keeps for its add-ins.
class HostModel : public QObject {
    Q_OBJECT

public:
    explicit HostModel(QObject* parent = nullptr) : QObject(parent) {}

    void SetComData(const QString& addin, const QString& key, const QString& value);
    // Where reports are written.
    QString ReportsFolder() const { return reportsFolder_; }
    void SetReportsFolder(const QString& folder) { reportsFolder_ = folder; }
    std::optional<QString> ComData(const QString& addin, const QString& key) const;

signals:
    void message(const QString& text);
    void code(int code);
    void helpRequested(const QString& file);
    void childUnloaded(int id);
    void flow(bool on);
    void itemAdded(const QString& line);
    void reportWritten(const QString& file);

private:
    QString reportsFolder_;
};

class ParentAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PARENT_INTERFACE)

public:
    explicit ParentAdaptor(HostModel& model) : model_(model) {}

signals:
    // The add-in on this connection reports its window unloaded.
    void childUnloaded(int id);

public slots:
    void ShowMessage(const QString& text);
    void ShowCode(int code);
    void DisplayHelp(const QString& file);
    void UnloadChild(qint16 id);
    void TurnOnFlow();
    void TurnOffFlow();
    void REGComData(const QString& addin, const QString& key, const QString& value);
    QString GetComData(const QString& addin, const QString& key);
    QString PrintReport(const QString& databasePath, const QString& templatePath,
                        const QString& selection, const QString& reserved, int options);
    void AddItem(const QString& line);
    // The file this add-in's last report went to; empty before the first.
    QString LastReportFile();

private:
    HostModel& model_;
    QString lastReport_;
};

// The add-in's call-back object (its main window) on its connection.
class DBusCallBack : public CallBackTarget {
public:
    DBusCallBack(QDBusConnection connection, QString path)
        : connection_(std::move(connection)), path_(std::move(path)) {}
    void CallBack(cListRequest& response) override;
    // Tells the window how far its request has got, and that it has ended;
    // neither waits for a reply.
    void RequestProgress(const QString& requestId, const QString& loginId, int done, int total);
    void RequestEnded(const QString& requestId, const QString& loginId, int errCode);

private:
    // Calls a member of the window without waiting for its reply.
    void Notify(const QString& member, const QVariantList& args);

    QDBusConnection connection_;
    QString path_;
};

// The link as one add-in sees it: its logins' requests report their
// progress to the login's call-back object, and it may cancel only the
// requests it sent itself.
class LinkAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_LINK_INTERFACE)

public:
    explicit LinkAdaptor(SimulatedLink& link);
    // An add-in that goes without logging out is logged out (its requests
    // cancelled), so no answer is sent to a call-back that no longer exists.
    ~LinkAdaptor() override;

public slots:
    QString Login(const QString& pbx, const QDBusObjectPath& callback);
    QString SendRequest(const kestrel::cListRequest& request);
    void LogOut(const QString& pbx, const QString& loginId);
    // False for a request that is not under way or was sent by another
    // add-in.
    bool CancelRequest(const QString& requestId);

private:
    SimulatedLink& link_;
    QHash<QString, std::shared_ptr<DBusCallBack>> callbacks_;
    // The requests under way this add-in sent, by request id: their login.
    QHash<QString, QString> requests_;
};

class ProcessorAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PROCESSOR_INTERFACE)

public:
    explicit ProcessorAdaptor(SimulatedLink& link) : link_(link) {}

public slots:
    QString GetMPVersion(const QString& pbx);

private:
    SimulatedLink& link_;
};

}  // namespace kestrel
