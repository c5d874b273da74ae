#include "AutomationServer.h"

#include <QUuid>

#include "Adaptors.h"
#include "AutomationContract.h"
#include "HostProxies.h"
#include "SessionAdaptor.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/Logging.h"
#include "platform/ProcessControl.h"
#include "platform/Services.h"

namespace kestrel {

namespace {

// Exports an adaptor; a path already taken or a lost connection is logged,
// since the host then finds no object there.
bool Export(QDBusConnection& connection, const QString& path, QObject* adaptor) {
    if (connection.registerObject(path, adaptor, QDBusConnection::ExportAllSlots))
        return true;
    qCWarning(lcAutomation, "No object could be exported at %s", qUtf8Printable(path));
    return false;
}

}  // namespace

AutomationServer::AutomationServer(QObject* parent)
    : QObject(parent), connection_(QStringLiteral("kestrel-none")) {
    contract::RegisterTypes();
    watch_.setInterval(500);
    connect(&watch_, &QTimer::timeout, this, &AutomationServer::CheckConnection);
}

AutomationServer::~AutomationServer() {
    watch_.stop();
    if (!connectionName_.isEmpty()) {
        connection_.unregisterObject(contract::kClassPath);
    }
}

bool AutomationServer::Start(const QString& address) {
    connectionName_ = QStringLiteral("kestrel-host-") + QUuid::createUuid().toString();
    const QDBusConnection connection = QDBusConnection::connectToPeer(address, connectionName_);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromPeer(connectionName_);
        return false;
    }
    return Serve(connection);
}

bool AutomationServer::Serve(const QDBusConnection& connection) {
    connection_ = connection;
    if (connectionName_.isEmpty())
        connectionName_ = connection.name();
    classObject_ = std::make_unique<ClassObjectAdaptor>(*this);
    if (!Export(connection_, contract::kClassPath, classObject_.get()))
        return false;
    watch_.start();
    return true;
}

void AutomationServer::ExportWindow() {
    dlgKestrel* window = session_.Window();
    if (windowExported_ || !window)
        return;
    windowAdaptor_ = std::make_unique<WindowAdaptor>(*this, window);
    Export(connection_, contract::kWindowPath, windowAdaptor_.get());
    if (qEnvironmentVariableIsSet("KESTREL_SESSION")) {
        sessionAdaptor_ = std::make_unique<SessionAdaptor>(window);
        Export(connection_, contract::kSessionPath, sessionAdaptor_.get());
    }
    windowExported_ = true;
}

QDBusObjectPath AutomationServer::CreateObject(const QString& className) {
    if (className != contract::kClassName)
        return QDBusObjectPath();
    const QString path = contract::kLayerPathPrefix + QString::number(nextObject_++);
    auto layer = std::make_unique<cOLELayer>(session_);
    auto adaptor = std::make_unique<LayerAdaptor>(*this, *layer);
    Export(connection_, path, adaptor.get());
    layers_[path] = std::move(layer);
    layerAdaptors_[path] = std::move(adaptor);
    ExportWindow();
    return QDBusObjectPath(path);
}

bool AutomationServer::ReleaseObject(const QDBusObjectPath& path) {
    const auto found = layers_.find(path.path());
    if (found == layers_.end())
        return false;
    connection_.unregisterObject(path.path());
    layerAdaptors_.erase(path.path());
    std::unique_ptr<cOLELayer> layer = std::move(found->second);
    layers_.erase(found);
    if (layers_.empty() && windowExported_) {
        connection_.unregisterObject(contract::kWindowPath);
        windowExported_ = false;
    }
    layer.reset();  // the last one ends the process
    return true;
}

cOLELayer* AutomationServer::Layer(const QString& path) const {
    const auto found = layers_.find(path);
    return found == layers_.end() ? nullptr : found->second.get();
}

DBusHost* AutomationServer::Host(const QString& path) {
    if (path.isEmpty() || path == contract::kNoObjectPath)
        return nullptr;
    auto& host = hosts_[path];
    if (!host)
        host = std::make_unique<DBusHost>(connection_, path, contract::kWindowPath);
    return host.get();
}

void AutomationServer::ReleaseAll() {
    while (!layers_.empty())
        ReleaseObject(QDBusObjectPath(layers_.begin()->first));
}

void AutomationServer::CheckConnection() {
    if (!connection_.isConnected())
        HostGone();
}

void AutomationServer::HostGone() {
    watch_.stop();
    qCInfo(lcAutomation, "The host has gone away; the add-in ends.");
    const bool hadWindow = session_.Window() != nullptr;
    ReleaseAll();  // the last release ends the process
    // Whatever state the host left us in, nobody is left to serve: before
    // any object was made, or with a count the host raised beyond its
    // objects (IncrementCount), the release has not ended the process.
    const bool kept = session_.Window() != nullptr;
    if (kept)
        session_.CloseWindow();
    if (!hadWindow || kept) {
        if (ProcessControl* process = services().process)
            process->EndProcess(0);
    }
}

}  // namespace kestrel
