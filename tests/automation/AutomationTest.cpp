#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusServer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "automation/AutomationContract.h"
#include "automation/AutomationServer.h"
#include "automation/HostProxies.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "exchange/ExchangeFaults.h"
#include "exchange/SimulatedExchange.h"
#include "exchange/SimulatedLink.h"
#include "helm32/AddinLauncher.h"
#include "helm32/HostObjects.h"
#include "helm32/ScriptedSession.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/Messages.h"
#include "mainwindow/WindowPosition.h"
#include "mainwindow/dlgKestrel.h"
#include "platform/AppInfo.h"
#include "platform/RunError.h"
#include "platform/widgets/ListBar.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafetyNetSetting.h"
#include "session/TrunkCopySession.h"
#include "startup/AddinRegistration.h"
#include "startup/Globals.h"
#include "startup/Startup.h"
#include "support/ExchangeValue.h"
#include "support/PopupAnswers.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/SessionFixture.h"
#include "support/SqlRows.h"
#include "support/WaitFor.h"
#include "tools/AnswerCodes.h"

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

// The host's side of a peer-to-peer D-Bus connection, played by a test:
// Parent, its link and its processor information. When the link answers,
// and whether it answers Login at all, is the test's to choose.
namespace kestrel::test {

// Where a test's peer-to-peer D-Bus server listens: an abstract socket, so
// there is no socket file for Qt's D-Bus thread to unlink while the test
// removes a folder it sits in.
inline QString PeerServerAddress() {
    return QStringLiteral("unix:tmpdir=") + QDir::tempPath();
}

// A call on `connection`, not waited for.
inline QDBusPendingCall Post(const QDBusConnection& connection, const QString& path,
                             const QString& iface, const QString& member,
                             const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
    call.setArguments(args);
    return connection.asyncCall(call);
}

// A call answered within `ms` (longer is a hang); an invalid message when
// it was not.
inline QDBusMessage CallOn(const QDBusConnection& connection, const QString& path,
                           const QString& iface, const QString& member,
                           const QVariantList& args = {}, int ms = 5000) {
    QDBusPendingCall pending = Post(connection, path, iface, member, args);
    if (!WaitFor([&] { return pending.isFinished(); }, ms))
        return {};
    return pending.reply();
}

// The host's CreateObject on `connection`: the new window's path, empty
// when it was refused.
inline QString Create(const QDBusConnection& connection) {
    const QDBusMessage reply = CallOn(connection, contract::kClassPath, contract::kClassInterface,
                                      QStringLiteral("CreateObject"), {contract::kClassName});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QDBusObjectPath>(reply.arguments().first()).path();
}
// The host's RegisterPBX of `layer`, its own Parent given: the load error.
inline bool Register(const QDBusConnection& connection, const QString& layer, const QString& pbx,
                     qint16 id) {
    const QDBusMessage reply =
        CallOn(connection, layer, contract::kLayerInterface, QStringLiteral("RegisterPBX"),
               {pbx, QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath)),
                QVariant::fromValue(id)});
    return !reply.arguments().isEmpty() && reply.arguments().first().toBool();
}

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
    bool connected = false;
    bool dropAtConnect = false;  // the add-in's connection is dropped at once

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
    void UnloadChild(qint16) {}
    void TurnOnFlow() {}
    void TurnOffFlow() {}
    void REGComData(const QString&, const QString&, const QString&) {}
    QString GetComData(const QString&, const QString&) {
        sendErrorReply(contract::kFailedError, QStringLiteral("nothing stored"));
        return {};
    }

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
    // Listens on a private socket for the add-in; its address.
    QString Listen() {
        server_ = std::make_unique<QDBusServer>(PeerServerAddress());
        QObject::connect(server_.get(), &QDBusServer::newConnection,
                         [this](const QDBusConnection& c) {
                             connected = true;
                             if (dropAtConnect)
                                 QDBusConnection::disconnectFromPeer(c.name());
                             else
                                 Serve(c);
                         });
        return server_->address();
    }
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
        return test::Post(connection, path, iface, member, args);
    }
    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        return CallOn(connection, path, iface, member, args);
    }
    // Creates a window, registers PBX1 as id 3 with it and shows it; its
    // path, empty when the add-in offered no class object.
    QString CreateAndRegister() {
        // The add-in offers its class object just after it has connected: a
        // host asking as it connects finds none yet.
        WaitFor([&] { return !(layer = Create(connection)).isEmpty(); });
        if (layer.isEmpty())
            return {};
        Register(connection, layer, QStringLiteral("PBX1"), 3);
        Call(layer, contract::kLayerInterface, QStringLiteral("SetVisible"), {true});
        return layer;
    }
    QString layer;  // the window the host created last

private:
    PlayedParent parent_{*this};
    PlayedLink link_{*this};
    PlayedProcessor processor_;
    std::unique_ptr<QDBusServer> server_;
};

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

    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        return CallOn(*host_, path, iface, member, args);
    }
    QString Create() { return test::Create(*host_); }
    bool Register(const QString& layer, const QString& pbx, qint16 id) {
        return test::Register(*host_, layer, pbx, id);
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

namespace kestrel {
namespace {

// The host's side and the add-in's server in one process, over a private
// peer-to-peer connection.
class AutomationTest : public ::testing::Test, protected test::Helm32Peer {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree_.OpenStartupDatabases());
        ASSERT_NO_FATAL_FAILURE(StartPeer(tree_));
    }
    void TearDown() override { StopPeer(); }

    QDBusMessage OnLayer(const QString& layer, const char* member, const QVariantList& args = {}) {
        return Call(layer, contract::kLayerInterface, QString::fromLatin1(member), args);
    }
    QDBusMessage OnWindow(const char* member, const QVariantList& args = {}) {
        return Call(contract::kWindowPath, contract::kWindowInterface, QString::fromLatin1(member),
                    args);
    }

    test::RuntimeTree tree_;
};

TEST_F(AutomationTest, CreateRegisterAndShow) {
    const QString layer = Create();
    ASSERT_TRUE(layer.startsWith(contract::kLayerPathPrefix));
    dlgKestrel* window = addin_->Session().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());  // loaded, hidden until the host says
    // The window's own members, over the connection.
    const QVariant parent = QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath));
    // FrmMove reads the stored position from the host object it is given.
    model_.SetComData(QStringLiteral("Kestrel"), QStringLiteral("MOVE"), QStringLiteral("120,90"));
    OnWindow("FrmMove", {parent});
    EXPECT_EQ(window->pos(), QPoint(120, 90));
    OnWindow("Parent", {parent});
    EXPECT_EQ(window->Parent(), addin_->Host(contract::kHostParentPath));
    OnWindow("PBXName", {QStringLiteral("PBX2")});
    EXPECT_EQ(window->Session().HighestTrunk(), 255);  // asked through the parent
    OnWindow("Parent", {QVariant::fromValue(QDBusObjectPath(contract::kNoObjectPath))});
    EXPECT_EQ(window->Parent(), nullptr);
    // ShowWhatsThis names its control by design name, an index in brackets.
    test::PopupAnswers popups;
    for (const char* name : {"txtTrunk", "lblTrunk(1)", "grdTrkData"}) {
        EXPECT_NE(OnWindow("ShowWhatsThis", {QString::fromLatin1(name)}).type(),
                  QDBusMessage::ErrorMessage)
            << name;
    }
    EXPECT_EQ(popups.shown.size(), 3);
    EXPECT_FALSE(Register(layer, QStringLiteral("PBX1"), 7));
    EXPECT_EQ(window->windowTitle(), Msg(0) + QStringLiteral(" (PBX1)"));
    EXPECT_EQ(window->Session().HighestTrunk(), 511);  // asked through oOPX
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy (PBX1)"));
    Register(layer, QStringLiteral("PBX1"), 7);
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy (PBX1)"));  // once per name
    OnLayer(layer, "SetVisible", {true});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(OnLayer(layer, "GetVisible").arguments().value(0).toBool());
    {
        // The host has no processor version for no exchange, and logs it.
        const test::ExpectQtWarning logged(QStringLiteral("^helm32: No processor version for : "));
        Register(layer, QString(), 7);
    }
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("lsbMenu"))->isEnabled());
}

