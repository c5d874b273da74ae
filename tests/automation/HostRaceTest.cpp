// The add-in against a host whose answers race its own host calls, over a
// real peer-to-peer D-Bus connection: whatever the order in which the
// answer, the replies and the message-line calls arrive, a Get ends with the
// window enabled and idle, and input during a host call starts nothing.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusServer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "automation/AutomationContract.h"
#include "automation/AutomationServer.h"
#include "catalogue/ValueListModel.h"
#include "helm32/HostObjects.h"
#include "hostlink/RequestDispatcher.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/AppInfo.h"
#include "platform/widgets/ListBar.h"
#include "session/TrunkCopySession.h"
#include "startup/Globals.h"
#include "support/PeerAddress.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

// When the host delivers the answer, relative to the add-in's host calls.
enum class Race {
    StrayDuringLogin,   // a call-back nobody asked for arrives during Login
    DuringSend,         // before the reply to SendRequest
    AfterSendReply,     // right behind that reply
    DuringShowMessage,  // inside the message-line call that follows the send
    DuringSlowReply,    // while a slow message-line reply is still awaited
    AfterShortDelay,    // a few milliseconds later
};

// Replies to a call after `ms`, the event loop running meanwhile.
template <typename T>
void ReplyLater(const QDBusConnection& connection, const QDBusMessage& call, const T& value,
                int ms) {
    const QDBusMessage reply = call.createReply(QVariant::fromValue(value));
    QTimer::singleShot(ms, [connection, reply] { QDBusConnection(connection).send(reply); });
}

// The host's side: Parent, its link and its processor information, with the
// answer's moment chosen by the test.
struct RacingHost {
    Race race = Race::DuringSend;
    int loginDelayMs = 0;
    int logins = 0;
    int logouts = 0;
    int sends = 0;
    int answered = 0;
    QString callbackPath;
    QDBusConnection connection{QStringLiteral("none")};
    std::function<void()> armedAnswer;  // sent inside the next ShowMessage

    cListRequest AnswerTo(const cListRequest& request) const {
        cListRequest answer = request;
        answer.Clear();
        if (request.Tag() == u"13") {
            answer.AddToList(QStringLiteral("3000"), request.FirstData(0), QStringLiteral("01"));
        } else {
            for (const char* key : {"3001", "3002", "3003"}) {
                answer.AddToList(QString::fromLatin1(key), request.FirstData(0),
                                 QStringLiteral("1"));
            }
        }
        return answer;
    }
    void Deliver(cListRequest answer) {
        ++answered;
        DBusCallBack(connection, callbackPath).CallBack(answer);
    }
};

class RacingParent : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PARENT_INTERFACE)

public:
    explicit RacingParent(RacingHost& host) : host_(host) {}

public slots:
    void ShowMessage(const QString&) {
        if (host_.armedAnswer) {
            auto answer = std::move(host_.armedAnswer);
            host_.armedAnswer = nullptr;
            answer();
        }
        if (host_.race == Race::DuringSlowReply) {
            setDelayedReply(true);
            ReplyLater(connection(), message(), QString(), 30);
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
    RacingHost& host_;
};

class RacingLink : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_LINK_INTERFACE)

public:
    explicit RacingLink(RacingHost& host) : host_(host) {}

public slots:
    QString Login(const QString&, const QDBusObjectPath& callback) {
        host_.callbackPath = callback.path();
        const QString id = QStringLiteral("LOGIN%1").arg(++host_.logins);
        if (host_.race == Race::StrayDuringLogin) {
            // An answer to nothing: a copy request's step, which must not run.
            cListRequest stray;
            stray.SetTag(QStringLiteral("12"));
            stray.SetLoginID(QStringLiteral("LOGIN0"));
            stray.AddToList(QStringLiteral("3000"), QStringLiteral("100"), QStringLiteral("01"));
            DBusCallBack(connection(), host_.callbackPath).CallBack(stray);
        }
        if (host_.loginDelayMs > 0) {
            setDelayedReply(true);
            ReplyLater(connection(), message(), id, host_.loginDelayMs);
            return {};
        }
        return id;
    }
    QString SendRequest(const kestrel::cListRequest& request) {
        ++host_.sends;
        const cListRequest answer = host_.AnswerTo(request);
        RacingHost* host = &host_;
        switch (host_.race) {
            case Race::DuringSend:
                host_.Deliver(answer);
                break;
            case Race::DuringShowMessage:
            case Race::DuringSlowReply:
                host_.armedAnswer = [host, answer] { host->Deliver(answer); };
                break;
            case Race::AfterShortDelay:
                QTimer::singleShot(3, [host, answer] { host->Deliver(answer); });
                break;
            case Race::StrayDuringLogin:
            case Race::AfterSendReply:
                QTimer::singleShot(0, [host, answer] { host->Deliver(answer); });
                break;
        }
        return QStringLiteral("REQ%1").arg(host_.sends);
    }
    void LogOut(const QString&, const QString&) { ++host_.logouts; }

