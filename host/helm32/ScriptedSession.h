#pragma once

#include <QObject>
#include <QString>
#include <QTextStream>
#include <cstdio>

namespace kestrel {

class AddinLauncher;
class HostModel;

// An unattended demonstration through the real automation path: the host
// opens Trunk Copy, reads a source trunk, edits a value, copies it to a
// range of trunks, reads a destination back and prints the report. Each
// step's outcome and the host's message line are printed; pictures of both
// windows and the report go into a folder. Ends the application with 0
// only when every step did what it should, and with 1 as soon as the add-in
// has ended under it; every wait is bounded.
class ScriptedSession : public QObject {
    Q_OBJECT

public:
    // The steps are written to `out` (standard output by default).
    ScriptedSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow,
                    QString exchange, QString folder, QObject* parent = nullptr,
                    FILE* out = stdout);
    ~ScriptedSession() override = default;
    void Start();

signals:
    // The add-in's process has ended: every wait returns.
    void addinEnded();

protected:
    // The steps, once the add-in has come up.
    virtual void Run();
    bool Step(const QString& name, bool ok, const QString& detail = {});
    QVariant Call(const QString& member, const QVariantList& args = {});
    bool WaitIdle(int timeoutMs = 30000);
    // Runs the event loop for up to `ms`, less when the add-in ends.
    void Pause(int ms);
    // When the add-in has ended: the step fails with that reason and the
    // session ends. True then.
    bool Ended(const QString& step);
    void Finish();

    AddinLauncher& launcher_;
    HostModel& model_;
    QWidget* hostWindow_;
    QString exchange_;
    QString folder_;
    QString lastMessage_;
    QString report_;
    QTextStream out_;
    bool allPassed_ = true;
    bool running_ = false;
    bool ended_ = false;
    bool finished_ = false;
};

}  // namespace kestrel