// Get, Print and Copy in a host start. A long copy: the host reports its progress to the
// add-in's window over the connection, and the window's Cancel cancels that
// request alone, through the host. The copy ends with the usual cancelled
// outcome and the window usable; another add-in's request on the same link
// runs on, and this add-in cannot cancel it.
TEST_F(AutomationTest, GetPrintCopyAndALongCopyThatCancelsOnlyItsOwn) {
    const QString layer = Create();
    Register(layer, QStringLiteral("PBX1"), 3);
    dlgKestrel* window = addin_->Session().Window();
    OnLayer(layer, "SetVisible", {true});
    window->findChild<QLineEdit*>(QStringLiteral("txtTrunk"))->setText(QStringLiteral("4"));
    window->RunCommand(QStringLiteral("Get"));
    ASSERT_TRUE(test::WaitFor([&] { return !window->Session().NoSourceData(); }, 20000));
    EXPECT_EQ(window->Session().Values().rowCount(), 14);
    EXPECT_TRUE(messages_.contains(Msg(3)));  // the host's message line
    QTemporaryDir reports;
    // The real host writes the PDF; the add-in names it and opens it.
    model_.SetReportsFolder(reports.filePath(QStringLiteral("out")));
    tree_.boxes.Clear();
    tree_.boxes.Script({answer::kYes});
    window->RunCommand(QStringLiteral("Print"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    ASSERT_EQ(tree_.opened.size(), 1);
    EXPECT_TRUE(QFile::exists(tree_.opened[0]));
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QFileInfo(tree_.opened[0]).fileName()))
        << tree_.boxes.Last().prompt.toStdString();
    window->Session().Values().SetItemValue(QStringLiteral("3002"), QStringLiteral("2"));
    window->findChild<QLineEdit*>(QStringLiteral("txtTrunkRange"))->setText(QStringLiteral("8"));
    tree_.boxes.Clear();
    window->RunCommand(QStringLiteral("Copy"));
    ASSERT_TRUE(test::WaitFor([&] { return !tree_.boxes.shown.empty(); }, 20000));
    EXPECT_EQ(tree_.boxes.Last().prompt,
              QStringLiteral("The trunk data has been copied to the destination trunks."));

    ExchangeFaults faults;
    faults.entryDelayMs = 40;
    SimulatedExchange::Open(tree_.SuiteDatabaseDir() + QStringLiteral("EXCHANGE/"),
                            QStringLiteral("PBX1"),
                            tree_.SuiteDatabaseDir() + QStringLiteral("Exchange.seed"))
        ->SetFaults(faults);
    struct Other : CallBackTarget {
        cListRequest answer;
        int calls = 0;
        void CallBack(cListRequest& response) override {
            answer = response;
            ++calls;
        }
    } other;
    const QString otherLogin = link_->Login(QStringLiteral("PBX1"), &other);
    window->findChild<QLineEdit*>(QStringLiteral("txtTrunkRange"))->setText(QStringLiteral("5-8"));
    tree_.boxes.Clear();
    window->RunCommand(QStringLiteral("Copy"));
    auto* strip = window->findChild<QWidget*>(QStringLiteral("picProgress"));
    auto* count = strip->findChild<QLabel*>(QStringLiteral("lblProgress"));
    auto* cancel = strip->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    // The copy itself (14 items to 4 trunks), after the destination check.
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return strip->isVisible() && count->text().endsWith(QStringLiteral(" of 56 entries"));
        },
        20000))
        << count->text().toStdString();
    EXPECT_TRUE(count->text().startsWith(QStringLiteral("Exchange request: ")));
    EXPECT_FALSE(window->IsEnabled());
    EXPECT_TRUE(cancel->isEnabled());

    // Another add-in's read waits behind the copy on the same link.
    cListRequest read;
    read.AddToList(QStringLiteral("3000"), QStringLiteral("004"));
    read.AddToList(QStringLiteral("3000"), QStringLiteral("005"));
    read.SetLoginID(otherLogin);
    read.SetPBXName(QStringLiteral("PBX1"));
    read.SetTag(QStringLiteral("13"));
    const QString otherRequest = link_->SendRequest(read);
    ASSERT_TRUE(otherRequest.startsWith(QStringLiteral("REQ")));
    // This add-in cannot cancel it.
    EXPECT_FALSE(CallHost(addin_->Connection(),
                          contract::kHostParentPath + contract::kLinkPathSuffix,
                          contract::kLinkInterface, QStringLiteral("CancelRequest"), {otherRequest})
                     .arguments()
                     .value(0)
                     .toBool());

    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(test::WaitFor(
        [&] { return !window->Session().RequestUnderWay() && !tree_.boxes.shown.empty(); }, 20000));
    EXPECT_EQ(window->Session().Dispatcher().ResponseList().ErrCode(), 61);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(QStringLiteral("The copy was cancelled.")))
        << tree_.boxes.Last().prompt.toStdString();
    EXPECT_TRUE(window->IsEnabled());
    EXPECT_FALSE(strip->isVisible());
    ASSERT_TRUE(test::WaitFor([&] { return other.calls == 1; }, 20000));
    EXPECT_EQ(other.answer.ErrCode(), 0);
    EXPECT_EQ(other.answer.Count(), 2);
    link_->LogOut(QStringLiteral("PBX1"), otherLogin);
}

// The named interface's element in an introspection text, its lines
// trimmed: what an exported member's change changes, not the indentation.
QString InterfaceText(const QString& xml, const QString& interface) {
    const qsizetype from = xml.indexOf(QStringLiteral("<interface name=\"%1\">").arg(interface));
    const qsizetype to = xml.indexOf(QStringLiteral("</interface>"), from);
    if (from < 0 || to < 0)
        return {};
    QStringList lines = xml.mid(from, to - from).split(u'\n');
    for (QString& line : lines)
        line = line.trimmed();
    return lines.join(u'\n');
}