private:
    RacingHost& host_;
};

class RacingProcessor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PROCESSOR_INTERFACE)

public slots:
    QString GetMPVersion(const QString&) { return QStringLiteral("SC-K R5.0"); }
};

class HostRaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        contract::RegisterTypes();
        ASSERT_TRUE(tree_.OpenStartupDatabases());
        g_Standalone = false;
        server_ = std::make_unique<QDBusServer>(test::PeerServerAddress());
        QObject::connect(server_.get(), &QDBusServer::newConnection,
                         [this](const QDBusConnection& c) {
                             host_.connection = c;
                             connected_ = true;
                             host_.connection.registerObject(contract::kHostParentPath, &parent_,
                                                             QDBusConnection::ExportAllSlots);
                             host_.connection.registerObject(
                                 contract::kHostParentPath + contract::kLinkPathSuffix, &link_,
                                 QDBusConnection::ExportAllSlots);
                             host_.connection.registerObject(
                                 contract::kHostParentPath + contract::kProcessorPathSuffix,
                                 &processor_, QDBusConnection::ExportAllSlots);
                         });
        addin_ = std::make_unique<AutomationServer>();
        ASSERT_TRUE(addin_->Start(server_->address()));
        ASSERT_TRUE(test::WaitFor([this] { return connected_; }));
        ASSERT_TRUE(CreateAndRegister());
        window_ = addin_->Session().Window();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        addin_.reset();
        QDBusConnection::disconnectFromPeer(host_.connection.name());
    }

    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        QDBusPendingCall pending = host_.connection.asyncCall(call);
        EXPECT_TRUE(test::WaitFor([&] { return pending.isFinished(); }));
        return pending.reply();
    }
    bool CreateAndRegister() {
        const QDBusMessage created = Call(contract::kClassPath, contract::kClassInterface,
                                          QStringLiteral("CreateObject"), {contract::kClassName});
        if (created.arguments().isEmpty())
            return false;
        const QString layer = qdbus_cast<QDBusObjectPath>(created.arguments().first()).path();
        Call(layer, contract::kLayerInterface, QStringLiteral("RegisterPBX"),
             {QStringLiteral("PBX1"),
              QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath)),
              QVariant::fromValue(qint16(3))});
        return true;
    }
    QLineEdit* TrunkBox() const {
        return window_->findChild<QLineEdit*>(QStringLiteral("txtTrunk"));
    }
    // Until both requests of a Get have been answered and dealt with.
    bool GetFinished(int answersBefore) {
        return test::WaitFor(
            [&] {
                return host_.answered >= answersBefore + 2 &&
                       !window_->Session().RequestUnderWay() && !window_->InHostCall();
            },
            10000);
    }

    test::RuntimeTree tree_;
    RacingHost host_;
    RacingParent parent_{host_};
    RacingLink link_{host_};
    RacingProcessor processor_;
    std::unique_ptr<QDBusServer> server_;
    std::unique_ptr<AutomationServer> addin_;
    dlgKestrel* window_ = nullptr;
    bool connected_ = false;
};

