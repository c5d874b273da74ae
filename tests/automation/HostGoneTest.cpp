// The real add-in program against a host the test plays over the real
// peer-to-peer D-Bus road: a host that goes away in any state of the add-in
// ends it cleanly and soon, and a hostile host's calls neither crash it nor
// make it write, and are answered within a bound.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusServer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "automation/AutomationContract.h"
#include "helm32/HostObjects.h"
#include "support/PeerAddress.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

// Generous: a call or an end that takes longer is a hang, not a slow machine.
constexpr int kBoundMs = 5000;
constexpr int kEndBoundMs = 10000;

// How the host's link treats the add-in's requests.
enum class LinkMode {
    Answer,     // answers every request at once
    HoldLogin,  // never answers Login
    Silent,     // accepts every request and never answers it
};

struct PlayedHost {
    LinkMode mode = LinkMode::Answer;
    int logins = 0;
    QStringList tags;  // the step of every request sent
    QDBusConnection connection{QStringLiteral("none")};
    QList<QDBusMessage> heldReplies;

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

public slots:
    void ShowMessage(const QString&) {}
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
};

class PlayedLink : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_LINK_INTERFACE)

public:
    explicit PlayedLink(PlayedHost& host) : host_(host) {}

public slots:
    QString Login(const QString&, const QDBusObjectPath& callback) {
        callback_ = callback.path();
        ++host_.logins;
        if (host_.mode == LinkMode::HoldLogin) {
            setDelayedReply(true);
            host_.heldReplies << message();
            return {};
        }
        return QStringLiteral("LOGIN%1").arg(host_.logins);
    }
    QString SendRequest(const kestrel::cListRequest& request) {
        host_.tags << request.Tag();
        if (host_.mode == LinkMode::Answer) {
            cListRequest answer = PlayedHost::AnswerTo(request);
            const QDBusConnection c = connection();
            const QString path = callback_;
            QTimer::singleShot(
                0, [c, path, answer]() mutable { DBusCallBack(c, path).CallBack(answer); });
        }
        return QStringLiteral("REQ%1").arg(host_.tags.size());
    }
    void LogOut(const QString&, const QString&) {}

private:
    PlayedHost& host_;
    QString callback_;
};

class PlayedProcessor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_PROCESSOR_INTERFACE)

public slots:
    QString GetMPVersion(const QString&) { return QStringLiteral("SC-K R5.0"); }
};

