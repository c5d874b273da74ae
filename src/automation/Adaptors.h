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

class ClassObjectAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "opshelm.Kestrel10013")

public:
    explicit ClassObjectAdaptor(AutomationServer& server) : server_(server) {}

public slots:
    QDBusObjectPath CreateObject(const QString& className);
    void ReleaseObject(const QDBusObjectPath& path);

private:
    AutomationServer& server_;
};

class LayerAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "opshelm.Kestrel10013.cOLELayer")

public:
    LayerAdaptor(AutomationServer& server, cOLELayer& layer) : server_(server), layer_(layer) {}

public slots:
    bool RegisterPBX(const QString& pbx, const QDBusObjectPath& parent, qint16 id);
    void SetVisible(bool visible);
    bool GetVisible();
    void SetBackGround(qint16 index);

private:
    AutomationServer& server_;
    cOLELayer& layer_;
};

class WindowAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "opshelm.Kestrel10013.dlgKestrel")

public:
    explicit WindowAdaptor(dlgKestrel* window) : window_(window) {}

public slots:
    void CallBack(const kestrel::cListRequest& response);
    void TurnFlow(bool value);
    void IncrementCount();
    qint16 DecrementCount();
    void SetPBXName(const QString& name);
    void SetID(qint16 id);
    bool CheckDBLoadError();
    void FrmPositionSave();
    void BackGround(qint16 index);
    void SetSecondData(const QString& value);
    void SetTrunkNumber(const QString& trunk);
    bool Search_CMD(const QString& cmd);
    bool Check_STNData(const QString& cmd, const QString& fd);

private:
    QPointer<dlgKestrel> window_;
};

}  // namespace kestrel
