#pragma once

#include <QObject>
#include <QString>
#include <QTextStream>

namespace kestrel {

class AddinLauncher;
class HostModel;

// An unattended demonstration through the real automation path: the host
// opens Trunk Copy, reads a source trunk, edits a value, copies it to a
// range of trunks, reads a destination back and prints the report. Each
// step's outcome and the host's message line are printed; pictures of both
// windows and the report go into a folder. Ends the application with 0
// only when every step did what it should.
class ScriptedSession : public QObject {
    Q_OBJECT

public:
    ScriptedSession(AddinLauncher& launcher, HostModel& model, QWidget* hostWindow,
                    QString exchange, QString folder, QObject* parent = nullptr);
    void Start();

private:
    void Run();
    bool Step(const QString& name, bool ok, const QString& detail = {});
    QVariant Call(const QString& member, const QVariantList& args = {});
    bool WaitIdle(int timeoutMs = 30000);

    AddinLauncher& launcher_;
    HostModel& model_;
    QWidget* hostWindow_;
    QString exchange_;
    QString folder_;
    QString lastMessage_;
    QString report_;
    QTextStream out_;
    bool allPassed_ = true;
};

}  // namespace kestrel