// The add-in program of the staged tree, started on the test's private
// socket as its host starts it.
class AddinProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        contract::RegisterTypes();
        program_ = tree_.AddinsDir() + QStringLiteral("/kestrel");
        if (!QFile::exists(program_))
            GTEST_SKIP() << "the add-in program is not staged";
        QFile::setPermissions(program_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        server_ = std::make_unique<QDBusServer>(test::PeerServerAddress());
        QObject::connect(
            server_.get(), &QDBusServer::newConnection, [this](const QDBusConnection& c) {
                connected_ = true;
                if (dropAtConnect_) {
                    QDBusConnection::disconnectFromPeer(c.name());
                    return;
                }
                host_.connection = c;
                QDBusConnection own(c);
                own.registerObject(contract::kHostParentPath, &parent_,
                                   QDBusConnection::ExportAllSlots);
                own.registerObject(contract::kHostParentPath + contract::kLinkPathSuffix, &link_,
                                   QDBusConnection::ExportAllSlots);
                own.registerObject(contract::kHostParentPath + contract::kProcessorPathSuffix,
                                   &processor_, QDBusConnection::ExportAllSlots);
            });
    }
    void TearDown() override {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kBoundMs);
        }
        HostGoes();
    }

    // Starts the add-in; `session` is KESTREL_SESSION ("" for none).
    bool StartAddin(const QString& session) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir_.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (session.isEmpty())
            env.remove(QStringLiteral("KESTREL_SESSION"));
        else
            env.insert(QStringLiteral("KESTREL_SESSION"), session);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process_, &QProcess::readyRead,
                         [this] { output_ += process_.readAll(); });
        process_.start(program_, {contract::kEmbedding, server_->address()});
        return process_.waitForStarted(kBoundMs) &&
               test::WaitFor([this] { return connected_; }, kEndBoundMs);
    }
    // A call answered within the bound; an invalid message when it was not.
    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        return Finish(host_.connection.asyncCall(call));
    }
    QDBusMessage Finish(QDBusPendingCall pending) {
        if (!test::WaitFor([&] { return pending.isFinished(); }, kBoundMs))
            return {};
        return pending.reply();
    }
    // A call whose answer comes only when what it opens has closed.
    void Post(const QString& path, const QString& iface, const QString& member,
              const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        host_.connection.asyncCall(call);
    }
    QVariant SessionCall(const QString& member, const QVariantList& args = {}) {
        return Call(contract::kSessionPath, contract::kSessionInterface, member, args)
            .arguments()
            .value(0);
    }
    QString CreateAndRegister() {
        // The add-in offers its class object just after it has connected:
        // asked as it connects, it has none yet, as a host asking too early
        // finds.
        QDBusMessage created;
        test::WaitFor(
            [&] {
                created = Call(contract::kClassPath, contract::kClassInterface,
                               QStringLiteral("CreateObject"), {contract::kClassName});
                return created.type() == QDBusMessage::ReplyMessage &&
                       !created.arguments().isEmpty();
            },
            kBoundMs);
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty())
            return {};
        const QString layer = qdbus_cast<QDBusObjectPath>(created.arguments().first()).path();
        Call(layer, contract::kLayerInterface, QStringLiteral("RegisterPBX"),
             {QStringLiteral("PBX1"),
              QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath)),
              QVariant::fromValue(qint16(3))});
        Call(layer, contract::kLayerInterface, QStringLiteral("SetVisible"), {true});
        layer_ = layer;
        return layer;
    }
    // A Get of trunk 004 through the session object, answered in full.
    bool GetTrunk4() {
        SessionCall(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
        Post(contract::kSessionPath, contract::kSessionInterface, QStringLiteral("RunCommand"),
             {QStringLiteral("Get")});
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
        Post(contract::kClassPath, contract::kClassInterface, QStringLiteral("ReleaseObject"),
             {QVariant::fromValue(QDBusObjectPath(layer_))});
    }
    // The connection closes with its last reference.
    void HostGoes() {
        const QString name = host_.connection.name();
        host_.connection = QDBusConnection(QStringLiteral("none"));
        QDBusConnection::disconnectFromPeer(name);
    }
    // The add-in ended on its own, with status 0 and no sanitizer report.
    void ExpectCleanEnd() {
        const bool ended =
            test::WaitFor([&] { return process_.state() == QProcess::NotRunning; }, kEndBoundMs);
        ASSERT_TRUE(ended) << "the add-in is still running";
        output_ += process_.readAll();
        EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process_.exitCode(), 0);
        for (const char* report :
             {"AddressSanitizer", "LeakSanitizer", "runtime error", "double free"}) {
            EXPECT_FALSE(output_.contains(report)) << output_.toStdString();
        }
    }

    // Registers an exchange and starts a Get of trunk 4 without waiting for it.
    bool StartGetOf4() {
        if (CreateAndRegister().isEmpty())
            return false;
        SessionCall(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
        Post(contract::kSessionPath, contract::kSessionInterface, QStringLiteral("RunCommand"),
             {QStringLiteral("Get")});
        return true;
    }

    test::RuntimeTree tree_;
    QTemporaryDir configDir_;
    QString program_;
    PlayedHost host_;
    PlayedParent parent_;
    PlayedLink link_{host_};
    PlayedProcessor processor_;
    std::unique_ptr<QDBusServer> server_;
    QProcess process_;
    QByteArray output_;
    bool connected_ = false;
    bool dropAtConnect_ = false;
    QString layer_;  // the window the host created last
};

TEST_F(AddinProcessTest, TheHostGoingAwayInAnyStateEndsTheAddinCleanly) {
    struct State {
        const char* name;
        const char* session;  // KESTREL_SESSION of the add-in
        LinkMode mode;
        // Brings the add-in into the state; false when it could not.
        std::function<bool()> reach;
        // The host closes as helm32 does instead of dropping the connection.
        bool closes = false;
    };
    auto inBox = [this] {
        if (CreateAndRegister().isEmpty())
            return false;
        // The Get ends in the box saying the request has been completed.
        return GetTrunk4() &&
               test::WaitFor([&] { return OpenModal() == u"QMessageBox"; }, kEndBoundMs);
    };
    auto inDialog = [this] {
        if (CreateAndRegister().isEmpty() || !GetTrunk4())
            return false;
        // "Other route (1 to 64)", first by its empty value, asks for its number.
        Post(contract::kSessionPath, contract::kSessionInterface, QStringLiteral("ChooseOption"),
             {QStringLiteral("3001"), 0});
        return test::WaitFor([&] { return OpenModal() == u"frmCmd"; }, kEndBoundMs);
    };
    const State states[] = {
        {"before any object is created", "", LinkMode::Answer,
         [this] {
             dropAtConnect_ = true;
             return true;
         }},
        {"after create", "", LinkMode::Answer, [this] { return !CreateAndRegister().isEmpty(); }},
        {"during login", "1", LinkMode::HoldLogin,
         [this] {
             return StartGetOf4() && test::WaitFor([&] { return host_.logins == 1; }, kBoundMs);
         }},
        {"during a request", "1", LinkMode::Silent,
         [this] {
             return StartGetOf4() &&
                    test::WaitFor([&] { return host_.tags.size() == 1; }, kBoundMs) &&
                    SessionCall(QStringLiteral("Busy")).toBool();
         }},
        {"during a message box", "boxes", LinkMode::Answer, inBox},
        {"during the additional-data dialog", "1", LinkMode::Answer, inDialog},
        {"closing during a message box", "boxes", LinkMode::Answer, inBox, true},
        {"closing during the additional-data dialog", "1", LinkMode::Answer, inDialog, true},
    };
    for (const State& state : states) {
        SCOPED_TRACE(state.name);
        TearDown();
        SetUp();
        host_ = PlayedHost();
        host_.mode = state.mode;
        process_.disconnect();
        output_.clear();
        connected_ = false;
        dropAtConnect_ = false;
        ASSERT_TRUE(StartAddin(QString::fromLatin1(state.session)));
        ASSERT_TRUE(state.reach()) << output_.toStdString();
        QElapsedTimer ending;
        ending.start();
        if (state.closes)
            HostCloses();
        else
            HostGoes();
        ExpectCleanEnd();
        EXPECT_LT(ending.elapsed(), kEndBoundMs);
    }
}

