#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>

#include "hostlink/HostProgramme.h"

namespace kestrel {

// Calls one host member over the connection and waits for the reply with
// the event loop running. A reply of the busy error is retried for the
// busy time-out before the busy notice is shown; a call pending longer than
// the pending time-out shows the pending notice once. Any failure raises
// RunError.
QDBusMessage CallHost(const QDBusConnection& connection, const QString& path,
                      const QString& interface, const QString& member, const QVariantList& args);

class DBusLink : public ExchangeLink {
public:
    DBusLink(QDBusConnection connection, QString path, QString callbackPath);
    QString Login(const QString& pbxName, CallBackTarget* callback) override;
    QString SendRequest(cListRequest& request) override;
    void LogOut(const QString& pbxName, const QString& loginId) override;
    bool CancelRequest(const QString& requestId) override;

private:
    QDBusConnection connection_;
    QString path_;
    QString callbackPath_;
};

class DBusProcessor : public ProcessorInfo {
public:
    DBusProcessor(QDBusConnection connection, QString path);
    QString GetMPVersion(const QString& pbxName) override;

private:
    QDBusConnection connection_;
    QString path_;
};

// The host programme (Parent) at a path of the host's connection.
class DBusHost : public HostProgramme {
public:
    DBusHost(const QDBusConnection& connection, const QString& path, QString callbackPath);
    void ShowMessage(const QString& text) override;
    void ShowCode(std::int32_t code) override;
    void DisplayHelp(const QString& helpFile) override;
    void UnloadChild(std::int32_t id) override;
    void TurnOnFlow() override;
    void TurnOffFlow() override;
    void REGComData(const QString& addin, const QString& key, const QString& value) override;
    QString GetComData(const QString& addin, const QString& key) override;
    QString PrintReport(const QString& databasePath, const QString& templatePath,
                        const QString& selection, const QString& reserved,
                        std::int32_t options) override;
    void AddItem(const QString& line) override;
    // A host without the member answers an error: it does not say.
    QString LastReportFile() override;
    ExchangeLink* oPBX() override { return &link_; }
    ProcessorInfo* oOPX() override { return &processor_; }

private:
    QDBusMessage Call(const QString& member, const QVariantList& args = {});

    QDBusConnection connection_;
    QString path_;
    DBusLink link_;
    DBusProcessor processor_;
};

}  // namespace kestrel