// Every interface either program exports is committed as introspection XML
// in src/automation/dbus/ (the window's 18 members under their own names
// among them); a member changed without its description fails here with the
// difference.
TEST_F(AutomationTest, ExportedInterfacesMatchTheirCommittedDescriptions) {
    qputenv("KESTREL_SESSION", "1");  // the session object is exported too
    const QString layer = Create();
    qunsetenv("KESTREL_SESSION");
    ASSERT_FALSE(layer.isEmpty());
    struct Exported {
        const QDBusConnection* from;  // the side that calls the object
        QString path;
        QString interface;
    };
    const QDBusConnection& addin = addin_->Connection();
    const Exported exported[] = {
        {host_.get(), contract::kClassPath, contract::kClassInterface},
        {host_.get(), layer, contract::kLayerInterface},
        {host_.get(), contract::kWindowPath, contract::kWindowInterface},
        {host_.get(), contract::kSessionPath, contract::kSessionInterface},
        {&addin, contract::kHostParentPath, contract::kParentInterface},
        {&addin, contract::kHostParentPath + contract::kLinkPathSuffix, contract::kLinkInterface},
        {&addin, contract::kHostParentPath + contract::kProcessorPathSuffix,
         contract::kProcessorInterface},
    };
    for (const Exported& e : exported) {
        SCOPED_TRACE(e.interface.toStdString());
        const QDBusMessage reply =
            test::CallOn(*e.from, e.path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                         QStringLiteral("Introspect"));
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        const QString got = InterfaceText(reply.arguments().value(0).toString(), e.interface);
        ASSERT_FALSE(got.isEmpty()) << "not exported at " << e.path.toStdString();
        QFile committed(QStringLiteral(KESTREL_DBUS_XML_DIR "/") + e.interface +
                        QStringLiteral(".xml"));
        EXPECT_TRUE(committed.open(QIODevice::ReadOnly))
            << "missing: " << committed.fileName().toStdString();
        EXPECT_EQ(InterfaceText(QString::fromUtf8(committed.readAll()), e.interface).toStdString(),
                  got.toStdString())
            << "The exported interface differs from " << committed.fileName().toStdString();
    }
}

// Only the last release saves the position, removes the working copy and
// ends the process.
TEST_F(AutomationTest, AnUnloadedWindowIsNeverBroughtBack) {
    const QString layer = Create();
    const QString second = Create();
    ASSERT_FALSE(Register(layer, QStringLiteral("PBX1"), 3));
    const QString copy = tree_.DatabaseDir() + g_WorkDbName;
    EXPECT_TRUE(QFile::exists(copy));
    dlgKestrel* window = addin_->Session().Window();
    OnLayer(layer, "SetVisible", {true});
    ASSERT_TRUE(window->isVisible());
    const QString title = window->windowTitle();
    window->RunCommand(QStringLiteral("Exit"));
    EXPECT_EQ(unloaded_, QList<int>{3});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(tree_.process.Ended());  // until the host releases it

    OnLayer(layer, "SetVisible", {true});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(OnLayer(layer, "GetVisible").arguments().value(0).toBool());
    EXPECT_TRUE(Register(layer, QStringLiteral("PBX2"), 4));  // the load error
    OnLayer(layer, "SetBackGround", {QVariant::fromValue(qint16(1))});
    OnWindow("PBXName", {QStringLiteral("PBX2")});
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(window->ID(), 3);
    EXPECT_TRUE(OnWindow("CheckDBLoadError").arguments().value(0).toBool());
    EXPECT_TRUE(tree_.boxes.shown.empty());  // no "System Fatal Notice"
    EXPECT_FALSE(window->isVisible());

    Release(second);
    EXPECT_FALSE(tree_.process.Ended());
    EXPECT_NE(addin_->Session().Window(), nullptr);
    // The release still saves the position and ends.
    const QString position = FormatPosition(window->geometry().topLeft());
    Release(layer);
    EXPECT_EQ(tree_.process.ends, std::vector<int>{0});
    EXPECT_EQ(addin_->Session().Window(), nullptr);
    EXPECT_EQ(model_.ComData(QStringLiteral("Kestrel"), QStringLiteral("MOVE")), position);
    EXPECT_FALSE(QFile::exists(copy));
}

// A host whose stored-position question is answered busy `busyAnswers`
// times, and runs `meanwhile` before it is answered.
class MoodyHost : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PARENT_INTERFACE)

public:
    int busyAnswers = 0;
    int calls = 0;
    std::function<void()> meanwhile;

public slots:
    QString GetComData(const QString&, const QString&) {
        if (++calls <= busyAnswers) {
            sendErrorReply(contract::kBusyError, QStringLiteral("busy"));
            return {};
        }
        if (meanwhile)
            meanwhile();
        return QStringLiteral("120,90");
    }
};

TEST_F(AutomationTest, BusyHostsAreRetriedThenNoticed) {
    MoodyHost moody;
    host_->registerObject(QStringLiteral("/Moody"), &moody, QDBusConnection::ExportAllSlots);
    App().OleServerBusyTimeout = 400;
    auto ask = [&] {
        return CallHost(addin_->Connection(), QStringLiteral("/Moody"), contract::kParentInterface,
                        QStringLiteral("GetComData"),
                        {QStringLiteral("Kestrel"), QStringLiteral("MOVE")});
    };
    // Retried until the host is free again: no notice.
    moody.busyAnswers = 2;
    EXPECT_EQ(ask().arguments().value(0).toString(), QStringLiteral("120,90"));
    EXPECT_EQ(moody.calls, 3);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // Busy for longer than the time-out: the busy notice, then a failure.
    moody.calls = 0;
    moody.busyAnswers = 1000;
    EXPECT_THROW(ask(), RunError);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, App().OleServerBusyMsgTitle);
    EXPECT_EQ(tree_.boxes.Last().prompt, App().OleServerBusyMsgText);
}

// helm32's launcher with the real add-in program of the staged tree: each
// add-in is its own process on the launcher's private socket.
class AddinLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = tree_.AddinProgram();
        if (program_.isEmpty())
            GTEST_SKIP() << "the add-in program is not staged";
        // The add-in reads its settings from a folder of its own and offers
        // the session object through which the test presses Exit.
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", configDir_.path().toUtf8());
        qputenv("KESTREL_SESSION", "1");
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Helm32"))
            .remove(QStringLiteral("AddinData"));
        link_ = std::make_unique<SimulatedLink>(
            tree_.SuiteDatabaseDir() + QStringLiteral("EXCHANGE/"),
            tree_.SuiteDatabaseDir() + QStringLiteral("Exchange.seed"));
        launcher_ = std::make_unique<AddinLauncher>(model_, *link_, program_);
        QObject::connect(launcher_.get(), &AddinLauncher::opened,
                         [this](const QString& x) { opened_ << x; });
        QObject::connect(launcher_.get(), &AddinLauncher::closed,
                         [this](const QString& x) { closed_ << x; });
        QObject::connect(launcher_.get(), &AddinLauncher::status,
                         [this](const QString& text) { statuses_ << text; });
    }
    void TearDown() override {
        if (launcher_)
            launcher_->Shutdown();
        launcher_.reset();
        qunsetenv("KESTREL_SESSION");
        if (savedConfig_.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedConfig_);
    }
    qint64 Pid() const { return launcher_->ProcessId(QStringLiteral("PBX1")); }
    // The first add-in's window is shown.
    bool Shown() {
        return test::CallOn(launcher_->Connection(), contract::kLayerPathPrefix + u'1',
                            contract::kLayerInterface, QStringLiteral("GetVisible"), {}, 30000)
            .arguments()
            .value(0)
            .toBool();
    }
    test::RuntimeTree tree_;
    QTemporaryDir configDir_;
    QByteArray savedConfig_;
    QString program_;
    HostModel model_;
    std::unique_ptr<SimulatedLink> link_;
    std::unique_ptr<AddinLauncher> launcher_;
    QStringList opened_;
    QStringList closed_;
    QStringList statuses_;
};

