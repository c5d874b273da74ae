#pragma once

// D-Bus adaptors of the add-in: each slot forwards to the object it wraps.
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>

#include "AutomationContract.h"
#include "mainwindow/dlgKestrel.h"

namespace kestrel {

class AutomationServer;
class cOLELayer;

class ClassObjectAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_CLASS_INTERFACE)

public:
    explicit ClassObjectAdaptor(AutomationServer& server) : server_(server) {}

public slots:
    // A class the add-in does not offer answers the unknown-class error.
    QDBusObjectPath CreateObject(const QString& className);
    void ReleaseObject(const QDBusObjectPath& path);

private:
    AutomationServer& server_;
};

class LayerAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_LAYER_INTERFACE)

public:
    LayerAdaptor(AutomationServer& server, cOLELayer& layer) : server_(server), layer_(layer) {}

public slots:
    bool RegisterPBX(const QString& pbx, const QDBusObjectPath& parent, qint16 id);
    void SetVisible(bool visible);
    bool GetVisible();
    void SetBackGround(qint16 index);
    qint16 QueryUnload();

private:
    AutomationServer& server_;
    cOLELayer& layer_;
};

// The main window's public members under their own names. Object arguments
// travel as object paths of the host's connection ("/" is none); the
// control of ShowWhatsThis travels as its design name, "name(index)" for an
// element of an indexed set. A window that has unloaded is not acted on.
class WindowAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", KESTREL_DBUS_WINDOW_INTERFACE)

public:
    WindowAdaptor(AutomationServer& server, dlgKestrel* window)
        : server_(server), window_(window) {}

public slots:
    void IncrementCount();
    qint16 DecrementCount();
    void PBXName(const QString& value);
    void Parent(const QDBusObjectPath& value);
    void ID(qint16 id);
    bool CheckDBLoadError();
    void CallBack(const kestrel::cListRequest& response);
    void ShowWhatsThis(const QString& who);
    void SecondData(const QString& value);
    void TrunkNumber(const QString& trunk);
    bool Check_STNData(const QString& cmd, const QString& fd);
    bool Search_CMD(const QString& cmd);
    void FrmMove(const QDBusObjectPath& host);
    void FrmPositionSave();
    void BackGround(qint16 index);
    void TurnFlow(bool value);
    // The host's report of how far a request of this window has got, and
    // of its end (which comes right before its CallBack).
    void RequestProgress(const QString& requestId, const QString& loginId, int done, int total);
    void RequestEnded(const QString& requestId, const QString& loginId, int errCode);

private:
    // The window while it is loaded; null once it has unloaded.
    dlgKestrel* Live() const;

    AutomationServer& server_;
    QPointer<dlgKestrel> window_;
};

}  // namespace kestrel
