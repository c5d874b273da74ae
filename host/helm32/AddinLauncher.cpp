#include "AddinLauncher.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>

#include "HostObjects.h"
#include "automation/AutomationContract.h"

namespace kestrel {

namespace {
constexpr int kCreateAttempts = 200;  // 20 s for the add-in to come up
// How long a released add-in may take to store its position and end.
constexpr int kEndGraceMs = 5000;

QString NotReadyText(const QString& exchange) {
    return QStringLiteral(
               "Trunk Copy for %1 could not prepare its working database and was "
               "closed; its message says why.")
        .arg(exchange);
}
}  // namespace

AddinLauncher::AddinLauncher(HostModel& model, SimulatedLink& link, QString addinProgram,
                             QObject* parent)
    : QObject(parent), model_(model), link_(link), program_(std::move(addinProgram)) {
    contract::RegisterTypes();
    // The folder is the user's alone (made 0700); it is removed by hand once
    // the server is gone.
    socketDir_.setAutoRemove(false);
    server_ = std::make_unique<QDBusServer>(QStringLiteral("unix:dir=") + socketDir_.path());
    server_->setAnonymousAuthenticationAllowed(false);
    connect(server_.get(), &QDBusServer::newConnection, this, &AddinLauncher::OnConnection);
    connectionWatch_.setInterval(500);
    connect(&connectionWatch_, &QTimer::timeout, this, &AddinLauncher::WatchConnections);
    connectionWatch_.start();
}

AddinLauncher::~AddinLauncher() {
    Shutdown();
}

void AddinLauncher::Shutdown() {
    ReleaseAll();
    sessions_.clear();
    if (!server_)
        return;
    // The server's socket goes with the server; then its folder.
    server_.reset();
    QDir(socketDir_.path()).removeRecursively();
}

QString AddinLauncher::Address() const {
    return server_ ? server_->address() : QString();
}

QDBusConnection AddinLauncher::Connection() const {
    return sessions_.empty() ? QDBusConnection(QStringLiteral("none"))
                             : Connection(*sessions_.front());
}

QDBusConnection AddinLauncher::Connection(const Session& s) const {
    return QDBusConnection(s.connectionName);
}

qint64 AddinLauncher::ProcessId(const QString& exchange) const {
    for (const auto& s : sessions_) {
        if (s->exchange == exchange && !s->ending && s->process)
            return s->process->processId();
    }
    return 0;
}

bool AddinLauncher::Known(const Session* session) const {
    return std::any_of(sessions_.begin(), sessions_.end(),
                       [session](const auto& s) { return s.get() == session; });
}

AddinLauncher::Session* AddinLauncher::Find(int id) const {
    const auto found = std::find_if(sessions_.begin(), sessions_.end(),
                                    [id](const auto& s) { return s->id == id; });
    return found == sessions_.end() ? nullptr : found->get();
}

void AddinLauncher::Open(const QString& exchange) {
    for (auto& s : sessions_) {
        if (s->exchange != exchange || s->ending)
            continue;
        if (s->layerPath.isEmpty()) {
            emit status(QStringLiteral("Trunk Copy for %1 is still starting...").arg(exchange));
            return;
        }
        QDBusMessage show = QDBusMessage::createMethodCall(
            QString(), s->layerPath, contract::kLayerInterface, QStringLiteral("SetVisible"));
        show << true;
        // An add-in that is alive but does not answer is said to be so: the
        // engineer asked for its window and must not be left with nothing.
        constexpr int kAnswerMs = 5000;
        auto* answer = new QDBusPendingCallWatcher(Connection(*s).asyncCall(show, kAnswerMs), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this,
                [this, exchange](QDBusPendingCallWatcher* call) {
                    call->deleteLater();
                    if (!call->isError())
                        return;
                    const QDBusError error = call->error();
                    emit status(error.type() == QDBusError::NoReply ||
                                        error.type() == QDBusError::Timeout
                                    ? QStringLiteral("Trunk Copy for %1 does not answer; it may "
                                                     "still be busy. Ask again in a moment.")
                                          .arg(exchange)
                                    : QStringLiteral("Trunk Copy for %1 could not be shown: %2")
                                          .arg(exchange, error.message()));
                });
        return;
    }
    auto session = std::make_unique<Session>();
    const int id = nextId_++;
    session->exchange = exchange;
    session->id = id;
    session->process = std::make_unique<QProcess>();
    session->process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(session->process.get(), &QProcess::finished, this, [this, id] {
        // Not inside the process's own signal: forgetting deletes it.
        QTimer::singleShot(0, this, [this, id] { Forget(Find(id)); });
    });
    session->process->start(program_, {contract::kEmbedding, Address()});
    if (!session->process->waitForStarted(5000)) {
        emit status(QStringLiteral("Trunk Copy could not be started: %1")
                        .arg(session->process->errorString()));
        return;
    }
    emit status(QStringLiteral("Starting Trunk Copy for %1...").arg(exchange));
    sessions_.push_back(std::move(session));
}

void AddinLauncher::OnConnection(const QDBusConnection& connection) {
    // Connections arrive in start order; give this one to the first session
    // still without one.
    Session* session = nullptr;
    for (auto& s : sessions_) {
        if (s->connectionName.isEmpty() && !s->ending) {
            session = s.get();
            break;
        }
    }
    if (!session)
        return;
    session->connectionName = connection.name();
    QDBusConnection c(connection);
    auto parent = std::make_unique<ParentAdaptor>(model_);
    connect(parent.get(), &ParentAdaptor::childUnloaded, this, [this, id = session->id](int) {
        if (Session* s = Find(id))
            OnChildUnloaded(s);
    });
    auto link = std::make_unique<LinkAdaptor>(link_);
    auto processor = std::make_unique<ProcessorAdaptor>(link_);
    c.registerObject(contract::kHostParentPath, parent.get(), QDBusConnection::ExportAllSlots);
    c.registerObject(contract::kHostParentPath + contract::kLinkPathSuffix, link.get(),
                     QDBusConnection::ExportAllSlots);
    c.registerObject(contract::kHostParentPath + contract::kProcessorPathSuffix, processor.get(),
                     QDBusConnection::ExportAllSlots);
    session->objects.push_back(std::move(parent));
    session->objects.push_back(std::move(link));
    session->objects.push_back(std::move(processor));
    QueueCreate(session, kCreateAttempts);
}

void AddinLauncher::QueueCreate(Session* session, int attemptsLeft) {
    createQueue_.emplace_back(session, attemptsLeft);
    CreateNext();
}

void AddinLauncher::CreateNext() {
    while (!creating_ && !createQueue_.empty()) {
        const auto [session, attemptsLeft] = createQueue_.front();
        createQueue_.pop_front();
        if (Known(session) && !session->ending)
            TryCreate(session, attemptsLeft);
    }
}

void AddinLauncher::TryCreate(Session* session, int attemptsLeft) {
    QDBusMessage create = QDBusMessage::createMethodCall(
        QString(), contract::kClassPath, contract::kClassInterface, QStringLiteral("CreateObject"));
    create << contract::kClassName;
    creating_ = session->id;
    auto* watcher = new QDBusPendingCallWatcher(Connection(*session).asyncCall(create), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id = session->id, attemptsLeft](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (creating_ == id) {
                    // The next add-in's creation waits only for this answer.
                    creating_ = 0;
                    QTimer::singleShot(0, this, &AddinLauncher::CreateNext);
                }
                Session* live = Find(id);
                if (!live || live->ending)
                    return;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty()) {
                    if (attemptsLeft > 0) {
                        QTimer::singleShot(100, this, [this, id, attemptsLeft] {
                            if (Session* again = Find(id))
                                QueueCreate(again, attemptsLeft - 1);
                        });
                    } else {
                        emit status(QStringLiteral("Trunk Copy did not answer."));
                        // Stopped, so the next Open starts afresh.
                        live->ending = true;
                        live->process->kill();
                    }
                    return;
                }
                live->layerPath = qdbus_cast<QDBusObjectPath>(reply.arguments().first()).path();
                Register(live);
            });
}