TEST_F(HostRaceTest, EveryOrderOfAnswerAndHostCallsEndsEnabledAndIdle) {
    const struct {
        Race race;
        const char* name;
    } races[] = {
        {Race::StrayDuringLogin, "stray answer during Login"},
        {Race::DuringSend, "answer during SendRequest"},
        {Race::AfterSendReply, "answer right after the send reply"},
        {Race::DuringShowMessage, "answer inside ShowMessage"},
        {Race::DuringSlowReply, "answer while a ShowMessage reply is awaited"},
        {Race::AfterShortDelay, "answer a few milliseconds later"},
    };
    constexpr int kRounds = 4;
    for (const auto& r : races) {
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE(
                QStringLiteral("%1, round %2").arg(QLatin1String(r.name)).arg(round).toStdString());
            host_.race = r.race;
            const int answers = host_.answered;
            const int sends = host_.sends;
            window_->Session().Values().Clear();
            TrunkBox()->setText(QString::number(4 + round));
            window_->RunCommand(QStringLiteral("Get"));
            ASSERT_TRUE(GetFinished(answers));
            EXPECT_TRUE(window_->IsEnabled());
            EXPECT_EQ(window_->Session().Dispatcher().State(), DispatchState::Idle);
            EXPECT_EQ(host_.sends, sends + 2);  // the check and the list-up, nothing more
            EXPECT_EQ(window_->Session().Values().rowCount(), 3);
            EXPECT_EQ(host_.logouts, host_.logins);
        }
    }
}

// Clicks, keys and commands that arrive while Login waits for the host do
// not start a second request inside the first.
TEST_F(HostRaceTest, InputDuringAHostCallStartsNothing) {
    host_.race = Race::AfterSendReply;
    host_.loginDelayMs = 300;
    TrunkBox()->setText(QStringLiteral("004"));
    window_->show();
    ListBar* bar = window_->findChild<ListBar*>(QStringLiteral("lsbMenu"));
    ASSERT_NE(bar, nullptr);
    QToolButton* get = nullptr;
    for (int item = 1; item <= bar->ItemCount(1); ++item) {
        if (bar->ItemKey(1, item) == u"Get")
            get = bar->ItemButton(1, item);
    }
    ASSERT_NE(get, nullptr);
    bool pokedDuringLogin = false;
    QTimer::singleShot(100, [&] {
        pokedDuringLogin = window_->InHostCall() && host_.logins == 1;
        QTest::mouseClick(get, Qt::LeftButton);
        QTest::keyClicks(TrunkBox(), QStringLiteral("9"));
        window_->RunCommand(QStringLiteral("Get"));
    });
    const int answers = host_.answered;
    window_->RunCommand(QStringLiteral("Get"));
    ASSERT_TRUE(GetFinished(answers));
    // Whatever was deferred has had its turn by now.
    QTest::qWait(300);
    ASSERT_TRUE(GetFinished(answers));
    EXPECT_TRUE(pokedDuringLogin);
    EXPECT_EQ(host_.logins, 2);  // one Get: the check and the list-up
    EXPECT_EQ(host_.sends, 2);
    EXPECT_EQ(TrunkBox()->text(), QStringLiteral("004"));
    EXPECT_TRUE(window_->IsEnabled());
}

// The host may keep a call waiting longer than the bus's own reply time-out
// (25 s) while it asks the engineer: the add-in shows the pending notice
// once and goes on waiting for the answer.
TEST_F(HostRaceTest, ASlowLoginShowsThePendingNoticeAndGoesOnWaiting) {
    host_.race = Race::AfterSendReply;
    host_.loginDelayMs = 26000;
    App().OleRequestPendingTimeout = 300;
    TrunkBox()->setText(QStringLiteral("004"));
    const int answers = host_.answered;
    window_->RunCommand(QStringLiteral("Get"));
    host_.loginDelayMs = 0;  // only the first login is slow
    ASSERT_TRUE(test::WaitFor([&] { return host_.answered >= answers + 2; }, 40000));
    ASSERT_TRUE(GetFinished(answers));
    EXPECT_EQ(window_->Session().Values().rowCount(), 3);
    int notices = 0;
    for (const auto& box : tree_.boxes.shown)
        notices += box.prompt == App().OleRequestPendingMsgText ? 1 : 0;
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(window_->IsEnabled());
}

}  // namespace
}  // namespace kestrel

#include "HostRaceTest.moc"
