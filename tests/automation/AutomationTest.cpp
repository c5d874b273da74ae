#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include <csignal>
#include <cstdio>

#include "automation/AutomationContract.h"
#include "automation/AutomationServer.h"
#include "automation/HostProxies.h"
#include "automation/SessionAdaptor.h"
#include "catalogue/ValueListModel.h"
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
#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/MessageBoxes.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "session/TrunkCopySession.h"
#include "startup/AddinRegistration.h"
#include "startup/DbAccess.h"
#include "startup/Globals.h"
#include "startup/Startup.h"
#include "support/Helm32Peer.h"
#include "support/PopupAnswers.h"
#include "support/QtWarnings.h"
#include "support/RuntimeTree.h"
#include "support/WaitFor.h"

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
    bool Visible(const QString& layer) {
        return OnLayer(layer, "GetVisible").arguments().value(0).toBool();
    }
    // A window registered for PBX1 as id 3.
    dlgKestrel* Registered(QString* layer = nullptr) {
        const QString created = Create();
        Register(created, QStringLiteral("PBX1"), 3);
        if (layer)
            *layer = created;
        return addin_->Session().Window();
    }
    std::unique_ptr<SimulatedExchange> Exchange() const {
        return SimulatedExchange::Open(tree_.SuiteDatabaseDir() + QStringLiteral("EXCHANGE/"),
                                       QStringLiteral("PBX1"),
                                       tree_.SuiteDatabaseDir() + QStringLiteral("Exchange.seed"));
    }
    // Reads trunk 004 in a window through the host; true once it holds data.
    static bool GetTrunk004(dlgKestrel* window) {
        window->findChild<QLineEdit*>(QStringLiteral("txtTrunk"))->setText(QStringLiteral("4"));
        window->RunCommand(QStringLiteral("Get"));
        return test::WaitFor([&] { return !window->Session().NoSourceData(); }, 20000);
    }

    test::RuntimeTree tree_;
};

TEST_F(AutomationTest, CreateRegisterAndShow) {
    const QString layer = Create();
    ASSERT_TRUE(layer.startsWith(contract::kLayerPathPrefix));
    dlgKestrel* window = addin_->Session().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());  // loaded, hidden until the host says
    EXPECT_FALSE(Register(layer, QStringLiteral("PBX2"), 7));
    EXPECT_EQ(window->windowTitle(), Msg(0) + QStringLiteral(" (PBX2)"));
    EXPECT_EQ(window->Session().HighestTrunk(), 255);  // asked through oOPX
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy (PBX2)"));
    Register(layer, QStringLiteral("PBX2"), 7);
    EXPECT_EQ(App().Title, QStringLiteral("Kestrel Trunk Copy (PBX2)"));  // once per name
    OnLayer(layer, "SetVisible", {true});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Visible(layer));
    {
        // The host has no processor version for no exchange, and logs it.
        const test::ExpectQtWarning logged(QStringLiteral("^helm32: No processor version for : "));
        Register(layer, QString(), 7);
    }
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("lsbMenu"))->isEnabled());
    // The registry row carries the program's version.
    auto db = Database::Open(tree_.SuiteDatabaseDir() + QStringLiteral("Register.mdb"), true);
    auto row = db->OpenRecordset(
        QStringLiteral("SELECT Version FROM Registry WHERE AppName = 'kestrel.wrx'"),
        RecordsetType::Snapshot);
    EXPECT_EQ(row->Fields(0).toString(), AddinSession::VersionText());
}