// A record whose eight lists differ in length.
QDBusArgument UnevenRecord() {
    QDBusArgument out;
    out.beginStructure();
    out << QStringLiteral("1") << QStringLiteral("PBX1") << QStringLiteral("1")
        << QStringLiteral("LOGIN1") << QStringLiteral("10") << QStringLiteral("10") << QString()
        << qint16(1) << qint16(20) << qint32(0) << true << false << true << qint16(0) << QString();
    out << QStringList{QStringLiteral("3001"), QStringLiteral("3002")};
    out << QStringList{QStringLiteral("005")};
    for (int i = 0; i < 6; ++i)
        out << QStringList{QString()};
    out.endStructure();
    return out;
}

// A record of `entries` entries, more than a record may hold.
QDBusArgument HugeRecord(int entries) {
    QDBusArgument out;
    out.beginStructure();
    out << QStringLiteral("1") << QStringLiteral("PBX1") << QStringLiteral("1")
        << QStringLiteral("LOGIN1") << QStringLiteral("10") << QStringLiteral("10") << QString()
        << qint16(1) << qint16(20) << qint32(0) << true << false << true << qint16(0) << QString();
    for (int i = 0; i < 8; ++i)
        out << QStringList(entries, QStringLiteral("3001"));
    out.endStructure();
    return out;
}

cListRequest Answer(const QString& tag, const QString& login, int entries) {
    cListRequest answer;
    answer.SetTag(tag);
    answer.SetLoginID(login);
    for (int i = 0; i < entries; ++i)
        answer.AddToList(QStringLiteral("3001"), QStringLiteral("005"), QString(),
                         QStringLiteral("OK"));
    return answer;
}

