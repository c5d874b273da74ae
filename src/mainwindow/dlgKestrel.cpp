#include "dlgKestrel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QWhatsThis>

#include "RequestProgressStrip.h"
#include "WindowPosition.h"
#include "catalogue/TreeEditor.h"
#include "copyengine/TrunkRange.h"
#include "dialogs/frmCmd.h"
#include "hostlink/HostCalls.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "localisation/widgets/BackgroundPictures.h"
#include "localisation/widgets/WindowLocalizer.h"
#include "platform/AppInfo.h"
#include "platform/FileOps.h"
#include "platform/Notices.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/HelpViewer.h"
#include "platform/widgets/ListBar.h"
#include "platform/widgets/ModalWidgets.h"
#include "platform/widgets/UserInputBlocker.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/widgets/frmHistory.h"
#include "safetynet/widgets/frmPreview.h"
#include "session/TrunkCopySession.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"
#include "teamjournal/TeamJournal.h"

namespace kestrel {

dlgKestrel::dlgKestrel(StandaloneLinkFactory standaloneLinks, QWidget* parent)
    : QWidget(parent),
      session_(new TrunkCopySession(*this, *this, std::move(standaloneLinks), this)) {
    BuildControls();
    ConnectEvents();
    connect(progress_, &RequestProgressStrip::cancelRequested, this, [this] {
        // Only this window's request; a cancel the host could not take
        // leaves the button for another try while the request runs on.
        if (!session_->Dispatcher().CancelRequest(progressRequest_) &&
            session_->Dispatcher().RequestInFlight())
            progress_->AllowCancel();
    });
    BindKeyboard();
}

dlgKestrel::~dlgKestrel() {
    if (loaded_)
        Unload();
}

bool dlgKestrel::Load() {
    loaded_ = true;
    if (!g_LangDb) {
        Unload();
        return false;
    }
    if (!session_->OpenWorkingCopy()) {
        if (g_Standalone)
            Unload();
        return !g_Standalone;
    }
    raise();
    helpFile_ = HelpFilePath();
    const QDir backgrounds(
        ResolvePath(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("BackGrnd"))));
    if (backgrounds.exists() && !backgrounds.entryList(QDir::Files).isEmpty()) {
        StretchBackgrounds();
    }
    ApplyWhatsThis();

    if (!LocalizeForm(this, g_LangDb.get()) || !LocalizeControls(this, g_LangDb.get()) ||
        !LocalizeGridHeads(this, g_LangDb.get()) || !LocalizeListBar(this, g_LangDb.get())) {
        Unload();
        return false;
    }
    ApplyShortcutTips();
    ShowSafetyNetState();
    session_->StartTeam();
    if (TeamJournal* team = session_->MadeTeam()) {
        connect(team, &TeamJournal::WaitingChanged, this, &dlgKestrel::ShowTeamWaiting,
                Qt::UniqueConnection);
    }
    ShowTeamWaiting();
    LocalizeAccessibility(this, g_LangDb.get());

    txtTrunk_->setProperty("tag", QStringLiteral("Init"));
    // Rows the tree could not be built from are named once the window is up,
    // never inside the host's call that loads it.
    if (const QStringList faults = session_->BuildTree(); !faults.isEmpty()) {
        QTimer::singleShot(0, this, [this, faults] {
            if (loaded_)
                TrunkCopySession::ShowTreeFaults(faults);
        });
    }
    raise();
    session_->ReadHighestTrunk();

    if (g_Standalone) {
        if (StandaloneLink* link = session_->StartStandaloneHost())
            ConnectStandaloneProgress(link);
        SetPBXName(services().commandLine);
    }
    services().starting = false;
    // The engineer starts by naming the source trunk.
    txtTrunk_->setFocus(Qt::OtherFocusReason);
    return true;
}

void dlgKestrel::ApplyWhatsThis() {
    // Each control with context help shows the help file's topic; the file
    // is found and read once for all of them.
    const QHash<int, QString> topics = HelpViewer::TopicTexts(helpFile_);
    for (QWidget* control : findChildren<QWidget*>()) {
        const QVariant context = control->property("whatsThisHelpID");
        if (context.isValid())
            control->setWhatsThis(HelpViewer::WhatsThisText(topics.value(context.toInt())));
    }
}