// An add-in that does not answer is said to be so. Exit ends the add-in: it
// stores its position through the host, its process ends and the host
// forgets it. The engineer asking for Trunk Copy the moment the window has
// unloaded, before the old add-in has ended, gets a fresh one.
TEST_F(AddinLauncherTest, ExitEndsTheAddinAndTheNextOpenStartsAFreshOne) {
    launcher_->Open(QStringLiteral("PBX1"));
    ASSERT_TRUE(test::WaitFor([&] { return opened_.size() == 1; }, 60000));
    const qint64 first = Pid();
    ASSERT_NE(first, 0);
    ASSERT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
    // Asking while it is alive but does not answer (here stopped) says so
    // on the host's line; once it runs again, asking shows the same add-in.
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGSTOP), 0);
    launcher_->Open(QStringLiteral("PBX1"));
    const bool said = test::WaitFor(
        [&] {
            return statuses_.contains(
                QStringLiteral("Trunk Copy for PBX1 does not answer; it may "
                               "still be busy. Ask again in a moment."));
        },
        15000);
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGCONT), 0);
    EXPECT_TRUE(said) << statuses_.join(u'\n').toStdString();
    statuses_.clear();
    launcher_->Open(QStringLiteral("PBX1"));
    EXPECT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
    EXPECT_EQ(Pid(), first);
    EXPECT_EQ(launcher_->OpenCount(), 1);
    QCoreApplication::processEvents();  // the answer to the Open came before GetVisible's
    EXPECT_EQ(statuses_, QStringList());

    QList<int> unloaded;
    qint64 asked = -1;
    QObject::connect(&model_, &HostModel::childUnloaded, [&](int id) {
        unloaded << id;
        EXPECT_EQ(Pid(), 0);  // ending, not shown
        launcher_->Open(QStringLiteral("PBX1"));
        asked = Pid();
    });
    test::Post(launcher_->Connection(), contract::kSessionPath, contract::kSessionInterface,
               QStringLiteral("RunCommand"), {QStringLiteral("Exit")});  // it may end first
    ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 1 && opened_.size() == 2; }, 60000));
    EXPECT_EQ(unloaded, QList<int>{1});
    EXPECT_TRUE(model_.ComData(QStringLiteral("Kestrel"), QStringLiteral("MOVE")).has_value());
    EXPECT_NE(asked, 0);
    EXPECT_NE(asked, first);
    EXPECT_EQ(launcher_->OpenCount(), 1);
    EXPECT_EQ(Pid(), asked);
    EXPECT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
}

// Eight add-ins asked for at once under one host each get a working copy of
// their own, and leave none once they have ended.
TEST_F(AddinLauncherTest, EightAddinsAtOnceGetACopyEachAndLeaveNone) {
    for (int i = 1; i <= 8; ++i)
        launcher_->Open(QStringLiteral("PBX%1").arg(i));
    ASSERT_TRUE(test::WaitFor([&] { return opened_.size() + closed_.size() >= 8; }, 240000));
    EXPECT_EQ(opened_.size(), 8) << statuses_.join(u'\n').toStdString();
    EXPECT_EQ(closed_, QStringList());
    EXPECT_EQ(tree_.WorkingCopies().size(), 8) << tree_.WorkingCopies().join(u' ').toStdString();
    QSet<qint64> processes;
    for (int i = 1; i <= 8; ++i)
        processes.insert(launcher_->ProcessId(QStringLiteral("PBX%1").arg(i)));
    processes.remove(0);
    EXPECT_EQ(processes.size(), 8);

    launcher_->ReleaseAll();
    ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 8; }, 60000));
    EXPECT_EQ(tree_.WorkingCopies(), QStringList());
}

// An add-in that reports it could not prepare its working database is
// never shown: the host releases it and says so on its message line, and
// the add-in leaves no copy behind.
TEST_F(AddinLauncherTest, AnAddinWithALoadErrorIsNeverShown) {
    // An empty template; a garbled one fails to open alike (WorkingCopyTest).
    QFile templateFile(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"));
    ASSERT_TRUE(templateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    templateFile.close();
    launcher_->Open(QStringLiteral("PBX1"));
    ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 1; }, 60000));
    EXPECT_EQ(opened_, QStringList());
    ASSERT_FALSE(statuses_.isEmpty());
    EXPECT_TRUE(statuses_.last().contains(QStringLiteral("could not prepare its working database")))
        << statuses_.join(u'\n').toStdString();
    EXPECT_EQ(tree_.WorkingCopies(), QStringList());
}

// An add-in ended by any terminating signal as it starts or once open (during
// a copy: the unattended session's test) is noticed by the host, which forgets it and starts a
// fresh one the next time its exchange is asked for; that start removes what the dead one left, so
// nothing is left once the fresh one is released.
TEST_F(AddinLauncherTest, AKilledAddinIsForgottenAndTheNextOpenStartsAFreshOne) {
    auto started = [&] { return Pid() != 0; };
    // Its working copy made and its window registered with the host.
    auto open = [&] { return test::WaitFor([&] { return opened_.size() == 1; }, 60000); };
    const struct {
        const char* name;
        int signal;
        // Brings the add-in to the moment; false when it could not.
        std::function<bool()> reach;
    } rows[] = {
        {"killed at once", SIGKILL, started},
        {"terminated at once", SIGTERM, started},
        {"hung up once open", SIGHUP, open},
        {"aborted once open", SIGABRT, open},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        opened_.clear();
        closed_.clear();
        launcher_->Open(QStringLiteral("PBX1"));
        ASSERT_TRUE(row.reach());
        const qint64 pid = Pid();
        ASSERT_NE(pid, 0);
        ASSERT_EQ(::kill(static_cast<pid_t>(pid), row.signal), 0);
        ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 1; }, 30000));
        EXPECT_EQ(launcher_->OpenCount(), 0);
        EXPECT_EQ(Pid(), 0);
        opened_.clear();
        launcher_->Open(QStringLiteral("PBX1"));
        ASSERT_TRUE(test::WaitFor([&] { return opened_.size() == 1; }, 60000));
        EXPECT_NE(Pid(), pid);
        EXPECT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
        launcher_->ReleaseAll();
        ASSERT_TRUE(test::WaitFor([&] { return launcher_->OpenCount() == 0; }, 10000));
        ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 2; }, 30000));
        EXPECT_EQ(tree_.WorkingCopies(), QStringList());
    }
}

// The unattended session whose add-in is killed in the middle of its copy
// fails that step with the reason and ends at once with status 1.
TEST_F(AddinLauncherTest, TheUnattendedSessionFailsWhenItsAddinIsKilled) {
    QTemporaryDir folder;
    QWidget hostWindow;
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    int requests = 0;
    QObject::connect(link_.get(), &SimulatedLink::requestStarted, [&] {
        // The Get asks twice; the third request is the copy's first.
        if (++requests == 3)
            ::kill(static_cast<pid_t>(Pid()), SIGKILL);
    });
    auto* session = new ScriptedSession(*launcher_, model_, &hostWindow, QStringLiteral("PBX1"),
                                        folder.path(), nullptr, out);
    session->Start();
    // A hang, not a result. The timer goes with this test's window: a stray
    // one would end the event loops of every later test in the process.
    QTimer::singleShot(120000, &hostWindow, [] { QApplication::exit(99); });
    const int status = QApplication::exec();
    delete session;
    std::fclose(out);
    const QString text = QString::fromUtf8(buffer, static_cast<qsizetype>(size));
    std::free(buffer);
    EXPECT_EQ(status, 1) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("FAIL Copy to destination trunks 5-7 - the add-in ended "
                                     "unexpectedly")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("did not come up"))) << text.toStdString();
}

