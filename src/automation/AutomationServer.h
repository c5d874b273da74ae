#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>

#include "cOLELayer.h"

namespace kestrel {

class DBusHost;
class WindowAdaptor;

// The add-in's side of the automation link: connects to the host's private
// address, offers the class object, exports each created cOLELayer and the
// main window, and releases every object when the host's connection goes.
class AutomationServer : public QObject {
    Q_OBJECT

public:
    explicit AutomationServer(QObject* parent = nullptr);
    ~AutomationServer() override;

    // Connects and registers the class object; false when the address
    // cannot be reached.
    bool Start(const QString& address);
    // For tests: serve an existing connection.
    bool Serve(const QDBusConnection& connection);

    // A new cOLELayer at its own path; an empty path for any class other
    // than cOLELayer.
    QDBusObjectPath CreateObject(const QString& className);
    bool ReleaseObject(const QDBusObjectPath& path);
    cOLELayer* Layer(const QString& path) const;
    int LayerCount() const { return static_cast<int>(layers_.size()); }
    AddinSession& Session() { return session_; }
    // The connection to the host.
    const QDBusConnection& Connection() const { return connection_; }

    // The host object at a path of the connection (made once per path);
    // null for "/", which stands for no object.
    DBusHost* Host(const QString& path);

    // Releases every object (the host's connection is gone).
    void ReleaseAll();
    // The host's connection is gone, in whatever state: every object is
    // released, the window closed, and the process ends with status 0.
    void HostGone();

private:
    void ExportWindow();
    void CheckConnection();

    QDBusConnection connection_;
    QString connectionName_;
    AddinSession session_;
    // Host objects outlive the layers, whose release still talks to them.
    std::map<QString, std::unique_ptr<DBusHost>> hosts_;
    std::map<QString, std::unique_ptr<cOLELayer>> layers_;
    std::map<QString, std::unique_ptr<QObject>> layerAdaptors_;
    std::unique_ptr<QObject> classObject_;
    std::unique_ptr<WindowAdaptor> windowAdaptor_;
    std::unique_ptr<QObject> sessionAdaptor_;
    QTimer watch_;
    int nextObject_ = 1;
    bool windowExported_ = false;
};

}  // namespace kestrel
