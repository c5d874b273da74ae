#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <functional>

#include "platform/Database.h"
#include "safetynet/CopyJournal.h"
#include "support/QtPrinters.h"
#include "support/TableFiles.h"
#include "support/WaitFor.h"
#include "teamjournal/PgLink.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamRecord.h"
#include "teamjournal/TeamSchema.h"

namespace kestrel {
namespace {

using test::WaitFor;

// The private server the test command starts (scripts/pg-private.sh).
QString ServerFolder() {
    return qEnvironmentVariable("KESTREL_TEST_PG_DIR");
}

int ServerPort() {
    return test::ReadFile(ServerFolder() + QStringLiteral("/port")).trimmed().toInt();
}

// Stands between the tool and the server, so that the server can go away
// and come back at the same address while a desk sends. It runs on a
// thread of its own: the window's thread waits in libpq while it connects.
class TcpRelay {
public:
    explicit TcpRelay(int target) : target_(target) {
        thread_.start();
        mover_.moveToThread(&thread_);
        Up();
    }
    ~TcpRelay() {
        Down();
        thread_.quit();
        thread_.wait();
    }

    int Port() const { return port_; }
    void Up() {
        OnRelayThread([this] {
            server_ = new QTcpServer(&mover_);
            EXPECT_TRUE(server_->listen(QHostAddress::LocalHost, port_));
            port_ = server_->serverPort();
            QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
                while (QTcpSocket* near = server_->nextPendingConnection()) {
                    auto* far = new QTcpSocket(near);
                    far->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(target_));
                    Pipe(near, far);
                    Pipe(far, near);
                }
            });
        });
    }
    // Every connection through it ends, and nobody answers at its port.
    void Down() {
        OnRelayThread([this] {
            if (!server_)
                return;
            for (QTcpSocket* socket : server_->findChildren<QTcpSocket*>())
                socket->abort();
            delete server_;
            server_ = nullptr;
        });
    }

private:
    void OnRelayThread(const std::function<void()>& work) {
        QMetaObject::invokeMethod(&mover_, work, Qt::BlockingQueuedConnection);
    }
    static void Pipe(QTcpSocket* from, QTcpSocket* to) {
        QObject::connect(from, &QTcpSocket::readyRead, to, [from, to] {
            if (to->state() == QAbstractSocket::ConnectedState)
                to->write(from->readAll());
        });
        QObject::connect(to, &QTcpSocket::connected, from,
                         [from, to] { to->write(from->readAll()); });
        QObject::connect(from, &QTcpSocket::disconnected, to, &QTcpSocket::disconnectFromHost);
    }

    QThread thread_;
    QObject mover_;
    QTcpServer* server_ = nullptr;
    int target_;
    quint16 port_ = 0;
};