// A window whose working copy could not be used reports its load error,
// keeps no copy, and its release ends the process as a failed start.
TEST_F(AutomationTest, ALoadErrorIsReportedAndEndsAsAFailedStart) {
    QFile templateFile(tree_.DatabaseDir() + QStringLiteral("KESTREL.MDB"));
    ASSERT_TRUE(templateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    templateFile.close();
    const test::ExpectQtWarning logged(QStringLiteral("^kestrel.db: The working copy "));
    const QString layer = Create();
    ASSERT_FALSE(layer.isEmpty());
    EXPECT_TRUE(Register(layer, QStringLiteral("PBX1"), 3));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_TRUE(tree_.boxes.Last().prompt.contains(QStringLiteral("'CMD30Titles'")))
        << tree_.boxes.Last().prompt.toStdString();
    EXPECT_EQ(g_WorkDbName, QString());
    Release(layer);
    EXPECT_EQ(tree_.process.ends, std::vector<int>{kStartupFailureExit});
}

// A long copy in a host start: the host reports its progress to the
// add-in's window over the connection, and the window's Cancel cancels that
// request alone, through the host. The copy ends with the usual cancelled
// outcome and the window usable; another add-in's request on the same link
// runs on, and this add-in cannot cancel it.
TEST_F(AutomationTest, ALongCopyShowsItsProgressInTheWindowAndCancelsOnlyItsOwn) {
    QString layer;
    dlgKestrel* window = Registered(&layer);
    OnLayer(layer, "SetVisible", {true});
    ASSERT_TRUE(GetTrunk004(window));
    ExchangeFaults faults;
    faults.entryDelayMs = 40;
    Exchange()->SetFaults(faults);
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
    ASSERT_EQ(other.answer.Count(), 2);
    for (int i = 0; i < other.answer.Count(); ++i)
        EXPECT_NE(other.answer.SecondData(i), QStringLiteral("OPX_USERCANCEL"));
    link_->LogOut(QStringLiteral("PBX1"), otherLogin);
}

// Get, Print and Copy in a host start.
TEST_F(AutomationTest, GetPrintAndCopyThroughTheLink) {
    QTemporaryDir reports;
    dlgKestrel* window = Registered();
    ASSERT_TRUE(GetTrunk004(window));
    EXPECT_EQ(window->Session().Values().rowCount(), 14);
    EXPECT_TRUE(messages_.contains(Msg(3)));  // the host's message line
    // The real host writes the PDF; the add-in names it and opens it.
    model_.SetReportsFolder(reports.filePath(QStringLiteral("out")));
    tree_.boxes.Clear();
    tree_.boxes.Script({answer::kYes});
    window->RunCommand(QStringLiteral("Print"));
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    ASSERT_EQ(tree_.opened.size(), 1);
    EXPECT_TRUE(QFile::exists(tree_.opened[0]));
    const QFileInfo file(tree_.opened[0]);
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
        QStringLiteral("The report has been written.\rFile: ") + file.fileName() +
        QStringLiteral("\rFolder: ") + QDir::toNativeSeparators(file.absolutePath())))
        << tree_.boxes.Last().prompt.toStdString();
    window->Session().Values().SetItemValue(QStringLiteral("3002"), QStringLiteral("2"));
    window->findChild<QLineEdit*>(QStringLiteral("txtTrunkRange"))->setText(QStringLiteral("8"));
    tree_.boxes.Clear();
    window->RunCommand(QStringLiteral("Copy"));
    ASSERT_TRUE(test::WaitFor([&] { return !tree_.boxes.shown.empty(); }, 20000));
    EXPECT_EQ(tree_.boxes.Last().prompt,
              QStringLiteral("The trunk data has been copied to the destination trunks."));
}

// A record with a text longer than a record holds is refused to the host
// with an error naming it; the window ends its request, says so, and the
// next Get works.
TEST_F(AutomationTest, OversizedValuesAreRefusedAtTheRecord) {
    QString layer;
    dlgKestrel* window = Registered(&layer);
    cListRequest record;
    record.AddToList(QStringLiteral("3001"), QStringLiteral("004"), QString(256, u'7'));
    const QDBusMessage reply = OnWindow("CallBack", {QVariant::fromValue(record)});
    ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), contract::kInvalidArgumentError);
    EXPECT_TRUE(reply.errorMessage().startsWith(QStringLiteral("SecondData(0) holds 256")))
        << reply.errorMessage().toStdString();

    // Values of a megabyte on the exchange reach the add-in in the list-up.
    Exchange()->Db().Execute(
        QStringLiteral("UPDATE TrunkData SET Value = ? WHERE Trunk = 4 AND CMD > '3001'"),
        {QString(1 << 20, u'7')});
    window->findChild<QLineEdit*>(QStringLiteral("txtTrunk"))->setText(QStringLiteral("4"));
    tree_.boxes.Clear();
    window->RunCommand(QStringLiteral("Get"));
    ASSERT_TRUE(test::WaitFor(
        [&] { return !tree_.boxes.shown.empty() && !window->Session().Busy(); }, 20000));
    EXPECT_TRUE(tree_.boxes.Last().prompt.startsWith(
        QStringLiteral("The source trunk could not be read (SecondData(1) holds 1048576")))
        << tree_.boxes.Last().prompt.toStdString();
    EXPECT_EQ(window->Session().Values().rowCount(), 0);
    EXPECT_TRUE(window->Session().NoSourceData());

    Exchange()->Db().Execute(QStringLiteral("UPDATE TrunkData SET Value = '1' WHERE Trunk = 4"));
    tree_.boxes.Clear();
    window->RunCommand(QStringLiteral("Get"));
    ASSERT_TRUE(test::WaitFor([&] { return !window->Session().NoSourceData(); }, 20000));
    EXPECT_EQ(window->Session().Values().rowCount(), 14);
    Release(layer);
}