// Exit pressed while registration waits for the host is carried out once
// that host call has returned; the window it unloads stays unloaded.
TEST_F(AutomationTest, ExitDuringRegistrationWaitsForTheHostCall) {
    MoodyHost slow;  // answered once the engineer has pressed Exit
    host_->registerObject(QStringLiteral("/Slow"), &slow, QDBusConnection::ExportAllSlots);
    // The slow host has no other member and no link objects: the add-in's
    // calls of them (the processor version, the unload, the position) fail,
    // and are logged.
    const test::ExpectQtWarning logged(
        QStringLiteral("^kestrel.hostlink: The host failed .*(No such|at) object path '/Slow"));
    const QString layer = Create();
    dlgKestrel* window = addin_->Session().Window();
    slow.meanwhile = [&] { window->RunCommand(QStringLiteral("Exit")); };
    const QDBusMessage reply = OnLayer(
        layer, "RegisterPBX",
        {QStringLiteral("PBX1"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/Slow"))),
         QVariant::fromValue(qint16(8))});
    EXPECT_FALSE(reply.arguments().value(0).toBool());  // registered: the Exit waited
    ASSERT_TRUE(test::WaitFor([&] { return !window->IsLoaded(); }));
    OnLayer(layer, "SetVisible", {true});
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tree_.boxes.shown.empty());
    host_->unregisterObject(QStringLiteral("/Slow"));
    addin_.reset();  // its release still stores the position at /Slow, in vain
}

TEST(AddinRegistrationTest, AMissingRowIsNoFailureAMissingFileIsFatal) {
    test::RuntimeTree tree;
    const QString registry = tree.SuiteDatabaseDir() + QStringLiteral("Register.mdb");
    // A row that is missing is no failure; a missing registry is fatal.
    EXPECT_TRUE(RegisterAddin(QStringLiteral("ADDINS"), QStringLiteral("other.wrx"),
                              QStringLiteral("1.0.0")));
    EXPECT_TRUE(tree.boxes.shown.empty());
    QFile::remove(registry);
    EXPECT_FALSE(RegisterAddin(QStringLiteral("ADDINS"), QStringLiteral("kestrel.wrx"),
                               QStringLiteral("13.0.1")));
    ASSERT_EQ(tree.boxes.shown.size(), 1u);
    EXPECT_EQ(tree.boxes.Last().title, QStringLiteral("System Fatal Notice"));
    // A creation then ends the process as a failed start.
    const test::ExpectQtWarning logged(
        QStringLiteral("^kestrel.ui: The start failed: Register.mdb could not be updated$"));
    AddinSession session;
    cOLELayer layer(session);
    EXPECT_EQ(tree.process.ends, std::vector<int>{kStartupFailureExit});
}

// Every fault the simulated exchange can inject, on every request of a Get,
// of a copy, on the copy request only and on the destination check only,
// with and without the safety net: afterwards the session is idle and
// usable, the engineer was told in a box, the exchange holds exactly what
// the add-in said it wrote, and the next Get works. On the built-in host and
// through helm32's own host objects over a peer-to-peer D-Bus connection.
struct FaultKind {
    const char* name;
    std::function<void(ExchangeFaults&)> set;
    // Writes answered OK that store nothing: only a read-back can tell.
    bool answersLie = false;
};

const FaultKind kFaults[] = {
    {"LoginBusy", [](ExchangeFaults& f) { f.loginReply = QStringLiteral("BUSY"); }},
    {"SendError", [](ExchangeFaults& f) { f.sendReply = QStringLiteral("ERROR"); }},
    {"SlowEntries", [](ExchangeFaults& f) { f.entryDelayMs = 2; }},
    {"LinkTimeout", [](ExchangeFaults& f) { f.linkFailEntries << 0 << 5; }},
    {"PortTrouble",
     [](ExchangeFaults& f) {
         f.linkFailText = QStringLiteral("OPX_PORT TROUBLES");
         f.linkFailEntries << 1;
     }},
    {"CancelAtOnce", [](ExchangeFaults& f) { f.cancelAfter = 0; }},
    {"CancelAfter10", [](ExchangeFaults& f) { f.cancelAfter = 10; }},
    {"ErrCode99", [](ExchangeFaults& f) { f.errCode = 99; }},
    {"ErrCode61", [](ExchangeFaults& f) { f.errCode = 61; }},
    {"RefusedItems",
     [](ExchangeFaults& f) { f.refuseItems << QStringLiteral("3002") << QStringLiteral("3014"); }},
    {"SilentWrites", [](ExchangeFaults& f) { f.silentItems << QStringLiteral("3002"); }, true},
};

// Where the faults apply: every request of a Get or of a copy, or only the
// copy's write request, or only its destination check.
enum class Scope { Get, Copy, CopyRequestOnly, CheckOnly };
enum class Road { Plain, SafetyNet };
enum class Host { BuiltIn, Helm32 };

struct MatrixCase {
    int fault;
    Scope scope;
    Road road;
    Host host = Host::BuiltIn;
};

std::vector<MatrixCase> AllCases() {
    std::vector<MatrixCase> cases;
    for (int f = 0; f < static_cast<int>(std::size(kFaults)); ++f) {
        cases.push_back({f, Scope::Get, Road::Plain});
        for (const Scope scope : {Scope::Copy, Scope::CopyRequestOnly, Scope::CheckOnly}) {
            for (const Road road : {Road::Plain, Road::SafetyNet})
                cases.push_back({f, scope, road});
        }
    }
    return cases;
}

// Over D-Bus one row per fault kind: fault f takes the (f mod 7)th of its
// seven rows, so every scope and both nets are crossed there too.
std::vector<MatrixCase> Helm32Cases() {
    const std::vector<MatrixCase> all = AllCases();
    std::vector<MatrixCase> cases;
    for (std::size_t f = 0; f < std::size(kFaults); ++f) {
        cases.push_back(all[f * 7 + f % 7]);
        cases.back().host = Host::Helm32;
    }
    return cases;
}

// Messages and test lists name a case as its test does, not as raw bytes.
void PrintTo(const MatrixCase& c, std::ostream* out) {
    static const char* const scopes[] = {"Get", "Copy", "CopyRequestOnly", "CheckOnly"};
    *out << kFaults[c.fault].name << '_' << scopes[static_cast<int>(c.scope)];
    if (c.scope != Scope::Get)
        *out << (c.road == Road::Plain ? "_Plain" : "_SafetyNet");
}

// A value as a Get stores it: answer codes ("DATA NOT SET") read as empty.
QString AsRead(const QString& value) {
    const int c = ClassifyAnswer(value);
    return c != code::kDataValue && c != code::kNone ? QString() : value;
}