JournalEntry Entry(const QString& engineer, const QString& kind, qint64 minute,
                   const QString& exchange = QStringLiteral("PBX1")) {
    JournalEntry e;
    e.desk = {engineer, engineer.toUpper(), "desk-" + engineer, QStringLiteral("helm32")};
    e.kind = kind;
    e.exchange = exchange;
    e.time = QDateTime::fromSecsSinceEpoch(1'800'000'000 + minute * 60);
    e.sourceTrunk = QStringLiteral("004");
    e.destinationList = QStringLiteral("21-22");
    e.summary = QStringLiteral("%1 %2 at %3").arg(engineer, kind).arg(minute);
    e.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return e;
}

QList<JournalCell> Cells(const QStringList& trunks) {
    QList<JournalCell> cells;
    for (const QString& trunk : trunks)
        cells.append({trunk, "3007", "old\t\\x", "new\nline", CellOutcome::Written, QString()});
    return cells;
}

QStringList Summaries(const QList<JournalEntry>& entries) {
    QStringList summaries;
    for (const JournalEntry& e : entries)
        summaries << e.summary;
    return summaries;
}

// A database of its own per test on the private server, its schema prepared
// by the administrator; the engineers anna, ben and carl, made by the team's
// prepare command (ctest's team_server fixture), log in over TCP with
// passwords from the password file, as members of the tool's role.
class TeamJournalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_GT(ServerPort(), 0) << "no private server in " << ServerFolder().toStdString();
        // carl's line holds a wrong password.
        static QTemporaryDir folder;
        const QString passFile = folder.filePath(QStringLiteral("pgpass"));
        ASSERT_TRUE(test::WriteFile(
            passFile, "*:*:*:anna:anna-pw\n*:*:*:ben:ben-pw\n*:*:*:carl:not-carls\n"));
        QFile::setPermissions(passFile, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", passFile.toUtf8());
    }

    static std::unique_ptr<PgLink> Admin(const QString& database) {
        TeamError error{};
        auto link = PgLink::Connect(QStringLiteral("host=%1 port=%2 user=kestrel_admin dbname=%3")
                                        .arg(ServerFolder())
                                        .arg(ServerPort())
                                        .arg(database),
                                    &error);
        EXPECT_TRUE(link) << qPrintable(error.detail);
        return link;
    }

    void SetUp() override {
        database_ = QStringLiteral("t") + QUuid::createUuid().toString(QUuid::Id128);
        Admin("postgres")->RunScript("CREATE DATABASE " + database_);
        admin_ = Admin(database_);
        if (prepared_)
            PrepareTeamSchema(*admin_);
    }

    TeamServer As(const QString& user, int port = 0) const {
        TeamServer server;
        server.host = QStringLiteral("127.0.0.1");
        server.port = port ? port : ServerPort();
        server.database = database_;
        server.user = user;
        return server;
    }

    std::unique_ptr<CopyJournal> Local(const QString& name) {
        return test::OpenJournal(dir_.filePath(name));
    }

    QStringList ServerColumn(const QString& sql) {
        const PgRows rows = admin_->Run(sql);
        QStringList texts;
        for (int r = 0; r < rows.Count(); ++r)
            texts << rows.Text(r, 0);
        return texts;
    }

    static std::unique_ptr<TeamJournal> Team(const CopyJournal& local, const TeamServer& server) {
        auto team = std::make_unique<TeamJournal>(local.Path(), server);
        team->SetRetry(20, 200);
        return team;
    }

    bool prepared_ = true;
    QString database_;
    std::unique_ptr<PgLink> admin_;
    QTemporaryDir dir_;
};

TEST_F(TeamJournalTest, EveryEntryArrivesOnceAndInOrderThroughOutages) {
    TcpRelay relay(ServerPort());
    relay.Down();  // the server is away as the desk starts
    auto local = Local("anna.db");
    local->Record(Entry("anna", "Copy", 1), Cells({"021", "022"}));
    local->Record(Entry("anna", "Preview", 2), {});
    // A copy under way: nothing after it is sent before it ends.
    const qint64 running = local->BeginEntry(Entry("anna", "Copy", 3), Cells({"023"}));
    local->Record(Entry("anna", "Undo", 4), {});
    auto team = Team(*local, As("anna", relay.Port()));
    ASSERT_TRUE(WaitFor([&] { return team->Problem() == TeamProblem::Unreachable; }));
    EXPECT_EQ(team->Waiting(), 4);
    // History open all along reads this desk's own file and says why; it
    // hears of entries again after each outage.
    QSignalSpy heard(team.get(), &TeamJournal::EntriesArrived);
    TeamError problem{};
    EXPECT_EQ(team->Entries(*local, {}, &problem).size(), 4);
    EXPECT_EQ(problem.problem, TeamProblem::Unreachable);

    relay.Up();
    ASSERT_TRUE(
        WaitFor([&] { return team->Waiting() == 2 && team->Problem() == TeamProblem::None; }));
    EXPECT_EQ(ServerColumn("SELECT summary FROM entries ORDER BY received"),
              QStringList({"anna Copy at 1", "anna Preview at 2"}));
    // Tabs, backslashes and line ends survive the way in.
    EXPECT_EQ(ServerColumn("SELECT old_value || '|' || new_value FROM cells ORDER BY seq LIMIT 1"),
              QStringList({"old\t\\x|new\nline"}));

    ASSERT_TRUE(WaitFor([&] { return heard.count() > 0; }));
    relay.Down();  // away while the copy ends
    local->FinishEntry(running, {}, Cells({"023"}));
    team->Recorded();
    ASSERT_TRUE(WaitFor([&] { return team->Problem() == TeamProblem::Unreachable; }));
    EXPECT_EQ(team->Waiting(), 2);
    heard.clear();
    relay.Up();
    ASSERT_TRUE(WaitFor([&] {
        return team->Waiting() == 0 && team->Problem() == TeamProblem::None && heard.count() > 0;
    }));
    EXPECT_EQ(ServerColumn("SELECT kind || ' ' || finished FROM entries ORDER BY received"),
              QStringList({"Copy true", "Preview true", "Copy true", "Undo true"}));
}