TEST_F(AutomationTest, CreatingAnUnknownClassIsRefusedByName) {
    for (const QString& name : {QStringLiteral("cPBXOle"), QString(), QStringLiteral("cOLELayer2"),
                                QStringLiteral("/")}) {
        const QDBusMessage reply = Call(contract::kClassPath, contract::kClassInterface,
                                        QStringLiteral("CreateObject"), {name});
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << name.toStdString();
        EXPECT_EQ(reply.errorName(), contract::kUnknownClassError);
        EXPECT_TRUE(reply.errorMessage().contains(u'\'' + name + u'\''))
            << reply.errorMessage().toStdString();
    }
    // Nothing was created or loaded on the way.
    EXPECT_EQ(addin_->LayerCount(), 0);
    EXPECT_EQ(addin_->Session().Window(), nullptr);
    EXPECT_TRUE(Create().startsWith(contract::kLayerPathPrefix));
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
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString(), e.path, QStringLiteral("org.freedesktop.DBus.Introspectable"),
            QStringLiteral("Introspect"));
        QDBusPendingCall pending = e.from->asyncCall(call);
        ASSERT_TRUE(test::WaitFor([&] { return pending.isFinished(); }));
        const QDBusMessage reply = pending.reply();
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
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

TEST_F(AutomationTest, TheWindowsMembersActOverTheConnection) {
    const QString layer = Create();
    dlgKestrel* window = addin_->Session().Window();
    ASSERT_NE(window, nullptr);
    const QVariant parent = QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath));
    const QVariant none = QVariant::fromValue(QDBusObjectPath(contract::kNoObjectPath));
    // FrmMove reads the stored position from the host object it is given.
    model_.SetComData(QStringLiteral("Kestrel"), QStringLiteral("MOVE"), QStringLiteral("120,90"));
    OnWindow("FrmMove", {parent});
    EXPECT_EQ(window->pos(), QPoint(120, 90));
    OnWindow("Parent", {parent});
    EXPECT_EQ(window->Parent(), addin_->Host(contract::kHostParentPath));
    OnWindow("PBXName", {QStringLiteral("PBX2")});
    EXPECT_EQ(window->Session().HighestTrunk(), 255);  // asked through the parent
    OnWindow("Parent", {none});
    EXPECT_EQ(window->Parent(), nullptr);

    // ShowWhatsThis names its control by design name; unknown names fail.
    test::PopupAnswers popups;
    for (const char* name : {"txtTrunk", "lblTrunk(1)", "grdTrkData"}) {
        EXPECT_NE(OnWindow("ShowWhatsThis", {QString::fromLatin1(name)}).type(),
                  QDBusMessage::ErrorMessage)
            << name;
    }
    EXPECT_EQ(popups.shown.size(), 3);
    for (const char* name : {"txtNothing", "lblTrunk", "lblTrunk(2)", "txtTrunk(0)", ""}) {
        const QDBusMessage reply = OnWindow("ShowWhatsThis", {QString::fromLatin1(name)});
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << name;
        EXPECT_EQ(reply.errorName(), contract::kInvalidArgumentError);
        EXPECT_TRUE(reply.errorMessage().contains(QString::fromLatin1(name))) << name;
    }
    EXPECT_EQ(popups.shown.size(), 3);
    Release(layer);
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
    EXPECT_FALSE(Visible(layer));
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

