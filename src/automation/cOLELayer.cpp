#include "cOLELayer.h"

#include "mainwindow/dlgKestrel.h"
#include "platform/AppInfo.h"
#include "platform/Logging.h"
#include "platform/ProcessControl.h"
#include "platform/Services.h"
#include "platform/widgets/ModalWidgets.h"
#include "startup/AddinRegistration.h"
#include "startup/Startup.h"

namespace kestrel {

namespace {

void EndProcess(int exitCode) {
    if (ProcessControl* process = services().process)
        process->EndProcess(exitCode);
}

}  // namespace

AddinSession::AddinSession() = default;

AddinSession::~AddinSession() {
    delete retired_.data();
}

QString AddinSession::VersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(KESTREL_VERSION_MAJOR)
        .arg(KESTREL_VERSION_MINOR)
        .arg(KESTREL_VERSION_PATCH);
}

bool AddinSession::PrepareAutomationStart() {
    if (!RegisterAddin(QStringLiteral("ADDINS"), QStringLiteral("kestrel.wrx"), VersionText())) {
        return false;
    }
    App().OleServerBusyTimeout = 10000;
    App().OleRequestPendingTimeout = 20000;
    if (!window_) {
        window_ = std::make_unique<dlgKestrel>();
        window_->Load();
    }
    return true;
}

void AddinSession::CloseWindow() {
    if (!window_)
        return;
    CloseModalWidgets();
    window_->Unload();  // nothing more when its own unload is under way further up
    // Deleting it here would pull it from under the loops of boxes, dialogs
    // or host calls further up this stack, which return only once this call
    // has; deferred, it goes when they have.
    retired_ = window_.release();
    retired_->deleteLater();
}

bool AddinSession::WindowLoaded() const {
    return window_ && window_->IsLoaded();
}

cOLELayer::cOLELayer(AddinSession& session) : session_(session) {
    if (!session_.PrepareAutomationStart()) {
        qCCritical(lcUi, "The start failed: Register.mdb could not be updated");
        EndProcess(kStartupFailureExit);
        return;
    }
    if (dlgKestrel* window = session_.Window())
        window->IncrementCount();
}

cOLELayer::~cOLELayer() {
    dlgKestrel* window = session_.Window();
    if (!window)
        return;
    if (window->DecrementCount() < 1) {
        // A window that never had its working database was a failed start.
        const int exitCode = window->CheckDBLoadError() ? kStartupFailureExit : 0;
        window->FrmPositionSave();
        window->SetParent(nullptr);
        session_.CloseWindow();
        EndProcess(exitCode);
    }
}

bool cOLELayer::RegisterPBX(const QString& pbx, HostProgramme* parent, std::int16_t id) {
    dlgKestrel* window = session_.Window();
    if (!window || !session_.WindowLoaded())
        return true;
    const QString marked = QStringLiteral("(") + pbx + u')';
    if (!pbx.isEmpty() && !App().Title.contains(marked))
        App().Title += u' ' + marked;
    window->SetID(id);
    window->FrmMove(parent);
    // Waiting for the host lets other calls in: the engineer may have closed
    // the window meanwhile, which the result then reports.
    if (!session_.WindowLoaded())
        return true;
    window->SetParent(parent);
    window->SetPBXName(pbx);
    return !session_.WindowLoaded() || window->CheckDBLoadError();
}

void cOLELayer::SetVisible(bool visible) {
    if (!session_.WindowLoaded())
        return;
    if (dlgKestrel* window = session_.Window()) {
        window->setVisible(visible);
        window->repaint();
        // Asked to show a window already shown (the host's Trunk Copy again),
        // the engineer wants it in front, not left behind the host.
        if (visible) {
            window->raise();
            window->activateWindow();
        }
    }
}

bool cOLELayer::GetVisible() const {
    dlgKestrel* window = session_.Window();
    return window && session_.WindowLoaded() && window->isVisible();
}

void cOLELayer::SetBackGround(std::int16_t index) {
    if (!session_.WindowLoaded())
        return;
    if (dlgKestrel* window = session_.Window())
        window->BackGround(index);
}

std::int16_t cOLELayer::QueryUnload() {
    dlgKestrel* window = session_.Window();
    if (!window || !session_.WindowLoaded())
        return 0;
    return static_cast<std::int16_t>(window->QueryUnload());
}

}  // namespace kestrel