TEST_F(TeamJournalTest, AServerThatCannotBeUsedLeavesTheCopyWaitingWithTheReason) {
    struct Row {
        const char* user;
        bool requireTls;
        TeamProblem problem;
    };
    // A server nobody answers at is the outage of the test above.
    for (const Row& row :
         {Row{"carl", false, TeamProblem::LoginRefused},
          Row{"dora", false, TeamProblem::LoginRefused},   // no password to give
          Row{"anna", true, TeamProblem::TlsRequired}}) {  // the server offers none
        SCOPED_TRACE(row.user);
        auto local = Local(QString::fromLatin1(row.user) + (row.requireTls ? "tls.db" : ".db"));
        local->Record(Entry("anna", "Copy", 1), Cells({"021"}));
        TeamServer server = As(QString::fromLatin1(row.user));
        server.requireTls = row.requireTls;
        auto team = Team(*local, server);
        ASSERT_TRUE(WaitFor([&] { return team->Problem() == row.problem; }))
            << static_cast<int>(team->Problem()) << qPrintable(team->ProblemDetail());
        EXPECT_EQ(team->Waiting(), 1);
        TeamError problem{};
        EXPECT_EQ(Summaries(team->Entries(*local, {}, &problem)), QStringList({"anna Copy at 1"}));
        EXPECT_EQ(problem.problem, row.problem);
    }
    EXPECT_EQ(ServerColumn("SELECT count(*) FROM entries"), QStringList({"0"}));
}

TEST_F(TeamJournalTest, AFinishedEntryCannotBeRewrittenThroughTheToolsRole) {
    TeamError error{};
    auto anna = PgLink::Connect(As("anna"), &error);
    ASSERT_TRUE(anna) << qPrintable(error.detail);
    const JournalEntry done = Entry("anna", "Copy", 1);
    JournalEntry cut = Entry("anna", "Copy", 2);
    cut.finished = false;
    ASSERT_TRUE(team::Send(*anna, done, Cells({"021"})));
    ASSERT_TRUE(team::Send(*anna, cut, Cells({"022"})));
    EXPECT_FALSE(team::Send(*anna, done, Cells({"021"})));

    // A copy cut off is completed once.
    anna->Run(QStringLiteral("UPDATE cells SET outcome = 'written' WHERE entry = $1"), {cut.uuid});
    anna->Run(QStringLiteral("UPDATE entries SET finished = true WHERE uuid = $1"), {cut.uuid});
    for (const char* sql :
         {"UPDATE entries SET summary = 'nothing happened' WHERE uuid = $1",
          "UPDATE entries SET finished = false WHERE uuid = $1",
          "UPDATE entries SET engineer = 'ben' WHERE uuid = $1",
          "DELETE FROM entries WHERE uuid = $1",
          "UPDATE cells SET new_value = 'x' WHERE entry = $1",
          "UPDATE cells SET outcome = 'failed' WHERE entry = $1",
          "DELETE FROM cells WHERE entry = $1",
          "INSERT INTO cells VALUES ($1, 9, '029', '3007', 'a', 'b', 'written', '')",
          "TRUNCATE cells"}) {
        for (const QString& uuid : {done.uuid, cut.uuid}) {
            SCOPED_TRACE(sql);
            const QString statement = QString::fromLatin1(sql);
            try {
                anna->Run(statement,
                          statement.contains(u'$') ? QVariantList{uuid} : QVariantList{});
                ADD_FAILURE() << "the server let it through";
            } catch (const TeamError& e) {
                EXPECT_EQ(e.problem, TeamProblem::Refused);
            }
        }
    }
    EXPECT_EQ(ServerColumn("SELECT count(*) || ' ' || bool_and(finished) FROM entries"),
              QStringList({"2 true"}));
}

class TeamSchemaTest : public TeamJournalTest {
protected:
    TeamSchemaTest() { prepared_ = false; }
};

TEST_F(TeamSchemaTest, ASchemaOfThePreviousVersionIsMigratedOnlyByItsOwner) {
    PrepareTeamSchema(*admin_, 1);
    admin_->RunScript(QStringLiteral(
        "INSERT INTO entries VALUES ('00000000-0000-0000-0000-000000000001', 'Copy', now(), "
        "'PBX1', '004', '21', 'kept', '', NULL, true, 'anna', '', '', 'helm32')"));
    TeamError error{};
    auto anna = PgLink::Connect(As("anna"), &error);
    ASSERT_TRUE(anna);
    try {
        PrepareTeamSchema(*anna);
        ADD_FAILURE() << "a login that does not own the schema migrated it";
    } catch (const TeamError& e) {
        EXPECT_EQ(e.problem, TeamProblem::SchemaOutOfDate);
    }
    PrepareTeamSchema(*admin_);
    EXPECT_EQ(TeamSchemaVersion(*anna), kTeamSchemaVersion);
    EXPECT_EQ(ServerColumn("SELECT summary FROM entries"), QStringList({"kept"}));
    EXPECT_THROW(anna->Run(QStringLiteral("DELETE FROM entries")), TeamError);

    admin_->RunScript(QStringLiteral("UPDATE kestrel_schema SET version = 99"));
    try {
        PrepareTeamSchema(*anna);
        ADD_FAILURE() << "a newer schema was taken";
    } catch (const TeamError& e) {
        EXPECT_EQ(e.problem, TeamProblem::SchemaNewer);
    }
}