TEST_F(AutomationTest, AReleaseWhileTheWindowTellsTheHostItUnloaded) {
    // The host releases the add-in as soon as it has answered UnloadChild,
    // which may reach the add-in while its unload still waits for that answer.
    const QString layer = Create();
    Register(layer, QStringLiteral("PBX1"), 5);
    QObject::connect(&model_, &HostModel::childUnloaded, [&](int) {
        QTimer::singleShot(0, [&] {
            QDBusMessage release = QDBusMessage::createMethodCall(QString(), contract::kClassPath,
                                                                  contract::kClassInterface,
                                                                  QStringLiteral("ReleaseObject"));
            release << QVariant::fromValue(QDBusObjectPath(layer));
            host_->asyncCall(release);
        });
    });
    addin_->Session().Window()->RunCommand(QStringLiteral("Exit"));
    ASSERT_TRUE(test::WaitFor([&] { return tree_.process.Ended(); }));
    EXPECT_EQ(addin_->LayerCount(), 0);
    EXPECT_EQ(addin_->Session().Window(), nullptr);
    EXPECT_TRUE(model_.ComData(QStringLiteral("Kestrel"), QStringLiteral("MOVE")).has_value());
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
    // Retried until the host is free again: no notice.
    moody.busyAnswers = 2;
    const QDBusMessage reply =
        CallHost(addin_->Connection(), QStringLiteral("/Moody"), contract::kParentInterface,
                 QStringLiteral("GetComData"), {QStringLiteral("Kestrel"), QStringLiteral("MOVE")});
    EXPECT_EQ(reply.arguments().value(0).toString(), QStringLiteral("120,90"));
    EXPECT_EQ(moody.calls, 3);
    EXPECT_TRUE(tree_.boxes.shown.empty());
    // Busy for longer than the time-out: the busy notice, then a failure.
    moody.calls = 0;
    moody.busyAnswers = 1000;
    EXPECT_THROW(
        CallHost(addin_->Connection(), QStringLiteral("/Moody"), contract::kParentInterface,
                 QStringLiteral("GetComData"), {QStringLiteral("Kestrel"), QStringLiteral("MOVE")}),
        RunError);
    ASSERT_EQ(tree_.boxes.shown.size(), 1u);
    EXPECT_EQ(tree_.boxes.Last().title, App().OleServerBusyMsgTitle);
    EXPECT_EQ(tree_.boxes.Last().prompt, App().OleServerBusyMsgText);
}

