#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusServer>
#include <memory>

#include "automation/AutomationContract.h"
#include "automation/AutomationServer.h"
#include "exchange/SimulatedLink.h"
#include "helm32/HostObjects.h"
#include "startup/Globals.h"
#include "support/PeerAddress.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

namespace kestrel::test {

// helm32's own host objects on the simulated exchange of a runtime tree and
// the add-in's server, in one process over a private peer-to-peer
// connection.
class Helm32Peer {
public:
    void StartPeer(const RuntimeTree& tree) {
        contract::RegisterTypes();
        g_Standalone = false;
        link_ = std::make_unique<SimulatedLink>(
            tree.SuiteDatabaseDir() + QStringLiteral("EXCHANGE/"),
            tree.SuiteDatabaseDir() + QStringLiteral("Exchange.seed"));
        server_ = std::make_unique<QDBusServer>(PeerServerAddress());
        QObject::connect(
            server_.get(), &QDBusServer::newConnection, [this](const QDBusConnection& c) {
                host_ = std::make_unique<QDBusConnection>(c);
                parent_ = std::make_unique<ParentAdaptor>(model_);
                linkAdaptor_ = std::make_unique<LinkAdaptor>(*link_);
                processor_ = std::make_unique<ProcessorAdaptor>(*link_);
                host_->registerObject(contract::kHostParentPath, parent_.get(),
                                      QDBusConnection::ExportAllSlots);
                host_->registerObject(contract::kHostParentPath + contract::kLinkPathSuffix,
                                      linkAdaptor_.get(), QDBusConnection::ExportAllSlots);
                host_->registerObject(contract::kHostParentPath + contract::kProcessorPathSuffix,
                                      processor_.get(), QDBusConnection::ExportAllSlots);
            });
        QObject::connect(&model_, &HostModel::message,
                         [this](const QString& m) { messages_ << m; });
        QObject::connect(&model_, &HostModel::childUnloaded, [this](int id) { unloaded_ << id; });
        addin_ = std::make_unique<AutomationServer>();
        ASSERT_TRUE(addin_->Start(server_->address()));
        ASSERT_TRUE(WaitFor([this] { return host_ != nullptr; }));
    }
    void StopPeer() {
        addin_.reset();
        if (host_)
            QDBusConnection::disconnectFromPeer(host_->name());
        host_.reset();
        processor_.reset();
        linkAdaptor_.reset();
        parent_.reset();
        server_.reset();
        link_.reset();
    }

    // A host call to the add-in, the event loop running meanwhile.
    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        QDBusPendingCall pending = host_->asyncCall(call);
        EXPECT_TRUE(WaitFor([&] { return pending.isFinished(); }));
        return pending.reply();
    }
    QString Create() {
        const QDBusMessage reply = Call(contract::kClassPath, contract::kClassInterface,
                                        QStringLiteral("CreateObject"), {contract::kClassName});
        if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
            return {};
        return qdbus_cast<QDBusObjectPath>(reply.arguments().first()).path();
    }
    bool Register(const QString& layer, const QString& pbx, qint16 id) {
        const QDBusMessage reply =
            Call(layer, contract::kLayerInterface, QStringLiteral("RegisterPBX"),
                 {pbx, QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath)),
                  QVariant::fromValue(id)});
        return !reply.arguments().isEmpty() && reply.arguments().first().toBool();
    }
    void Release(const QString& layer) {
        Call(contract::kClassPath, contract::kClassInterface, QStringLiteral("ReleaseObject"),
             {QVariant::fromValue(QDBusObjectPath(layer))});
    }

    HostModel model_;
    std::unique_ptr<SimulatedLink> link_;
    std::unique_ptr<QDBusServer> server_;
    std::unique_ptr<QDBusConnection> host_;
    std::unique_ptr<ParentAdaptor> parent_;
    std::unique_ptr<LinkAdaptor> linkAdaptor_;
    std::unique_ptr<ProcessorAdaptor> processor_;
    std::unique_ptr<AutomationServer> addin_;
    QStringList messages_;
    QList<int> unloaded_;
};

}  // namespace kestrel::test