class FaultMatrixTest : public test::SessionFixture,
                        public ::testing::WithParamInterface<MatrixCase> {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        SetSafetyNetSetting(GetParam().road == Road::SafetyNet);
        if (GetParam().host == Host::BuiltIn) {
            OpenStandalone();
            ASSERT_NE(link_, nullptr);
            return;
        }
        peer_ = std::make_unique<test::Helm32Peer>();
        ASSERT_NO_FATAL_FAILURE(peer_->StartPeer(tree_));
        peer_->Register(peer_->Create(), QStringLiteral("PBX1"), 3);
        dlg_ = peer_->addin_->Session().Window();
        ASSERT_NE(dlg_, nullptr);
        // The engineer copies from the preview whenever it offers to, as the
        // built-in road's window does.
        auto* poll = new QTimer(dlg_);
        QObject::connect(poll, &QTimer::timeout, [] {
            QWidget* preview = QApplication::activeModalWidget();
            if (!preview || preview->objectName() != u"frmPreview")
                return;
            auto* copy = preview->findChild<QPushButton*>(QStringLiteral("cmdCopy"));
            QTest::mouseClick(copy && copy->isEnabled() && copy->isVisible()
                                  ? copy
                                  : preview->findChild<QPushButton*>(QStringLiteral("cmdClose")),
                              Qt::LeftButton);
        });
        poll->start(20);
    }
    void TearDown() override {
        if (peer_)
            peer_->StopPeer();
        SessionFixture::TearDown();
        SetSafetyNetSetting(true);
    }

    void SetFaults(bool on) {
        ExchangeFaults faults;
        if (on)
            kFaults[GetParam().fault].set(faults);
        test::OpenExchange()->SetFaults(faults);
    }
    TrunkCopySession& Session() { return dlg_ ? dlg_->Session() : *session_; }
    SimulatedLink& Link() { return dlg_ ? *peer_->link_ : *link_; }
    bool Enabled() const { return dlg_ ? dlg_->IsEnabled() : window_.enabled; }
    void Run(const QString& box, const QString& text, const std::function<void()>& command) {
        if (dlg_)
            dlg_->findChild<QLineEdit*>(box)->setText(text);
        else
            (box == u"txtTrunk" ? window_.trunkBox : window_.destinations) = text;
        command();
        ASSERT_TRUE(test::WaitFor([&] { return !Session().RequestUnderWay(); }, 20000));
    }
    // Every trunk-data value of the exchange by "trunk/item", read as one
    // text: a recordset row per value cost more than the rest of a case.
    QHash<QString, QString> Dump() const {
        auto exchange = test::OpenExchange();
        const QString all = test::SqlValue(
            exchange->Db(),
            QStringLiteral("SELECT group_concat(printf('%03d/%s', Trunk, CMD) || "
                           "char(9) || ifnull(Value, ''), char(10)) FROM TrunkData"));
        QHash<QString, QString> values;
        for (const QStringView line : QStringView(all).split(u'\n')) {
            const qsizetype tab = line.indexOf(u'\t');
            values.insert(line.left(tab).toString(), line.mid(tab + 1).toString());
        }
        return values;
    }
    void Get() {
        Run(QStringLiteral("txtTrunk"), QStringLiteral("004"), [&] { Session().GetSourceTrunk(); });
    }
    // The faults on the request that follows one with the tag `after`, off
    // again once a request with the tag `until` has been answered.
    void ArmBetween(const QString& after, const QString& until) {
        TrunkCopySession* session = &Session();
        QObject::connect(&Link(), &SimulatedLink::requestEnded, session, [=, this] {
            const QString tag = session->Dispatcher().SentTag();
            if (tag == after)
                SetFaults(true);
            if (tag == until)
                SetFaults(false);
        });
    }

    std::unique_ptr<test::Helm32Peer> peer_;  // helm32 over D-Bus, in its cases
    dlgKestrel* dlg_ = nullptr;               // the add-in's window there
};