// helm32's launcher with the real add-in program of the staged tree: each
// add-in is its own process on the launcher's private socket.
class AddinLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = tree_.AddinsDir() + QStringLiteral("/kestrel");
        if (!QFile::exists(program_))
            GTEST_SKIP() << "the add-in program is not staged";
        QFile::setPermissions(program_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    // A call to the first add-in the launcher knows.
    QDBusMessage Call(const QString& path, const QString& iface, const QString& member,
                      const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(QString(), path, iface, member);
        call.setArguments(args);
        QDBusPendingCall pending = launcher_->Connection().asyncCall(call);
        EXPECT_TRUE(test::WaitFor([&] { return pending.isFinished(); }, 30000));
        return pending.reply();
    }
    qint64 Pid() const { return launcher_->ProcessId(QStringLiteral("PBX1")); }
    bool Shown() {
        const QDBusMessage reply = Call(contract::kLayerPathPrefix + u'1',
                                        contract::kLayerInterface, QStringLiteral("GetVisible"));
        return reply.arguments().value(0).toBool();
    }
    // The add-ins' numbered working copies in the tree's database folder.
    QStringList WorkingCopies() const {
        QStringList copies = QDir(tree_.DatabaseDir())
                                 .entryList({QStringLiteral("KESTREL*.MDB*")},
                                            QDir::AllEntries | QDir::NoDotAndDotDot);
        copies.removeAll(QStringLiteral("KESTREL.MDB"));
        return copies;
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

// Exit ends the add-in: it stores its position through the host, its
// process ends and the host forgets it. The engineer asking for Trunk Copy
// the moment the window has unloaded, before the old add-in has ended, gets
// a fresh one.
TEST_F(AddinLauncherTest, ExitEndsTheAddinAndTheNextOpenStartsAFreshOne) {
    launcher_->Open(QStringLiteral("PBX1"));
    ASSERT_TRUE(test::WaitFor([&] { return opened_.size() == 1; }, 60000));
    const qint64 first = Pid();
    ASSERT_NE(first, 0);
    ASSERT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
    // Asking again while it is open shows the same add-in.
    launcher_->Open(QStringLiteral("PBX1"));
    EXPECT_EQ(Pid(), first);
    EXPECT_EQ(launcher_->OpenCount(), 1);

    QList<int> unloaded;
    qint64 asked = -1;
    QObject::connect(&model_, &HostModel::childUnloaded, [&](int id) {
        unloaded << id;
        EXPECT_EQ(Pid(), 0);  // ending, not shown
        launcher_->Open(QStringLiteral("PBX1"));
        asked = Pid();
    });
    QDBusMessage exit =
        QDBusMessage::createMethodCall(QString(), contract::kSessionPath,
                                       contract::kSessionInterface, QStringLiteral("RunCommand"));
    exit << QStringLiteral("Exit");
    launcher_->Connection().asyncCall(exit);  // it may end before answering
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
    EXPECT_EQ(WorkingCopies().size(), 8) << WorkingCopies().join(u' ').toStdString();
    QSet<qint64> processes;
    for (int i = 1; i <= 8; ++i)
        processes.insert(launcher_->ProcessId(QStringLiteral("PBX%1").arg(i)));
    processes.remove(0);
    EXPECT_EQ(processes.size(), 8);

    launcher_->ReleaseAll();
    ASSERT_TRUE(test::WaitFor([&] { return closed_.size() == 8; }, 60000));
    EXPECT_EQ(WorkingCopies(), QStringList());
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
    EXPECT_EQ(WorkingCopies(), QStringList());
}

// An add-in ended by any terminating signal as it starts, once open or
// during a copy is noticed by the host, which forgets it and starts a fresh
// one the next time its exchange is asked for; that start removes what the
// dead one left, so nothing is left once the fresh one is released.
TEST_F(AddinLauncherTest, AKilledAddinIsForgottenAndTheNextOpenStartsAFreshOne) {
    int requests = 0;
    QObject::connect(link_.get(), &SimulatedLink::requestStarted, [&] { ++requests; });
    auto session = [&](const QString& member, const QVariantList& args = {}) {
        return Call(contract::kSessionPath, contract::kSessionInterface, member, args)
            .arguments()
            .value(0);
    };
    auto started = [&] { return Pid() != 0; };
    // Its working copy made and its window registered with the host.
    auto open = [&] { return test::WaitFor([&] { return opened_.size() == 1; }, 60000); };
    auto copying = [&] {
        if (!test::WaitFor([&] { return opened_.size() == 1; }, 60000))
            return false;
        session(QStringLiteral("SetTrunk"), {QStringLiteral("4")});
        session(QStringLiteral("RunCommand"), {QStringLiteral("Get")});
        if (!test::WaitFor([&] { return session(QStringLiteral("ItemCount")).toInt() > 0; }, 30000))
            return false;
        const QString edited =
            session(QStringLiteral("ItemValue"), {QStringLiteral("3002")}).toString() == u"3"
                ? QStringLiteral("2")
                : QStringLiteral("3");
        session(QStringLiteral("ChooseValue"), {QStringLiteral("3002"), edited});
        session(QStringLiteral("SetDestinations"), {QStringLiteral("5-7")});
        const int before = requests;
        QDBusMessage copy = QDBusMessage::createMethodCall(QString(), contract::kSessionPath,
                                                           contract::kSessionInterface,
                                                           QStringLiteral("RunCommand"));
        copy << QStringLiteral("Copy");
        launcher_->Connection().asyncCall(copy);
        return test::WaitFor([&] { return requests > before; }, 30000);
    };
    const struct {
        const char* name;
        int signal;
        // Brings the add-in to the moment; false when it could not.
        std::function<bool()> reach;
    } rows[] = {
        {"killed at once", SIGKILL, started},        {"terminated at once", SIGTERM, started},
        {"hung up once open", SIGHUP, open},         {"interrupted once open", SIGINT, open},
        {"aborted during a copy", SIGABRT, copying}, {"killed during a copy", SIGKILL, copying},
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
        EXPECT_EQ(WorkingCopies(), QStringList());
    }
}

// Asking for the window of an add-in that is alive but does not answer (here
// stopped) says so on the host's line; once it runs again, asking shows it.
TEST_F(AddinLauncherTest, AnAddinThatDoesNotAnswerIsSaidToBeSo) {
    launcher_->Open(QStringLiteral("PBX1"));
    ASSERT_TRUE(test::WaitFor([&] { return opened_.size() == 1; }, 60000));
    ASSERT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
    const auto pid = static_cast<pid_t>(Pid());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    statuses_.clear();
    launcher_->Open(QStringLiteral("PBX1"));
    const bool said = test::WaitFor(
        [&] {
            return statuses_.contains(
                QStringLiteral("Trunk Copy for PBX1 does not answer; it may "
                               "still be busy. Ask again in a moment."));
        },
        15000);
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    EXPECT_TRUE(said) << statuses_.join(u'\n').toStdString();
    statuses_.clear();
    launcher_->Open(QStringLiteral("PBX1"));
    EXPECT_TRUE(test::WaitFor([&] { return Shown(); }, 30000));
    EXPECT_EQ(Pid(), pid);
    QCoreApplication::processEvents();  // the answer to the Open came before GetVisible's
    EXPECT_EQ(statuses_, QStringList());
}

// The unattended session whose add-in is killed in the middle of its copy
// fails that step with the reason and ends at once with status 1.
TEST_F(AddinLauncherTest, TheUnattendedSessionFailsWhenItsAddinIsKilled) {
    QTemporaryDir folder;
    QWidget hostWindow;
    FILE* out = std::tmpfile();
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
    std::fflush(out);
    std::rewind(out);
    QFile written;
    ASSERT_TRUE(written.open(out, QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    written.close();
    std::fclose(out);
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

}  // namespace
}  // namespace kestrel

#include "AutomationTest.moc"
