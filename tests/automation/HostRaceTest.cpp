// The add-in against a host whose answers race its own host calls, over a
// real peer-to-peer D-Bus connection: whatever the order in which the
// answer, the replies and the message-line calls arrive, a Get ends with the
// window enabled and idle, and input during a host call starts nothing.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QDBusPendingCall>
#include <QDBusServer>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <climits>
#include <cstring>

#include "PlayedHost.h"
#include "automation/AutomationServer.h"
#include "catalogue/ValueListModel.h"
#include "hostlink/RequestDispatcher.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/AppInfo.h"
#include "platform/widgets/ListBar.h"
#include "session/TrunkCopySession.h"
#include "startup/Globals.h"
#include "support/PeerAddress.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

// The reply time-out the add-in hands the bus library with its last Login.
static std::atomic<int> g_loginTimeoutMs{0};

// Stands in for the bus library's own sending of a call, which it then
// does: a host call given the bus's default time-out (25 s) would fail while
// the host still asks the engineer, and only the value handed here tells.
extern "C" unsigned dbus_connection_send_with_reply(void* connection, void* message, void** pending,
                                                    int timeoutMs) {
    using Send = unsigned (*)(void*, void*, void**, int);
    using Member = const char* (*)(void*);
    static const auto send =
        reinterpret_cast<Send>(dlsym(RTLD_NEXT, "dbus_connection_send_with_reply"));
    static const auto member =
        reinterpret_cast<Member>(dlsym(RTLD_NEXT, "dbus_message_get_member"));
    const char* name = member(message);
    if (name && std::strcmp(name, "Login") == 0)
        g_loginTimeoutMs = timeoutMs;
    return send(connection, message, pending, timeoutMs);
}