TEST_P(FaultMatrixTest, UsableToldAndWroteWhatItSaid) {
    const MatrixCase c = GetParam();
    const bool net = c.road == Road::SafetyNet;
    if (c.scope != Scope::Get) {
        Get();
        ASSERT_EQ(Session().Values().rowCount(), 14);
    }
    const QHash<QString, QString> before = Dump();
    tree_.boxes.Clear();
    switch (c.scope) {
        case Scope::Get:
        case Scope::Copy:
            SetFaults(true);
            break;
        case Scope::CheckOnly:
            SetFaults(true);
            ArmBetween(QString(), QStringLiteral("12"));
            break;
        case Scope::CopyRequestOnly:
            // The write follows the check, or with the net the destinations' read.
            ArmBetween(net ? QStringLiteral("16") : QStringLiteral("12"), QStringLiteral("10"));
            break;
    }
    if (c.scope == Scope::Get) {
        Get();
    } else {
        Run(QStringLiteral("txtTrunkRange"), QStringLiteral("5-6,8"),
            [&] { Session().Copy(false); });
    }
    ASSERT_TRUE(test::WaitFor([&] { return !Session().Busy(); }, 20000));
    SetFaults(false);

    // Usable and told.
    EXPECT_FALSE(Session().Busy());
    EXPECT_TRUE(Enabled());
    ASSERT_FALSE(tree_.boxes.shown.empty()) << "no box";

    // What the add-in said it wrote: the answer's entries on the plain road,
    // the journal's written cells with the net.
    const QHash<QString, QString> after = Dump();
    QSet<QString> said;
    QHash<QString, QString> newValue;
    if (c.scope != Scope::Get && !net) {
        for (const CopyWriter::Cell& cell : Session().Copier().Written())
            said.insert(cell.first + u'/' + cell.second);
        for (int r = 0; r < Session().Values().rowCount(); ++r) {
            for (const char* trunk : {"005", "006", "008"}) {
                newValue.insert(QString::fromLatin1(trunk) + u'/' +
                                    Session().Values().Cell(r, ValueListModel::kCmd),
                                Session().Values().Cell(r, ValueListModel::kData));
            }
        }
        const QString prompt = tree_.boxes.Last().prompt;
        if (!said.isEmpty() && !prompt.startsWith(QStringLiteral("The trunk data has been")) &&
            !prompt.startsWith(QStringLiteral("The exchange refused these items"))) {
            EXPECT_TRUE(prompt.contains(CopyWriter::CellLines(Session().Copier().Written())))
                << prompt.toStdString();
        }
    } else if (net) {
        QString error;
        auto journal = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        ASSERT_NE(journal, nullptr) << error.toStdString();
        const QList<JournalEntry> entries = journal->Entries(QStringLiteral("PBX1"));
        if (!entries.isEmpty()) {
            EXPECT_EQ(entries.first().kind, QStringLiteral("Copy"));
            for (const JournalCell& cell : journal->Cells(entries.first().id)) {
                const QString key = cell.trunk + u'/' + cell.item;
                const QString now = AsRead(after.value(key));
                if (cell.outcome == CellOutcome::Written) {
                    said.insert(key);
                    newValue.insert(key, cell.newValue);
                } else if (cell.outcome != CellOutcome::Unchanged) {
                    // Not written: the destination holds what it held.
                    EXPECT_EQ(now, cell.oldValue) << key.toStdString();
                }
            }
        }
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (it.value() != before.value(it.key())) {
            EXPECT_TRUE(said.contains(it.key()))
                << it.key().toStdString() << " changed but was not said to be written";
        }
    }
    if (!(kFaults[c.fault].answersLie && !net)) {
        for (const QString& key : said) {
            EXPECT_EQ(AsRead(after.value(key)), newValue.value(key))
                << key.toStdString() << " said to be written but does not hold the value";
        }
    }

    // The next Get works.
    tree_.boxes.Clear();
    Get();
    EXPECT_EQ(Session().Values().rowCount(), 14);
    ASSERT_FALSE(tree_.boxes.shown.empty());
    EXPECT_EQ(tree_.boxes.Last().prompt, QStringLiteral("The request has been completed."));
    EXPECT_FALSE(Session().Busy());
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrixTest, ::testing::ValuesIn(AllCases()),
                         ::testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(Helm32OverDBus, FaultMatrixTest, ::testing::ValuesIn(Helm32Cases()),
                         ::testing::PrintToStringParamName());

// The real add-in program against a host the test plays over the real
// peer-to-peer D-Bus road: a host that goes away in any state of the add-in
// ends it cleanly and soon, and a hostile host's calls neither crash it nor
// make it write, and are answered within a bound.
//
// The add-in against a host whose answers race its own host calls, over a
// real peer-to-peer D-Bus connection: whatever the order in which the
// answer, the replies and the message-line calls arrive, a Get ends with the
// window enabled and idle, and input during a host call starts nothing.

// Generous: a call or an end that takes longer is a hang, not a slow machine.
constexpr int kBoundMs = 5000;
constexpr int kEndBoundMs = 10000;

// The add-in program of the staged tree, started on the test's private
// socket as its host starts it.
class AddinProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        contract::RegisterTypes();
        program_ = tree_.AddinProgram();
        if (program_.isEmpty())
            GTEST_SKIP() << "the add-in program is not staged";
        address_ = host_.Listen();
    }
    // As its host ends it: the connection goes, and an add-in that has not
    // ended within the bound is killed (a killed one writes no coverage).
    void TearDown() override {
        HostGoes();
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(kEndBoundMs)) {
            process_.kill();
            process_.waitForFinished(kBoundMs);
        }
    }

    // Starts the add-in; `session` is KESTREL_SESSION ("" for none).
    bool StartAddin(const QString& session) {
        QProcessEnvironment env = tree_.AddinEnvironment();
        if (session.isEmpty())
            env.remove(QStringLiteral("KESTREL_SESSION"));
        else
            env.insert(QStringLiteral("KESTREL_SESSION"), session);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process_, &QProcess::readyRead,
                         [this] { output_ += process_.readAll(); });
        process_.start(program_, {contract::kEmbedding, address_});
        return process_.waitForStarted(kBoundMs) &&
               test::WaitFor([this] { return host_.connected; }, kEndBoundMs);
    }
    QVariant SessionCall(const QString& member, const QVariantList& args = {}) {
        return host_.Call(contract::kSessionPath, contract::kSessionInterface, member, args)
            .arguments()
            .value(0);
    }
    // A Get of trunk 004 through the session object, not waited for.
    void StartGet() {
        SessionCall(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
        host_.Post(contract::kSessionPath, contract::kSessionInterface,
                   QStringLiteral("RunCommand"), {QStringLiteral("Get")});
    }
    // That Get, answered in full.
    bool GetTrunk4() {
        StartGet();
        return test::WaitFor(
            [&] {
                return host_.tags.size() >= 2 &&
                       SessionCall(QStringLiteral("ItemCount")).toInt() > 0;
            },
            kEndBoundMs);
    }
    QString OpenModal() { return SessionCall(QStringLiteral("OpenModal")).toString(); }
    // The host closing as helm32 does: it releases the window and goes on
    // answering until the add-in has ended.
    void HostCloses() {
        host_.Post(contract::kClassPath, contract::kClassInterface, QStringLiteral("ReleaseObject"),
                   {QVariant::fromValue(QDBusObjectPath(host_.layer))});
    }
    // The connection closes with its last reference.
    void HostGoes() {
        const QString name = host_.connection.name();
        host_.connection = QDBusConnection(QStringLiteral("none"));
        QDBusConnection::disconnectFromPeer(name);
    }
    // The add-in ended on its own, with status 0 and no sanitizer report; a
    // host gone while the connection was still being made may instead be
    // one it could not reach, a failed start (status 1) that says so.
    void ExpectCleanEnd(bool mayBeUnreached = false) {
        const bool ended =
            test::WaitFor([&] { return process_.state() == QProcess::NotRunning; }, kEndBoundMs);
        ASSERT_TRUE(ended) << "the add-in is still running";
        output_ += process_.readAll();
        EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
        if (!(mayBeUnreached && process_.exitCode() == 1 &&
              output_.contains("cannot reach the host"))) {
            EXPECT_EQ(process_.exitCode(), 0) << output_.toStdString();
        }
        for (const char* report :
             {"AddressSanitizer", "LeakSanitizer", "runtime error", "double free"}) {
            EXPECT_FALSE(output_.contains(report)) << output_.toStdString();
        }
    }

    test::RuntimeTree tree_;
    QString program_;
    test::PlayedHost host_;
    QString address_;
    QProcess process_;
    QByteArray output_;
};

TEST_F(AddinProcessTest, TheHostGoingAwayInAnyStateEndsTheAddinCleanly) {
    auto inBox = [this] {
        // The Get ends in the box saying the request has been completed.
        return !host_.CreateAndRegister().isEmpty() && GetTrunk4() &&
               test::WaitFor([&] { return OpenModal() == u"QMessageBox"; }, kEndBoundMs);
    };
    auto inDialog = [this] {
        if (host_.CreateAndRegister().isEmpty() || !GetTrunk4())
            return false;
        // "Other route (1 to 64)", first by its empty value, asks for its number.
        host_.Post(contract::kSessionPath, contract::kSessionInterface,
                   QStringLiteral("ChooseOption"), {QStringLiteral("3001"), 0});
        return test::WaitFor([&] { return OpenModal() == u"frmCmd"; }, kEndBoundMs);
    };
    const struct {
        const char* name;
        const char* session;  // KESTREL_SESSION of the add-in
        // Brings the add-in into the state; false when it could not.
        std::function<bool()> reach;
        bool closes = false;  // the host closes as helm32 does instead of dropping the connection
    } states[] = {
        {"before any object is created", "", [this] { return host_.dropAtConnect = true; }},
        {"after create", "", [this] { return !host_.CreateAndRegister().isEmpty(); }},
        {"during login", "1",
         [this] {
             host_.loginDelayMs = -1;
             if (host_.CreateAndRegister().isEmpty())
                 return false;
             StartGet();
             return test::WaitFor([&] { return host_.logins == 1; }, kBoundMs);
         }},
        {"during a request", "1",
         [this] {
             host_.deliver = [](const cListRequest&) {};
             if (host_.CreateAndRegister().isEmpty())
                 return false;
             StartGet();
             return test::WaitFor([&] { return host_.tags.size() == 1; }, kBoundMs) &&
                    SessionCall(QStringLiteral("Busy")).toBool();
         }},
        {"during a message box", "boxes", inBox},
        {"during the additional-data dialog", "1", inDialog},
        {"closing during a message box", "boxes", inBox, true},
        {"closing during the additional-data dialog", "1", inDialog, true},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.name);
        TearDown();
        SetUp();
        host_.Reset();
        process_.disconnect();
        output_.clear();
        ASSERT_TRUE(StartAddin(QString::fromLatin1(state.session)));
        ASSERT_TRUE(state.reach()) << output_.toStdString();
        if (state.closes)
            HostCloses();
        else
            HostGoes();
        ExpectCleanEnd(host_.dropAtConnect);
    }
}