void dlgKestrel::Unload() {
    if (unloading_ || !loaded_)
        return;
    unloading_ = true;
    session_->Close();
    loaded_ = false;
    unloading_ = false;
    hide();
    emit unloaded();
}

void dlgKestrel::IncrementCount() {
    session_->Dispatcher().IncrementCount();
}

std::int16_t dlgKestrel::DecrementCount() {
    return session_->Dispatcher().DecrementCount();
}

void dlgKestrel::SetPBXName(const QString& name) {
    session_->SetPBXName(name);
    SetMenuState(0, !name.isEmpty());
    setWindowTitle(Msg(text::kToolName) + QStringLiteral(" (") + name + u')');
    session_->ReadHighestTrunk();
    // A copy of this exchange cut off earlier is named once the window is up,
    // never inside the host's call that named the exchange.
    if (!name.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            if (loaded_)
                session_->NameAbandonedCopies();
        });
    }
}

const QString& dlgKestrel::PBXName() const {
    return session_->PBXName();
}

void dlgKestrel::SetParent(HostProgramme* host) {
    session_->SetParent(host);
}

HostProgramme* dlgKestrel::Parent() const {
    return session_->Parent();
}

void dlgKestrel::SetID(std::int16_t id) {
    session_->SetID(id);
}

std::int16_t dlgKestrel::ID() const {
    return session_->ID();
}

bool dlgKestrel::CheckDBLoadError() const {
    return session_->LoadError();
}

void dlgKestrel::CallBack(cListRequest& response) {
    session_->Dispatcher().CallBack(response);
}

void dlgKestrel::TurnFlow(bool value) {
    session_->Dispatcher().TurnFlow(value);
}

void dlgKestrel::SetMenuState(std::int16_t index, bool state) {
    if (index == 0)
        lsbMenu_->setEnabled(state);
}

void dlgKestrel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        SetMenuState(0, !PBXName().isEmpty());
    }
    QWidget::changeEvent(event);
}

void dlgKestrel::FrmMove(HostProgramme* host) {
    if (Parent())
        return;  // only the first registration places the window
    // The stored point is the client area's top-left, as FrmPositionSave
    // writes it; restoring the frame's instead would move the window by its
    // title bar at every session.
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    const std::optional<QPoint> stored =
        ParsePosition(ReadHostSetting(host, QStringLiteral("MOVE")));
    if (stored && PlacementReachable(QRect(*stored, size()), screens)) {
        setGeometry(QRect(*stored, size()));
        return;
    }
    const QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(QRect(
        QPoint(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2),
        size()));
}

void dlgKestrel::FrmPositionSave() {
    SaveHostSetting(Parent(), QStringLiteral("MOVE"), FormatPosition(geometry().topLeft()));
}

void dlgKestrel::ShowWhatsThis(QObject* who) {
    whatsThisTarget_ = who;
    QAction* chosen = mnuWhatsThis_->exec(QCursor::pos());
    if (chosen && chosen->objectName() == u"itmWhatsThis" && whatsThisTarget_) {
        if (auto* widget = qobject_cast<QWidget*>(whatsThisTarget_.data())) {
            PopWhatsThis(widget);
        }
    }
    whatsThisTarget_ = nullptr;
}

void dlgKestrel::ShowHelp() {
    if (!g_Standalone) {
        if (Parent())
            TryHostCall("to show the help", [&] { Parent()->DisplayHelp(HelpFileName()); });
        return;
    }
    // No host shows it: the help's first topic, beside the window.
    HelpViewer::ShowTopic(helpFile_, kHelpContentsTopic, this);
}

void dlgKestrel::closeEvent(QCloseEvent* event) {
    if (InHostCall()) {
        // Unloading inside a host call would pull the window from under the
        // request that waits; close once the call has returned.
        event->ignore();
        QTimer::singleShot(50, this, [this] { close(); });
        return;
    }
    // Closing the window frame is the Exit command; a request under way is
    // stopped first, never cut off unrecorded.
    if (QueryUnload() != CloseAnswer::Now) {
        event->ignore();
        return;
    }
    Unload();
    QWidget::closeEvent(event);
}

