#pragma once

// The host's side of a peer-to-peer D-Bus connection, played by a test:
// Parent, its link and its processor information. When the link answers,
// and whether it answers Login at all, is the test's to choose.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QTimer>
#include <functional>
#include <utility>

#include "automation/AutomationContract.h"
#include "helm32/HostObjects.h"
#include "support/WaitFor.h"

namespace kestrel::test {

// Replies to a call after `ms`, the event loop running meanwhile.
inline void ReplyLater(const QDBusConnection& connection, const QDBusMessage& call,
                       const QVariantList& values, int ms) {
    const QDBusMessage reply = call.createReply(values);
    QTimer::singleShot(ms, [connection, reply] { QDBusConnection(connection).send(reply); });
}

// What the host is told to do, and what it has seen.
struct PlayedState {
    int loginDelayMs = 0;               // below 0: Login is never answered
    std::function<void()> duringLogin;  // runs inside Login
    // Delivers the answer to a request; by default at the next turn.
    std::function<void(const cListRequest&)> deliver;
    std::function<void()> armedAnswer;  // sent inside the next ShowMessage
    int showMessageDelayMs = 0;
    int logins = 0;
    int logouts = 0;
    int answered = 0;
    QStringList tags;  // the step of every request sent
    QString callbackPath;
    QDBusConnection connection{QStringLiteral("none")};

    void Deliver(cListRequest answer) {
        ++answered;
        DBusCallBack(connection, callbackPath).CallBack(answer);
    }
    static cListRequest AnswerTo(const cListRequest& request) {
        cListRequest answer = request;
        answer.Clear();
        const QString fd = request.Count() > 0 ? request.FirstData(0) : QString();
        if (request.Tag() == u"13") {
            answer.AddToList(QStringLiteral("3000"), fd, QStringLiteral("01"));
        } else if (request.Tag() == u"14") {
            answer.AddToList(request.CMD(0), fd, QString(), QStringLiteral("OPX_STN_STATION"));
        } else {
            for (const char* key : {"3001", "3002", "3003"})
                answer.AddToList(QString::fromLatin1(key), fd, QStringLiteral("01"));
        }
        return answer;
    }
};

class PlayedParent : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PARENT_INTERFACE)

public:
    explicit PlayedParent(PlayedState& host) : host_(host) {}

public slots:
    void ShowMessage(const QString&) {
        if (host_.armedAnswer)
            std::exchange(host_.armedAnswer, nullptr)();
        if (host_.showMessageDelayMs > 0) {
            setDelayedReply(true);
            ReplyLater(connection(), message(), {}, host_.showMessageDelayMs);
        }
    }
    void ShowCode(int) {}
    void DisplayHelp(const QString&) {}
    void UnloadChild(qint16) {}
    void TurnOnFlow() {}
    void TurnOffFlow() {}
    void REGComData(const QString&, const QString&, const QString&) {}
    QString GetComData(const QString&, const QString&) {
        sendErrorReply(contract::kFailedError, QStringLiteral("nothing stored"));
        return {};
    }
    QString PrintReport(const QString&, const QString&, const QString&, const QString&, int) {
        return {};
    }
    void AddItem(const QString&) {}

private:
    PlayedState& host_;
};

class PlayedLink : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_LINK_INTERFACE)

public:
    explicit PlayedLink(PlayedState& host) : host_(host) {}

public slots:
    QString Login(const QString&, const QDBusObjectPath& callback) {
        host_.callbackPath = callback.path();
        const QString id = QStringLiteral("LOGIN%1").arg(++host_.logins);
        if (host_.duringLogin)
            host_.duringLogin();
        if (host_.loginDelayMs != 0) {
            setDelayedReply(true);
            if (host_.loginDelayMs > 0)
                ReplyLater(connection(), message(), {id}, host_.loginDelayMs);
            return {};
        }
        return id;
    }
    QString SendRequest(const kestrel::cListRequest& request) {
        host_.tags << request.Tag();
        const cListRequest answer = PlayedState::AnswerTo(request);
        if (host_.deliver) {
            host_.deliver(answer);
        } else {
            PlayedState* host = &host_;
            QTimer::singleShot(0, [host, answer] { host->Deliver(answer); });
        }
        return QStringLiteral("REQ%1").arg(host_.tags.size());
    }
    void LogOut(const QString&, const QString&) { ++host_.logouts; }

private:
    PlayedState& host_;
};

class PlayedProcessor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PROCESSOR_INTERFACE)

public slots:
    QString GetMPVersion(const QString&) { return QStringLiteral("SC-K R5.0"); }
};

class PlayedHost : public PlayedState {
public:
    void Reset() { static_cast<PlayedState&>(*this) = PlayedState(); }
    // Offers the host's objects on the add-in's connection.
    void Serve(const QDBusConnection& c) {
        connection = c;
        connection.registerObject(contract::kHostParentPath, &parent_,
                                  QDBusConnection::ExportAllSlots);
        connection.registerObject(contract::kHostParentPath + contract::kLinkPathSuffix, &link_,
                                  QDBusConnection::ExportAllSlots);
        connection.registerObject(contract::kHostParentPath + contract::kProcessorPathSuffix,
                                  &processor_, QDBusConnection::ExportAllSlots);
    }
    // The host's call of the add-in, not waited for.
    QDBusPendingCall Post(const QString& path, const QString& iface, const QString& member,
                          const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        return connection.asyncCall(call);
    }
    // A call answered within the bound (5 s: longer is a hang); an invalid
    // message when it was not.
    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        QDBusPendingCall pending = Post(path, iface, member, args);
        if (!WaitFor([&] { return pending.isFinished(); }))
            return {};
        return pending.reply();
    }
    // Creates a window, registers PBX1 as id 3 with it and shows it; its
    // path, empty when the add-in offered no class object.
    QString CreateAndRegister() {
        // The add-in offers its class object just after it has connected: a
        // host asking as it connects finds none yet.
        QDBusMessage created;
        WaitFor([&] {
            created = Call(contract::kClassPath, contract::kClassInterface,
                           QStringLiteral("CreateObject"), {contract::kClassName});
            return created.type() == QDBusMessage::ReplyMessage && !created.arguments().isEmpty();
        });
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty())
            return {};
        layer = qdbus_cast<QDBusObjectPath>(created.arguments().first()).path();
        Call(layer, contract::kLayerInterface, QStringLiteral("RegisterPBX"),
             {QStringLiteral("PBX1"),
              QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath)),
              QVariant::fromValue(qint16(3))});
        Call(layer, contract::kLayerInterface, QStringLiteral("SetVisible"), {true});
        return layer;
    }
    QString layer;  // the window the host created last

private:
    PlayedParent parent_{*this};
    PlayedLink link_{*this};
    PlayedProcessor processor_;
};

}  // namespace kestrel::test
