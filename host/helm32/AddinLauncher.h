#pragma once

#include <QDBusConnection>
#include <QDBusServer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace kestrel {

class HostModel;
class SimulatedLink;

// Starts the add-in as an automation server on a private socket, creates
// its cOLELayer, registers the exchange and shows it. One add-in process
// per exchange; closing the host releases them all.
class AddinLauncher : public QObject {
    Q_OBJECT

public:
    AddinLauncher(HostModel& model, SimulatedLink& link, QString addinProgram,
                  QObject* parent = nullptr);
    ~AddinLauncher() override;

    // Opens Trunk Copy for an exchange (shows it again when it is open).
    void Open(const QString& exchange);
    // Applies a background set to every open add-in.
    void SetBackGround(int set);
    // Releases every add-in object: the add-ins end.
    void ReleaseAll();
    // Releases everything and closes the private socket.
    void Shutdown();
    QString Address() const;
    int OpenCount() const { return static_cast<int>(sessions_.size()); }
    // The connection of the first add-in (an unattended session drives it).
    QDBusConnection Connection() const;

signals:
    void status(const QString& text);
    void opened(const QString& exchange);

private:
    struct Session {
        QString exchange;
        std::unique_ptr<QProcess> process;
        QString connectionName;
        QString layerPath;
        int id = 0;
        std::vector<std::unique_ptr<QObject>> objects;
    };
    void OnConnection(const QDBusConnection& connection);
    void TryCreate(Session* session, int attemptsLeft);
    QDBusConnection Connection(const Session& s) const;

    HostModel& model_;
    SimulatedLink& link_;
    QString program_;
    QTemporaryDir socketDir_;
    int backgroundSet_ = 0;
    std::unique_ptr<QDBusServer> server_;
    std::vector<std::unique_ptr<Session>> sessions_;
    int nextId_ = 1;
};

}  // namespace kestrel