TEST_F(AddinProcessTest, AHostileHostNeitherCrashesNorMakesItWrite) {
    ASSERT_TRUE(StartAddin(QStringLiteral("1")));
    const QString layer = CreateAndRegister();
    ASSERT_FALSE(layer.isEmpty());
    const QString mega(1 << 20, u'7');
    const QString cls = contract::kClassPath;
    const QString classIf = contract::kClassInterface;
    const QString layerIf = contract::kLayerInterface;
    const QString win = contract::kWindowPath;
    const QString winIf = contract::kWindowInterface;
    auto record = [](const cListRequest& r) { return QVariant::fromValue(r); };
    auto path = [](const QString& p) { return QVariant::fromValue(QDBusObjectPath(p)); };
    struct Row {
        const char* what;
        QString path;
        QString iface;
        QString member;
        QVariantList args;
        bool refused;  // answered with an error
    };
    const Row rows[] = {
        {"CreateObject with a number", cls, classIf, "CreateObject", {42}, true},
        {"CreateObject of no class", cls, classIf, "CreateObject", {QString()}, true},
        {"CreateObject of a 1 MB class name", cls, classIf, "CreateObject", {mega}, true},
        {"ReleaseObject of an unknown path",
         cls,
         classIf,
         "ReleaseObject",
         {path("/cOLELayer/99")},
         false},
        {"ReleaseObject with a text", cls, classIf, "ReleaseObject", {QStringLiteral("x")}, true},
        {"a member of an unknown path", "/cOLELayer/99", layerIf, "GetVisible", {}, true},
        {"an unknown member", cls, classIf, "Destroy", {}, true},
        {"RegisterPBX with numbers", layer, layerIf, "RegisterPBX", {1, 2, 3}, true},
        {"RegisterPBX of a 1 MB exchange",
         layer,
         layerIf,
         "RegisterPBX",
         {mega, path(contract::kHostParentPath), QVariant::fromValue(qint16(3))},
         false},
        {"RegisterPBX with an unknown parent",
         layer,
         layerIf,
         "RegisterPBX",
         {QStringLiteral("PBX1"), path("/nobody"), QVariant::fromValue(qint16(3))},
         false},
        {"SetVisible with a text", layer, layerIf, "SetVisible", {QStringLiteral("yes")}, true},
        {"SetBackGround of a set that does not exist",
         layer,
         layerIf,
         "SetBackGround",
         {QVariant::fromValue(qint16(32767))},
         false},
        {"SetBackGround with a 32-bit number", layer, layerIf, "SetBackGround", {7}, true},
        {"CallBack with lists of differing length",
         win,
         winIf,
         "CallBack",
         {QVariant::fromValue(UnevenRecord())},
         true},
        {"CallBack with a text", win, winIf, "CallBack", {mega}, true},
        {"CallBack of 100000 entries",
         win,
         winIf,
         "CallBack",
         {QVariant::fromValue(HugeRecord(100000))},
         true},
        {"CallBack with no request in flight",
         win,
         winIf,
         "CallBack",
         {record(Answer(QStringLiteral("10"), QStringLiteral("LOGIN1"), 3))},
         false},
        {"CallBack of another step",
         win,
         winIf,
         "CallBack",
         {record(Answer(QStringLiteral("12"), QStringLiteral("LOGIN1"), 3))},
         false},
        {"CallBack of another login",
         win,
         winIf,
         "CallBack",
         {record(Answer(QStringLiteral("13"), QStringLiteral("LOGIN999"), 1))},
         false},
        {"PBXName of 1 MB", win, winIf, "PBXName", {mega}, false},
        {"TrunkNumber of 1 MB", win, winIf, "TrunkNumber", {mega}, false},
        {"Search_CMD of 1 MB", win, winIf, "Search_CMD", {mega}, false},
        {"SecondData of 1 MB", win, winIf, "SecondData", {mega}, false},
        {"ShowWhatsThis of a 1 MB name", win, winIf, "ShowWhatsThis", {mega}, true},
        {"ShowWhatsThis of no name", win, winIf, "ShowWhatsThis", {QString()}, true},
        {"Parent of an unknown path", win, winIf, "Parent", {path("/nobody")}, false},
        {"FrmMove to an unknown host", win, winIf, "FrmMove", {path("/nobody")}, false},
        {"ID with a text", win, winIf, "ID", {QStringLiteral("3")}, true},
        {"BackGround of a negative set",
         win,
         winIf,
         "BackGround",
         {QVariant::fromValue(qint16(-1))},
         false},
        {"TurnFlow with a number", win, winIf, "TurnFlow", {1}, true},
        {"IncrementCount", win, winIf, "IncrementCount", {}, false},
        {"Check_STNData of 1 MB", win, winIf, "Check_STNData", {mega, mega}, false},
        {"RequestProgress of no request",
         win,
         winIf,
         "RequestProgress",
         {QStringLiteral("REQ1"), QStringLiteral("LOGIN1"), -5, 1 << 30},
         false},
        {"RequestProgress of 1 MB names", win, winIf, "RequestProgress", {mega, mega, 1, 2}, false},
        {"RequestProgress with texts for counts",
         win,
         winIf,
         "RequestProgress",
         {QStringLiteral("REQ1"), QStringLiteral("LOGIN1"), QStringLiteral("1"),
          QStringLiteral("2")},
         true},
        {"RequestEnded of no request",
         win,
         winIf,
         "RequestEnded",
         {QStringLiteral("REQ9"), QStringLiteral("LOGIN9"), 61},
         false},
        {"CallBack of the station check with another login",
         win,
         winIf,
         "CallBack",
         {record(Answer(QStringLiteral("14"), QStringLiteral("LOGIN999"), 1))},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QElapsedTimer took;
        took.start();
        const QDBusMessage reply = Call(row.path, row.iface, row.member, row.args);
        ASSERT_NE(reply.type(), QDBusMessage::InvalidMessage) << "no answer within the bound";
        EXPECT_EQ(reply.type() == QDBusMessage::ErrorMessage, row.refused)
            << reply.errorMessage().toStdString();
        EXPECT_LT(took.elapsed(), kBoundMs);
        ASSERT_EQ(process_.state(), QProcess::Running) << output_.toStdString();
    }
    // Still serving, and nothing was ever written: no copy request was sent.
    EXPECT_EQ(Call(layer, layerIf, QStringLiteral("GetVisible")).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_FALSE(host_.tags.contains(QStringLiteral("10"))) << host_.tags.join(u',').toStdString();
    // The count the host raised does not keep the add-in once the host goes.
    HostGoes();
    ExpectCleanEnd();
}

}  // namespace
}  // namespace kestrel

#include "HostGoneTest.moc"