void AddinLauncher::Register(Session* session) {
    QDBusMessage reg = QDBusMessage::createMethodCall(
        QString(), session->layerPath, contract::kLayerInterface, QStringLiteral("RegisterPBX"));
    reg << session->exchange << QVariant::fromValue(QDBusObjectPath(contract::kHostParentPath))
        << QVariant::fromValue(static_cast<qint16>(session->id));
    auto* watcher = new QDBusPendingCallWatcher(Connection(*session).asyncCall(reg), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [this, id = session->id](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            Session* live = Find(id);
            if (!live || live->ending)
                return;
            const QDBusMessage reply = w->reply();
            // True: the add-in could not prepare its working database, or
            // its window has already unloaded. Such a window is no use.
            if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().value(0).toBool()) {
                live->loadFailed = true;
                emit status(NotReadyText(live->exchange));
                End(live);
                return;
            }
            live->shown = true;
            QDBusMessage show = QDBusMessage::createMethodCall(QString(), live->layerPath,
                                                               contract::kLayerInterface,
                                                               QStringLiteral("SetVisible"));
            show << true;
            Connection(*live).asyncCall(show);
            if (backgroundSet_ != 0)
                SetBackGround(backgroundSet_);
            emit status(QStringLiteral("Trunk Copy open for %1").arg(live->exchange));
            emit opened(live->exchange);
        });
}