namespace kestrel {
namespace {

class HostRaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        contract::RegisterTypes();
        ASSERT_TRUE(tree_.OpenStartupDatabases());
        g_Standalone = false;
        server_ = std::make_unique<QDBusServer>(test::PeerServerAddress());
        QObject::connect(server_.get(), &QDBusServer::newConnection,
                         [this](const QDBusConnection& c) {
                             host_.Serve(c);
                             connected_ = true;
                         });
        addin_ = std::make_unique<AutomationServer>();
        ASSERT_TRUE(addin_->Start(server_->address()));
        ASSERT_TRUE(test::WaitFor([this] { return connected_; }));
        ASSERT_FALSE(host_.CreateAndRegister().isEmpty());
        window_ = addin_->Session().Window();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        addin_.reset();
        QDBusConnection::disconnectFromPeer(host_.connection.name());
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
    test::PlayedHost host_;
    std::unique_ptr<QDBusServer> server_;
    std::unique_ptr<AutomationServer> addin_;
    dlgKestrel* window_ = nullptr;
    bool connected_ = false;
};

// Clicks, keys and commands that arrive while Login waits for the host do
// not start a second request inside the first either.
TEST_F(HostRaceTest, EveryOrderOfAnswerAndHostCallsEndsEnabledAndIdle) {
    window_->show();
    ListBar* bar = window_->findChild<ListBar*>(QStringLiteral("lsbMenu"));
    ASSERT_NE(bar, nullptr);
    QToolButton* get = nullptr;
    for (int item = 1; item <= bar->ItemCount(1); ++item) {
        if (bar->ItemKey(1, item) == u"Get")
            get = bar->ItemButton(1, item);
    }
    ASSERT_NE(get, nullptr);
    test::PlayedHost* host = &host_;
    using Deliver = std::function<void(const cListRequest&)>;
    // Delivers the answer inside the message-line call that follows the send.
    const Deliver inShowMessage = [host](const cListRequest& a) {
        host->armedAnswer = [host, a] { host->Deliver(a); };
    };
    const auto strayAnswer = [host] {
        // An answer to nothing: a copy request's step, which must not run.
        cListRequest stray;
        stray.SetTag(QStringLiteral("12"));
        stray.SetLoginID(QStringLiteral("LOGIN0"));
        stray.AddToList(QStringLiteral("3000"), QStringLiteral("100"), QStringLiteral("01"));
        DBusCallBack(host->connection, host->callbackPath).CallBack(stray);
    };
    int pokes = 0;
    const auto input = [&] {
        if (host_.logins % 2 == 0)
            return;  // the Get's second login
        ++pokes;
        EXPECT_TRUE(window_->InHostCall());
        QTest::mouseClick(get, Qt::LeftButton);
        QTest::keyClicks(TrunkBox(), QStringLiteral("9"));
        window_->RunCommand(QStringLiteral("Get"));
    };
    const struct {
        const char* name;
        Deliver deliver;  // none: at the next turn, right behind the send's reply
        std::function<void()> duringLogin = nullptr;
        int showMessageDelayMs = 0;
    } races[] = {
        {"stray answer during Login", nullptr, strayAnswer},
        {"input during Login", nullptr, input},
        {"answer during SendRequest", [host](const cListRequest& a) { host->Deliver(a); }},
        {"answer right after the send reply", nullptr},
        {"answer inside ShowMessage", inShowMessage},
        {"answer while a ShowMessage reply is awaited", inShowMessage, nullptr, 30},
        {"answer a few milliseconds later",
         [host](const cListRequest& a) { QTimer::singleShot(3, [host, a] { host->Deliver(a); }); }},
    };
    constexpr int kRounds = 2;  // the second Get follows one that raced
    for (const auto& r : races) {
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE(
                QStringLiteral("%1, round %2").arg(QLatin1String(r.name)).arg(round).toStdString());
            host_.deliver = r.deliver;
            host_.showMessageDelayMs = r.showMessageDelayMs;
            host_.duringLogin = r.duringLogin;
            const int answers = host_.answered;
            const auto sends = host_.tags.size();
            window_->Session().Values().Clear();
            const QString trunk = QStringLiteral("00%1").arg(4 + round);  // as a Get pads it
            TrunkBox()->setText(trunk);
            window_->RunCommand(QStringLiteral("Get"));
            ASSERT_TRUE(GetFinished(answers));
            // Whatever was deferred has had its turn by now.
            QCoreApplication::processEvents();
            ASSERT_TRUE(GetFinished(answers));
            EXPECT_TRUE(window_->IsEnabled());
            EXPECT_EQ(window_->Session().Dispatcher().State(), DispatchState::Idle);
            EXPECT_EQ(host_.tags.size(), sends + 2);  // the check and the list-up, nothing more
            EXPECT_EQ(window_->Session().Values().rowCount(), 3);
            EXPECT_EQ(host_.logouts, host_.logins);
            EXPECT_EQ(TrunkBox()->text(), trunk);
        }
    }
    EXPECT_EQ(pokes, kRounds);
}

// The host may keep a call waiting while it asks the engineer, longer than
// the bus's own reply time-out (25 s): the add-in shows the pending notice
// once and goes on waiting for the answer, with no time-out of the bus's.
TEST_F(HostRaceTest, ASlowLoginShowsThePendingNoticeAndGoesOnWaiting) {
    host_.loginDelayMs = 900;
    App().OleRequestPendingTimeout = 300;
    TrunkBox()->setText(QStringLiteral("004"));
    const int answers = host_.answered;
    g_loginTimeoutMs = 0;
    window_->RunCommand(QStringLiteral("Get"));
    host_.loginDelayMs = 0;  // only the first login is slow
    ASSERT_TRUE(GetFinished(answers));
    EXPECT_EQ(g_loginTimeoutMs.load(), INT_MAX);  // the bus library's "no time-out"
    EXPECT_EQ(window_->Session().Values().rowCount(), 3);
    int notices = 0;
    for (const auto& box : tree_.boxes.shown)
        notices += box.prompt == App().OleRequestPendingMsgText ? 1 : 0;
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(window_->IsEnabled());
}

}  // namespace
}  // namespace kestrel
