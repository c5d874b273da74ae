#pragma once

#include <QObject>
#include <QPointer>

#include "AutomationContract.h"
#include "mainwindow/dlgKestrel.h"

namespace kestrel {

// Lets an unattended session (the host's scripted demonstration) work the
// window as an engineer would: commands, boxes and values. Exported at
// contract::kSessionPath only when KESTREL_SESSION is set.
class SessionAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_SESSION_INTERFACE)

public:
    explicit SessionAdaptor(dlgKestrel* window) : window_(window) {}

public slots:
    void RunCommand(const QString& key);
    void SetTrunk(const QString& trunk);
    void SetDestinations(const QString& list);
    bool ChooseValue(const QString& cmd, const QString& value);
    QString ItemValue(const QString& cmd);
    int ItemCount();
    bool Busy();
    bool SaveScreenshot(const QString& path);

private:
    QPointer<dlgKestrel> window_;
};

}  // namespace kestrel
