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
    // Whether the window's work area takes input (it is disabled while a
    // request is under way).
    bool Enabled();
    bool SaveScreenshot(const QString& path);
    // Double-clicks option `row` (from 0) of item `cmd` in the tree, as the
    // engineer does; an option that asks for data opens its dialog, and the
    // call returns once it has closed. False when there is no such option.
    bool ChooseOption(const QString& cmd, int row);
    // The modal dialog, box or menu open in the add-in (its design name, or
    // its class), empty when none is.
    QString OpenModal();
    // Switches the safety net as the engineer does with its check box.
    void SetSafetyNet(bool on);
    // The cells the last plain copy says it wrote, as "trunk/item".
    QStringList WrittenCells();
    // The prompts of the boxes shown since the last call, oldest first.
    QStringList TakeMessages();

private:
    QPointer<dlgKestrel> window_;
};

}  // namespace kestrel