void AddinLauncher::OnChildUnloaded(Session* session) {
    if (!Known(session) || session->ending)
        return;
    // Unloaded is final: from now on Open starts a fresh add-in. The release
    // waits until the add-in has had the answer to its UnloadChild.
    session->ending = true;
    QTimer::singleShot(0, this, [this, id = session->id] {
        if (Session* s = Find(id))
            End(s);
    });
}

void AddinLauncher::End(Session* session) {
    session->ending = true;
    if (!session->layerPath.isEmpty()) {
        QDBusMessage release = QDBusMessage::createMethodCall(QString(), contract::kClassPath,
                                                              contract::kClassInterface,
                                                              QStringLiteral("ReleaseObject"));
        release << QVariant::fromValue(QDBusObjectPath(session->layerPath));
        Connection(*session).asyncCall(release);  // the add-in ends without answering
        session->layerPath.clear();
    }
    // It stores its window position through us on the way out; one that
    // has not ended after the grace time is stopped.
    QProcess* process = session->process.get();
    QTimer::singleShot(kEndGraceMs, process, [process] {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void AddinLauncher::WatchConnections() {
    for (auto& s : sessions_) {
        if (s->ending || s->connectionName.isEmpty() || Connection(*s).isConnected())
            continue;
        emit status(QStringLiteral("Trunk Copy for %1 has lost its link.").arg(s->exchange));
        s->layerPath.clear();  // nothing left to release
        End(s.get());
    }
}

void AddinLauncher::Forget(Session* session) {
    const auto found = std::find_if(sessions_.begin(), sessions_.end(),
                                    [session](const auto& s) { return s.get() == session; });
    if (found == sessions_.end())
        return;
    std::unique_ptr<Session> gone = std::move(*found);
    sessions_.erase(found);
    std::erase_if(createQueue_, [&gone](const auto& queued) { return queued.first == gone.get(); });
    if (creating_ == gone->id) {
        creating_ = 0;
        QTimer::singleShot(0, this, &AddinLauncher::CreateNext);
    }
    gone->objects.clear();
    if (!gone->connectionName.isEmpty())
        QDBusConnection::disconnectFromPeer(gone->connectionName);
    // Why an add-in that was never shown went stays on the message line.
    const int exitCode = gone->process ? gone->process->exitCode() : 0;
    if (gone->loadFailed) {
        emit status(NotReadyText(gone->exchange));
    } else if (!gone->shown && exitCode != 0) {
        emit status(QStringLiteral("Trunk Copy for %1 could not start (exit status %2); its "
                                   "message says why.")
                        .arg(gone->exchange)
                        .arg(exitCode));
    } else {
        emit status(QStringLiteral("Trunk Copy for %1 has ended.").arg(gone->exchange));
    }
    emit closed(gone->exchange);
}

void AddinLauncher::AskToClose(const std::function<void()>& ready,
                               const std::function<void()>& keptOpen) {
    struct Asking {
        int waiting = 0;
        bool keptOpen = false;
        std::vector<Session*> stopping;
    };
    auto asking = std::make_shared<Asking>();
    auto decide = [this, asking, ready, keptOpen] {
        if (asking->keptOpen) {
            keptOpen();
        } else {
            WhenEnded(asking->stopping, ready);
        }
    };
    for (auto& s : sessions_) {
        if (s->layerPath.isEmpty() || s->ending)
            continue;
        ++asking->waiting;
        QDBusMessage query = QDBusMessage::createMethodCall(
            QString(), s->layerPath, contract::kLayerInterface, QStringLiteral("QueryUnload"));
        // The engineer answers at leisure: no time-out.
        auto* watcher = new QDBusPendingCallWatcher(
            Connection(*s).asyncCall(query, std::numeric_limits<int>::max()), this);
        Session* session = s.get();
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [asking, decide, session, watcher] {
                    watcher->deleteLater();
                    const QDBusMessage reply = watcher->reply();
                    // An add-in that cannot answer (gone, or too old to know
                    // the question) is closed as before.
                    const int answer =
                        reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                            ? reply.arguments().constFirst().toInt()
                            : 0;
                    if (answer == 2)
                        asking->keptOpen = true;
                    if (answer == 1)
                        asking->stopping.push_back(session);
                    // Decided once the reply's dispatch is over: closing
                    // drops the connection it came on.
                    if (--asking->waiting == 0)
                        QTimer::singleShot(0, decide);
                });
    }
    if (asking->waiting == 0)
        decide();
}

void AddinLauncher::WhenEnded(std::vector<Session*> stopping, const std::function<void()>& ready) {
    std::erase_if(stopping, [this](Session* s) { return !Known(s) || s->ending; });
    if (stopping.empty()) {
        ready();
        return;
    }
    QTimer::singleShot(100, this, [this, stopping, ready] { WhenEnded(stopping, ready); });
}

void AddinLauncher::SetBackGround(int set) {
    backgroundSet_ = set;
    for (auto& s : sessions_) {
        if (s->layerPath.isEmpty() || s->ending)
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString(), s->layerPath, contract::kLayerInterface, QStringLiteral("SetBackGround"));
        call << QVariant::fromValue(static_cast<qint16>(set));
        Connection(*s).asyncCall(call);
    }
}

void AddinLauncher::ReleaseAll() {
    for (auto& s : sessions_) {
        if (s->layerPath.isEmpty())
            continue;
        QDBusMessage release = QDBusMessage::createMethodCall(QString(), contract::kClassPath,
                                                              contract::kClassInterface,
                                                              QStringLiteral("ReleaseObject"));
        release << QVariant::fromValue(QDBusObjectPath(s->layerPath));
        Connection(*s).asyncCall(release);  // the add-in ends without answering
        s->layerPath.clear();
        s->ending = true;
    }
    // The add-ins store their window position through us on the way out:
    // keep answering until they have ended.
    QElapsedTimer waited;
    waited.start();
    auto running = [this] {
        for (auto& s : sessions_) {
            if (s->process && s->process->state() != QProcess::NotRunning)
                return true;
        }
        return false;
    };
    while (running() && waited.elapsed() < kEndGraceMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    for (auto& s : sessions_) {
        if (s->process && s->process->state() != QProcess::NotRunning)
            s->process->kill();
    }
}

}  // namespace kestrel