void dlgKestrel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (imgMainBack_->isVisible())
        StretchBackgrounds();
}

void dlgKestrel::StretchBackgrounds() {
    for (QLabel* image : {imgMainBack_, imgBack_}) {
        image->setGeometry(0, 0, width(), height());
        image->lower();
    }
}

void dlgKestrel::ShowPanel(int index) {
    if (index != 0 && index != 1)
        return;
    // The view going behind hands the focus to the one coming to the front.
    QWidget* focus = focusWidget();
    const bool focusBehind = focus && IsCovered(focus, index);
    frontPanel_ = index;
    picPanel_[index]->raise();
    if (focusBehind)
        (index == 0 ? static_cast<QWidget*>(tvwTrkData_) : grdTrkData_)->setFocus();
}

int dlgKestrel::FrontPanel() const {
    return frontPanel_;
}

bool dlgKestrel::IsCovered(const QWidget* control, int front) const {
    // The list lies over the tree; the tree's panel covers the whole list.
    const QWidget* behind = front == 0 ? static_cast<QWidget*>(picPanel_[1]) : tvwTrkData_;
    return control == behind || behind->isAncestorOf(control);
}

void dlgKestrel::CollapseAll() {
    tvwTrkData_->collapseAll();
}

void dlgKestrel::BackGround(std::int16_t index) {
    LoadBackgrounds(this, g_LangDb.get(), g_CommonDb.get(), index, g_BackgroundPath);
    if (g_CmdDialogShown == u"True" && openDialog_)
        openDialog_->SetBackground(BackgroundPicture());
}

void dlgKestrel::SetListVisible(bool visible) {
    grdTrkData_->setVisible(visible);
}

QPixmap dlgKestrel::BackgroundPicture() const {
    return imgBack_->pixmap();
}

bool dlgKestrel::Check_STNData(const QString& cmd, const QString& fd) {
    return session_->Check_STNData(cmd, fd);
}

QString dlgKestrel::RunAdditionalDataDialog(const QString& ruleQuery, const QString& startValue) {
    tag_.clear();
    // On the heap, as every modal dialog of the window: the window may be
    // torn down while it waits (the host went away).
    OwnedDialog<frmCmd> dialog(this);
    if (!dialog->Load())
        return tag_;
    openDialog_ = dialog.get();
    try {
        dialog->Register(this, session_->WorkDb(), ruleQuery, startValue, QString());
    } catch (const RunError& e) {
        openDialog_ = nullptr;
        ShowNotice(e);
        return QStringLiteral("cancel");
    }
    dialog.Exec();
    openDialog_ = nullptr;
    return tag_;
}

bool dlgKestrel::ShowPreview(CopyPlan& plan, bool) {
    OwnedDialog<frmPreview> preview(plan, this);
    return preview.Exec() == QDialog::Accepted;
}

void dlgKestrel::SetDialogTag(const QString& tag) {
    if (openDialog_)
        openDialog_->SetOwnTag(tag);
}

void dlgKestrel::PressDialogOk() {
    if (openDialog_)
        openDialog_->cmdButton_Click(0);
}

bool dlgKestrel::IsEnabled() const {
    return workArea_->isEnabled();
}

void dlgKestrel::SetEnabled(bool enabled) {
    QWidget* focus = focusWidget();
    if (!enabled && focus && workArea_->isAncestorOf(focus))
        focusBeforeRequest_ = focus;
    workArea_->setEnabled(enabled);
    // Disabling took the focus from the control the engineer was in; a
    // keyboard user carries on there once the request is over.
    if (enabled && focusBeforeRequest_) {
        focus = focusWidget();
        if (!focus || !workArea_->isAncestorOf(focus))
            focusBeforeRequest_->setFocus(Qt::OtherFocusReason);
        focusBeforeRequest_ = nullptr;
    }
    // The window is enabled again when its request has ended, whether or
    // not the host said so.
    if (enabled)
        FinishProgress();
}

