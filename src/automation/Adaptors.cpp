#include "Adaptors.h"

#include <QRegularExpression>
#include <QWidget>

#include "AutomationServer.h"
#include "HostProxies.h"
#include "cOLELayer.h"
#include "hostlink/RecordLimits.h"
#include "mainwindow/dlgKestrel.h"

namespace kestrel {

namespace {

// The control a design name stands for: "txtTrunk", or "lblTrunk(1)" for
// element 1 of an indexed set. Null when the window has none of that name.
QWidget* ControlByDesignName(QWidget* window, const QString& designName) {
    static const QRegularExpression indexed(QStringLiteral("^(\\w+)\\((\\d+)\\)$"));
    QString name = designName.trimmed();
    int index = -1;
    if (const QRegularExpressionMatch m = indexed.match(name); m.hasMatch()) {
        name = m.captured(1);
        index = m.captured(2).toInt();
    }
    if (name.isEmpty())
        return nullptr;
    for (QWidget* control : window->findChildren<QWidget*>(name)) {
        const QVariant element = control->property("index");
        if (index < 0 ? !element.isValid() : (element.isValid() && element.toInt() == index))
            return control;
    }
    return nullptr;
}

}  // namespace

QDBusObjectPath ClassObjectAdaptor::CreateObject(const QString& className) {
    QDBusObjectPath path = server_.CreateObject(className);
    if (path.path().isEmpty()) {
        sendErrorReply(contract::kUnknownClassError,
                       QStringLiteral("The add-in has no class named '%1'; it offers %2.")
                           .arg(className, contract::kClassName));
    }
    return path;
}

void ClassObjectAdaptor::ReleaseObject(const QDBusObjectPath& path) {
    server_.ReleaseObject(path);
}

bool LayerAdaptor::RegisterPBX(const QString& pbx, const QDBusObjectPath& parent, qint16 id) {
    return layer_.RegisterPBX(pbx, server_.Host(parent.path()), id);
}

void LayerAdaptor::SetVisible(bool visible) {
    layer_.SetVisible(visible);
}

bool LayerAdaptor::GetVisible() {
    return layer_.GetVisible();
}

void LayerAdaptor::SetBackGround(qint16 index) {
    layer_.SetBackGround(index);
}

qint16 LayerAdaptor::QueryUnload() {
    return layer_.QueryUnload();
}

dlgKestrel* WindowAdaptor::Live() const {
    return window_ && window_->IsLoaded() ? window_.data() : nullptr;
}

void WindowAdaptor::IncrementCount() {
    if (window_)
        window_->IncrementCount();
}

qint16 WindowAdaptor::DecrementCount() {
    return window_ ? window_->DecrementCount() : 0;
}

void WindowAdaptor::PBXName(const QString& value) {
    if (dlgKestrel* window = Live())
        window->SetPBXName(value);
}

void WindowAdaptor::Parent(const QDBusObjectPath& value) {
    if (dlgKestrel* window = Live())
        window->SetParent(server_.Host(value.path()));
}

void WindowAdaptor::ID(qint16 id) {
    if (dlgKestrel* window = Live())
        window->SetID(id);
}

bool WindowAdaptor::CheckDBLoadError() {
    // An unloaded window has no working database.
    dlgKestrel* window = Live();
    return !window || window->CheckDBLoadError();
}

void WindowAdaptor::CallBack(const kestrel::cListRequest& response) {
    // A record that arrived unreadable, or with a text longer than an
    // exchange answers, is refused to the host; the window still takes it,
    // to end its request as failed.
    const QString fault = RecordFault(response);
    if (!fault.isEmpty())
        sendErrorReply(contract::kInvalidArgumentError, fault);
    cListRequest copy = response;
    if (dlgKestrel* window = Live())
        window->CallBack(copy);
}

void WindowAdaptor::ShowWhatsThis(const QString& who) {
    dlgKestrel* window = Live();
    if (!window)
        return;
    QWidget* control = ControlByDesignName(window, who);
    if (!control) {
        sendErrorReply(contract::kInvalidArgumentError,
                       QStringLiteral("The window has no control named '%1'.").arg(who));
        return;
    }
    window->ShowWhatsThis(control);
}

void WindowAdaptor::SecondData(const QString& value) {
    if (dlgKestrel* window = Live())
        window->SetSecondData(value);
}

void WindowAdaptor::TrunkNumber(const QString& trunk) {
    if (dlgKestrel* window = Live())
        window->SetTrunkNumber(trunk);
}

bool WindowAdaptor::Check_STNData(const QString& cmd, const QString& fd) {
    dlgKestrel* window = Live();
    return window && window->Check_STNData(cmd, fd);
}

bool WindowAdaptor::Search_CMD(const QString& cmd) {
    dlgKestrel* window = Live();
    return window && window->Search_CMD(cmd);
}

void WindowAdaptor::FrmMove(const QDBusObjectPath& host) {
    if (dlgKestrel* window = Live())
        window->FrmMove(server_.Host(host.path()));
}

void WindowAdaptor::FrmPositionSave() {
    if (dlgKestrel* window = Live())
        window->FrmPositionSave();
}

void WindowAdaptor::BackGround(qint16 index) {
    if (dlgKestrel* window = Live())
        window->BackGround(index);
}

void WindowAdaptor::TurnFlow(bool value) {
    if (dlgKestrel* window = Live())
        window->TurnFlow(value);
}

void WindowAdaptor::RequestProgress(const QString& requestId, const QString& loginId, int done,
                                    int total) {
    if (dlgKestrel* window = Live())
        window->RequestProgress(requestId, loginId, done, total);
}

void WindowAdaptor::RequestEnded(const QString& requestId, const QString& loginId, int errCode) {
    if (dlgKestrel* window = Live())
        window->RequestEnded(requestId, loginId, errCode);
}

}  // namespace kestrel
