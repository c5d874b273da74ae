#include "Adaptors.h"

#include "AutomationServer.h"
#include "HostProxies.h"
#include "cOLELayer.h"
#include "mainwindow/dlgKestrel.h"

namespace kestrel {

QDBusObjectPath ClassObjectAdaptor::CreateObject(const QString& className) {
    return server_.CreateObject(className);
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

void WindowAdaptor::CallBack(const kestrel::cListRequest& response) {
    cListRequest copy = response;
    if (window_)
        window_->CallBack(copy);
}

void WindowAdaptor::TurnFlow(bool value) {
    if (window_)
        window_->TurnFlow(value);
}

void WindowAdaptor::IncrementCount() {
    if (window_)
        window_->IncrementCount();
}

qint16 WindowAdaptor::DecrementCount() {
    return window_ ? window_->DecrementCount() : 0;
}

void WindowAdaptor::SetPBXName(const QString& name) {
    if (window_)
        window_->SetPBXName(name);
}

void WindowAdaptor::SetID(qint16 id) {
    if (window_)
        window_->SetID(id);
}

bool WindowAdaptor::CheckDBLoadError() {
    return window_ && window_->CheckDBLoadError();
}

void WindowAdaptor::FrmPositionSave() {
    if (window_)
        window_->FrmPositionSave();
}

void WindowAdaptor::BackGround(qint16 index) {
    if (window_)
        window_->BackGround(index);
}

void WindowAdaptor::SetSecondData(const QString& value) {
    if (window_)
        window_->SetSecondData(value);
}

void WindowAdaptor::SetTrunkNumber(const QString& trunk) {
    if (window_)
        window_->SetTrunkNumber(trunk);
}

bool WindowAdaptor::Search_CMD(const QString& cmd) {
    return window_ && window_->Search_CMD(cmd);
}

bool WindowAdaptor::Check_STNData(const QString& cmd, const QString& fd) {
    return window_ && window_->Check_STNData(cmd, fd);
}

}  // namespace kestrel
