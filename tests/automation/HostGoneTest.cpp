// The real add-in program against a host the test plays over the real
// peer-to-peer D-Bus road: a host that goes away in any state of the add-in
// ends it cleanly and soon, and a hostile host's calls neither crash it nor
// make it write, and are answered within a bound.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QDBusServer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "PlayedHost.h"
#include "support/PeerAddress.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

namespace kestrel {
namespace {

// Generous: a call or an end that takes longer is a hang, not a slow machine.
constexpr int kBoundMs = 5000;
constexpr int kEndBoundMs = 10000;

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
        QObject::connect(server_.get(), &QDBusServer::newConnection,
                         [this](const QDBusConnection& c) {
                             connected_ = true;
                             if (dropAtConnect_) {
                                 QDBusConnection::disconnectFromPeer(c.name());
                                 return;
                             }
                             host_.Serve(c);
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
    QTemporaryDir configDir_;
    QString program_;
    test::PlayedHost host_;
    std::unique_ptr<QDBusServer> server_;
    QProcess process_;
    QByteArray output_;
    bool connected_ = false;
    bool dropAtConnect_ = false;
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
        {"before any object is created", "", [this] { return dropAtConnect_ = true; }},
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
        connected_ = dropAtConnect_ = false;
        ASSERT_TRUE(StartAddin(QString::fromLatin1(state.session)));
        ASSERT_TRUE(state.reach()) << output_.toStdString();
        QElapsedTimer ending;
        ending.start();
        if (state.closes)
            HostCloses();
        else
            HostGoes();
        ExpectCleanEnd(dropAtConnect_);
        EXPECT_LT(ending.elapsed(), kEndBoundMs);
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
    const QVariant pbx1 = QStringLiteral("PBX1");
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
        {"RegisterPBX, unknown parent", kLayer, "RegisterPBX", {pbx1, nobody, set3}},
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
        QElapsedTimer took;
        took.start();
        const QDBusMessage reply = host_.Call(paths[row.object], interfaces[row.object],
                                              QString::fromLatin1(row.member), row.args);
        ASSERT_NE(reply.type(), QDBusMessage::InvalidMessage) << "no answer within the bound";
        EXPECT_EQ(reply.type() == QDBusMessage::ErrorMessage, row.refused)
            << reply.errorMessage().toStdString();
        EXPECT_LT(took.elapsed(), kBoundMs);
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

}  // namespace
}  // namespace kestrel