// A record whose header (saying `count` entries) is followed by `lists` (the
// eight lists of entries).
QVariant Record(const std::function<void(QDBusArgument&)>& lists, qint16 count = 1) {
    QDBusArgument out;
    out.beginStructure();
    out << QStringLiteral("1") << QStringLiteral("PBX1") << QStringLiteral("1")
        << QStringLiteral("LOGIN1") << QStringLiteral("10") << QStringLiteral("10") << QString()
        << count << qint16(20) << qint32(0) << true << false << true << qint16(0) << QString();
    lists(out);
    out.endStructure();
    return QVariant::fromValue(out);
}

QVariant Answer(const char* tag, const char* login, int entries) {
    cListRequest answer;
    answer.SetTag(QString::fromLatin1(tag));
    answer.SetLoginID(QString::fromLatin1(login));
    for (int i = 0; i < entries; ++i)
        answer.AddToList(QStringLiteral("3001"), QStringLiteral("005"), QString(),
                         QStringLiteral("OK"));
    return QVariant::fromValue(answer);
}

TEST_F(AddinProcessTest, AHostileHostNeitherCrashesNorMakesItWrite) {
    ASSERT_TRUE(StartAddin(QStringLiteral("1")));
    const QString layer = host_.CreateAndRegister();
    ASSERT_FALSE(layer.isEmpty());
    const QString mega(1 << 20, u'7');
    const QVariant uneven = Record([](QDBusArgument& out) {
        out << QStringList{QStringLiteral("3001"), QStringLiteral("3002")};
        for (int i = 0; i < 7; ++i)
            out << QStringList{QStringLiteral("005")};
    });
    // Lists of one entry under a header that says two.
    const QVariant miscounted = Record(
        [](QDBusArgument& out) {
            for (int i = 0; i < 8; ++i)
                out << QStringList{QStringLiteral("005")};
        },
        2);
    const QVariant huge = Record([](QDBusArgument& out) {
        for (int i = 0; i < 8; ++i)
            out << QStringList(100000, QStringLiteral("3001"));
    });
    auto path = [](const char* p) { return QVariant::fromValue(QDBusObjectPath(p)); };
    const QVariant parent = QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath));
    const QVariant nobody = path("/nobody");
    const QVariant set3 = QVariant::fromValue(qint16(3));
    const QVariant req1 = QStringLiteral("REQ1");
    const QVariant login1 = QStringLiteral("LOGIN1");
    auto text = [](const char* t) { return QVariant(QString::fromLatin1(t)); };
    enum Object { kClass, kLayer, kWindow };
    const struct {
        const char* what;
        Object object;
        const char* member;
        QVariantList args;
        bool refused = false;  // answered with an error
    } rows[] = {
        {"CreateObject of no class", kClass, "CreateObject", {QString()}, true},
        {"CreateObject of a 1 MB class name", kClass, "CreateObject", {mega}, true},
        {"ReleaseObject of an unknown path", kClass, "ReleaseObject", {path("/cOLELayer/99")}},
        {"RegisterPBX of a 1 MB exchange", kLayer, "RegisterPBX", {mega, parent, set3}},
        {"RegisterPBX, unknown parent", kLayer, "RegisterPBX", {text("PBX1"), nobody, set3}},
        {"SetBackGround of no set", kLayer, "SetBackGround", {QVariant::fromValue(qint16(32767))}},
        {"CallBack with lists of differing length", kWindow, "CallBack", {uneven}, true},
        {"CallBack with a miscounted record", kWindow, "CallBack", {miscounted}, true},
        {"CallBack of 100000 entries", kWindow, "CallBack", {huge}, true},
        {"CallBack with no request in flight", kWindow, "CallBack", {Answer("10", "LOGIN1", 3)}},
        {"CallBack of another step", kWindow, "CallBack", {Answer("12", "LOGIN1", 3)}},
        {"CallBack of another login", kWindow, "CallBack", {Answer("13", "LOGIN999", 1)}},
        {"CallBack, station check, other login", kWindow, "CallBack", {Answer("14", "LOGIN9", 1)}},
        {"PBXName of 1 MB", kWindow, "PBXName", {mega}},
        {"TrunkNumber of 1 MB", kWindow, "TrunkNumber", {mega}},
        {"Search_CMD of 1 MB", kWindow, "Search_CMD", {mega}},
        {"SecondData of 1 MB", kWindow, "SecondData", {mega}},
        {"ShowWhatsThis of a 1 MB name", kWindow, "ShowWhatsThis", {mega}, true},
        {"ShowWhatsThis of no name", kWindow, "ShowWhatsThis", {QString()}, true},
        {"Parent of an unknown path", kWindow, "Parent", {nobody}},
        {"FrmMove to an unknown host", kWindow, "FrmMove", {nobody}},
        {"BackGround of a negative set", kWindow, "BackGround", {QVariant::fromValue(qint16(-1))}},
        {"IncrementCount", kWindow, "IncrementCount", {}},
        {"Check_STNData of 1 MB", kWindow, "Check_STNData", {mega, mega}},
        {"RequestProgress of no request", kWindow, "RequestProgress", {req1, login1, -5, 1 << 30}},
        {"RequestProgress of 1 MB names", kWindow, "RequestProgress", {mega, mega, 1, 2}},
        {"RequestEnded of no request", kWindow, "RequestEnded", {text("REQ9"), text("LOGIN9"), 61}},
    };
    const QString paths[] = {contract::kClassPath, layer, contract::kWindowPath};
    const QString interfaces[] = {contract::kClassInterface, contract::kLayerInterface,
                                  contract::kWindowInterface};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QDBusMessage reply = host_.Call(paths[row.object], interfaces[row.object],
                                              QString::fromLatin1(row.member), row.args);
        ASSERT_NE(reply.type(), QDBusMessage::InvalidMessage) << "no answer within the bound";
        EXPECT_EQ(reply.type() == QDBusMessage::ErrorMessage, row.refused)
            << reply.errorMessage().toStdString();
        ASSERT_EQ(process_.state(), QProcess::Running) << output_.toStdString();
    }
    // Still serving, and nothing was ever written: no copy request was sent.
    EXPECT_EQ(host_.Call(layer, contract::kLayerInterface, QStringLiteral("GetVisible")).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_FALSE(host_.tags.contains(QStringLiteral("10"))) << host_.tags.join(u',').toStdString();
    // The count the host raised does not keep the add-in once the host goes.
    HostGoes();
    ExpectCleanEnd();
}

class HostRaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        contract::RegisterTypes();
        ASSERT_TRUE(tree_.OpenStartupDatabases());
        g_Standalone = false;
        addin_ = std::make_unique<AutomationServer>();
        ASSERT_TRUE(addin_->Start(host_.Listen()));
        ASSERT_TRUE(test::WaitFor([this] { return host_.connected; }));
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
    std::unique_ptr<AutomationServer> addin_;
    dlgKestrel* window_ = nullptr;
};

// Clicks, keys and commands that arrive while Login waits for the host do
// not start a second request inside the first either.
TEST_F(HostRaceTest, EveryOrderOfAnswerAndHostCallsEndsEnabledAndIdle) {
    window_->show();
    QToolButton* get = window_->findChild<ListBar*>(QStringLiteral("lsbMenu"))
                           ->ButtonForKey(QStringLiteral("Get"));
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

#include "AutomationTest.moc"