// History's questions asked of either back end: the local file alone, and
// the team's server (with anna's desk sending hers and ben's his).
class TeamHistoryTest : public TeamJournalTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TeamHistoryTest, FiltersLastChangesAndLastCopyAnswerAlikeOnBothBackEnds) {
    const bool server = GetParam();
    auto annaLocal = Local("anna.db");
    auto benLocal = Local("ben.db");
    // Without a server, a colleague's entries are those kept here.
    CopyJournal& benWrites = server ? *benLocal : *annaLocal;
    annaLocal->Record(Entry("anna", "Copy", 1), Cells({"021", "022"}));
    benWrites.Record(Entry("ben", "Copy", 2), Cells({"022"}));
    benWrites.Record(Entry("ben", "Preview", 3), Cells({"021"}));
    annaLocal->Record(Entry("anna", "Copy", 4, "PBX2"), Cells({"021"}));
    auto anna = Team(*annaLocal, server ? As("anna") : TeamServer());
    if (server) {
        // History open at anna's desk as both desks send at the same instant.
        TeamError problem{};
        anna->Entries(*annaLocal, {}, &problem);
        ASSERT_EQ(problem.problem, TeamProblem::None) << qPrintable(problem.detail);
        QSignalSpy heard(anna.get(), &TeamJournal::EntriesArrived);
        auto ben = Team(*benLocal, As("ben"));
        // Each desk's own file says when its entries are on the server.
        ASSERT_TRUE(WaitFor([&] {
            return annaLocal->WaitingCount() == 0 && benLocal->WaitingCount() == 0 &&
                   heard.count() > 0;
        }));
        EXPECT_FALSE(anna->Entries(*annaLocal, {}, &problem).value(2).waiting);  // ben's copy
    }

    const QDateTime minute2 = QDateTime::fromSecsSinceEpoch(1'800'000'000 + 120);
    struct Row {
        JournalFilter filter;
        QStringList summaries;
    };
    for (const Row& row : {
             Row{{}, {"anna Copy at 4", "ben Preview at 3", "ben Copy at 2", "anna Copy at 1"}},
             Row{{.exchange = "pbx1"}, {"ben Preview at 3", "ben Copy at 2", "anna Copy at 1"}},
             Row{{.engineer = "anna"}, {"anna Copy at 4", "anna Copy at 1"}},
             Row{{.exchange = "PBX1", .trunk = "021"}, {"ben Preview at 3", "anna Copy at 1"}},
             Row{{.trunk = "022", .kind = "Copy"}, {"ben Copy at 2", "anna Copy at 1"}},
             Row{{.from = minute2, .to = minute2.addSecs(60)},
                 {"ben Preview at 3", "ben Copy at 2"}},
             Row{{.trunk = "099"}, {}},
         }) {
        SCOPED_TRACE(row.summaries.join(u';').toStdString());
        TeamError problem{};
        EXPECT_EQ(Summaries(anna->Entries(*annaLocal, row.filter, &problem)), row.summaries);
        EXPECT_EQ(problem.problem, TeamProblem::None);
    }

    const auto changes = anna->LastChanges(*annaLocal, "pbx1", {"021", "022", "023"});
    EXPECT_EQ(changes.value("021").desk.engineer, u"anna");  // a preview writes nothing
    EXPECT_EQ(changes.value("022").desk.engineer, u"ben");
    EXPECT_EQ(changes.value("022").time, minute2);
    EXPECT_FALSE(changes.contains("023"));

    // The newest copy is ben's, kept here with its cells so an undo can name it.
    const auto last = anna->LastCopy(*annaLocal, "PBX1");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->desk.engineer, u"ben");
    EXPECT_EQ(annaLocal->Cells(last->id).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, TeamHistoryTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Server" : "LocalFile"; });

}  // namespace
}  // namespace kestrel
