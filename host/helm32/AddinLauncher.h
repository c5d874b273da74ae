#pragma once

#include <QDBusConnection>
#include <QDBusServer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace kestrel {

class HostModel;
class SimulatedLink;

// Starts the add-in as an automation server on a private socket, creates
// its cOLELayer, registers the exchange and shows it. One add-in process
// per exchange; closing the host releases them all. An add-in whose window
// unloads (UnloadChild) is released and forgotten once its process has
// ended; the next Open of its exchange starts a fresh one.
class AddinLauncher : public QObject {
    Q_OBJECT

public:
    AddinLauncher(HostModel& model, SimulatedLink& link, QString addinProgram,
                  QObject* parent = nullptr);
    ~AddinLauncher() override;

    // Opens Trunk Copy for an exchange: shows it again when it is open,
    // leaves it be while it is starting, and starts a new add-in when there
    // is none or the one there is ending.
    void Open(const QString& exchange);
    // Applies a background set to every open add-in.
    void SetBackGround(int set);
    // Releases every add-in object: the add-ins end.
    void ReleaseAll();
    // Releases everything and closes the private socket.
    void Shutdown();
    // Asks every open add-in whether it may close (each asks its engineer
    // when it has a request under way): `ready` runs once all may, after the
    // ones stopping a copy have ended; never when an engineer keeps one open,
    // which `keptOpen` then tells.
    void AskToClose(const std::function<void()>& ready, const std::function<void()>& keptOpen);
    QString Address() const;
    // Add-in processes the host still knows, ending ones included.
    int OpenCount() const { return static_cast<int>(sessions_.size()); }
    // The process id of the exchange's add-in that is not ending; 0 when
    // there is none.
    qint64 ProcessId(const QString& exchange) const;
    // The connection of the first add-in (an unattended session drives it).
    QDBusConnection Connection() const;

signals:
    void status(const QString& text);
    void opened(const QString& exchange);
    // An add-in's process has ended and the host has forgotten it.
    void closed(const QString& exchange);

private:
    struct Session {
        QString exchange;
        std::unique_ptr<QProcess> process;
        QString connectionName;
        QString layerPath;
        int id = 0;
        // Its window unloaded or the host released it: never shown again.
        bool ending = false;
        // It reported that it could not prepare its working database.
        bool loadFailed = false;
        bool shown = false;
        std::vector<std::unique_ptr<QObject>> objects;
    };
    void OnConnection(const QDBusConnection& connection);
    // Creations go one at a time: each loads an add-in's window, which takes
    // the working-copy counter that a second add-in loading in the same
    // moment would find held.
    void QueueCreate(Session* session, int attemptsLeft);
    void CreateNext();
    void TryCreate(Session* session, int attemptsLeft);
    // Registers the exchange; shows the window once the add-in is ready,
    // releases an add-in that reports its load error.
    void Register(Session* session);
    // The add-in's window has unloaded: release its object.
    void OnChildUnloaded(Session* session);
    // Releases the session's object; its process ends by itself or is
    // stopped after a grace time.
    void End(Session* session);
    void Forget(Session* session);
    // An add-in whose connection has dropped is of no more use: it counts as
    // ending, so the next Open starts a fresh one, and is stopped when it
    // does not end by itself.
    void WatchConnections();
    bool Known(const Session* session) const;
    // The session of `id`, while there is one. Replies and timers name their
    // session by id: a session made after one has gone may take its address.
    Session* Find(int id) const;
    // Runs `ready` once none of `stopping` is still open.
    void WhenEnded(std::vector<Session*> stopping, const std::function<void()>& ready);
    QDBusConnection Connection(const Session& s) const;

    HostModel& model_;
    SimulatedLink& link_;
    QString program_;
    QTemporaryDir socketDir_;
    int backgroundSet_ = 0;
    std::unique_ptr<QDBusServer> server_;
    std::vector<std::unique_ptr<Session>> sessions_;
    std::deque<std::pair<Session*, int>> createQueue_;
    int creating_ = 0;  // the id of the session whose creation is under way
    QTimer connectionWatch_;
    int nextId_ = 1;
};

}  // namespace kestrel