void dlgKestrel::ConnectStandaloneProgress(StandaloneLink* link) {
    // The built-in host reports every request of every login it serves;
    // RequestProgress keeps to this window's.
    connect(link, &StandaloneLink::requestProgress, this, &dlgKestrel::RequestProgress);
    connect(link, &StandaloneLink::requestEnded, this, &dlgKestrel::RequestEnded);
}

void dlgKestrel::RequestProgress(const QString& requestId, const QString& loginId, int done,
                                 int total) {
    // The host's reports keep its request's wait for an answer alive (the
    // built-in host of a standalone start tells the dispatcher itself).
    if (!g_Standalone)
        session_->Dispatcher().NoteHostReport(requestId, loginId, false);
    if (!session_->Dispatcher().OwnsReport(requestId, loginId))
        return;
    if (progressRequest_ != requestId) {
        progressRequest_ = requestId;
        progress_->Start(total);
    }
    progress_->SetProgress(done, total);
}

void dlgKestrel::RequestEnded(const QString& requestId, const QString& loginId, int) {
    if (!g_Standalone)
        session_->Dispatcher().NoteHostReport(requestId, loginId, true);
    if (!requestId.isEmpty() && requestId == progressRequest_)
        FinishProgress();
}

void dlgKestrel::FinishProgress() {
    progressRequest_.clear();
    progress_->Finish();
}

void dlgKestrel::SetHourglass(bool busy) {
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

QString dlgKestrel::NormaliseTrunkBox() {
    QString text = NormaliseTrunkText(txtTrunk_->text());
    txtTrunk_->setText(text);
    return text;
}

void dlgKestrel::CommandGet() {
    txtTrunk_->setProperty("tag", NormaliseTrunkBox());
    session_->GetSourceTrunk();
}

void dlgKestrel::CommandCopy(bool previewOnly) {
    const QString text = NormaliseTrunkText(txtTrunk_->text());
    // The box names another trunk than the one read (retyped without
    // leaving it): its data is read first, then copied, as View List does.
    if (!session_->NoSourceData() && text != session_->TrunkRead()) {
        NormaliseTrunkBox();
        if (session_->ReadSourceThen([this, previewOnly] {
                if (loaded_)
                    session_->Copy(previewOnly);
            }))
            txtTrunk_->setProperty("tag", text);
        return;
    }
    session_->Copy(previewOnly);
}

void dlgKestrel::CommandViewList() {
    ShowPanel(1);
    const QString text = NormaliseTrunkBox();
    if (txtTrunk_->property("tag").toString() != text && session_->ReadSourceAgain()) {
        txtTrunk_->setProperty("tag", text);
    }
}

bool dlgKestrel::InHostCall() const {
    return session_->Dispatcher().InHostCall() || UserInputBlocker::Active();
}

void dlgKestrel::CommandHistory() {
    if (CopyJournal* journal = session_->Journal()) {
        OwnedDialog<frmHistory> history(*journal, session_->Team(), PBXName(), this);
        history.Exec();
    }
}

void dlgKestrel::RunCommand(const QString& key) {
    if (InHostCall()) {
        // A command reaching us while a host call waits (from the session
        // interface; clicks and keys are held off) runs as it returns: a
        // request that call was part of is then under way, and the command
        // does nothing, however soon the request's next call follows.
        UserInputBlocker::AfterReturn(this, [this, key] { RunCommand(key); });
        return;
    }
    // One request at a time, and nothing else meanwhile: a command of a
    // shortcut or the session interface waits for no one and does nothing.
    if (session_->RequestUnderWay())
        return;
    if (key == u"Get") {
        CommandGet();
    } else if (key == u"Copy" || key == u"Preview") {
        CommandCopy(key == u"Preview");
    } else if (key == u"Undo") {
        session_->Undo();
    } else if (key == u"History") {
        CommandHistory();
    } else if (key == u"View Tree") {
        ShowPanel(0);
    } else if (key == u"View List") {
        CommandViewList();
    } else if (key == u"Print") {
        session_->Print();
    } else if (key == u"Help") {
        ShowHelp();
    } else if (key == u"Hide Window") {
        if (g_Standalone) {
            Unload();
        } else {
            hide();
        }
    } else if (key == u"Exit") {
        Unload();
    }
}

}  // namespace kestrel
