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
#include <QStackedLayout>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>
#include <QWhatsThis>

#include "RequestProgressStrip.h"
#include "WindowPosition.h"
#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "copyengine/DestinationChecker.h"
#include "copyengine/ReportPrinter.h"
#include "copyengine/SourceTrunkReader.h"
#include "copyengine/StationCheck.h"
#include "copyengine/TrunkRange.h"
#include "dialogs/frmCmd.h"
#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedLink.h"
#include "hostlink/TrunkLimit.h"
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
#include "platform/widgets/UserInputBlocker.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafeCopy.h"
#include "safetynet/SafetyNetSetting.h"
#include "safetynet/widgets/frmHistory.h"
#include "safetynet/widgets/frmPreview.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"
#include "startup/WorkingCopy.h"

namespace kestrel {

namespace {

constexpr int kJournalUnusableBox = 22;

QString DatabaseFolder() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("DataBase"));
}

}  // namespace

dlgKestrel::dlgKestrel(QWidget* parent)
    : QWidget(parent),
      dispatcher_(new RequestDispatcher(*this, this)),
      values_(new ValueListModel(this)),
      tree_(new CatalogueTreeModel(this)) {
    BuildControls();
    popupMenu = [](QMenu* menu, const QPoint& at) { return menu->exec(at); };
    runDialog = [this](const QString& query, const QString& start) {
        return RunAdditionalDataDialog(query, start);
    };

    TreeEditor::Hooks hooks;
    hooks.setLabels = [this](const QString& cmd, const QString& value) {
        lblCMD_->setText(cmd);
        lblData_->setText(value);
    };
    hooks.runDialog = [this](const QString& query, const QString& start) {
        tag_.clear();
        return runDialog ? runDialog(query, start) : QStringLiteral("cancel");
    };
    hooks.noSourceData = [this] { return noSourceData_; };
    hooks.workDb = [this] { return workDb_.get(); };
    editor_ = std::make_unique<TreeEditor>(*tree_, *values_, hooks);
    reader_ = std::make_unique<SourceTrunkReader>(*this, *dispatcher_, *values_);
    reader_->RegisterSteps();
    CopyWriter::Hooks copyHooks;
    copyHooks.markWrittenValue = [this](const QString& cmd, const QString& value) {
        editor_->MarkWrittenValue(cmd, value);
    };
    copyHooks.updateListupData = [this](const QString& cmd, const QString& value) {
        reader_->UpdateListupData(cmd, value);
    };
    copier_ = std::make_unique<CopyWriter>(*this, *dispatcher_, *values_, copyHooks);
    copier_->RegisterSteps();
    sendCopyRequests = [this](const QStringList& trunks) { copier_->SendCopyRequests(trunks); };
    StationCheck::Hooks stationHooks;
    stationHooks.setDialogTag = [this](const QString& tag) {
        if (openDialog_)
            openDialog_->SetOwnTag(tag);
    };
    stationHooks.pressDialogOk = [this] {
        if (openDialog_)
            openDialog_->cmdButton_Click(0);
    };
    stationHooks.dialogOpen = [this] { return !openDialog_.isNull(); };
    stationCheck_ = std::make_unique<StationCheck>(*dispatcher_, stationHooks);
    stationCheck_->RegisterSteps();
    SafeCopy::Hooks netHooks;
    netHooks.showPreview = [this](CopyPlan& plan, bool previewOnly) {
        if (services().unattended) {
            // Nobody to look: say what the preview holds and go on.
            QTextStream(stdout) << "  [preview] " << plan.TotalChanges() << " changes on "
                                << plan.ChangedTrunks() << " of " << plan.Destinations().size()
                                << " trunks" << Qt::endl;
            return !previewOnly;
        }
        frmPreview preview(plan, this);
        return preview.exec() == QDialog::Accepted;
    };
    netHooks.journal = [this] { return Journal(); };
    safeCopy_ = std::make_unique<SafeCopy>(*this, *dispatcher_, *copier_, *values_, netHooks);
    destinations_ = std::make_unique<DestinationChecker>(
        *this, *dispatcher_,
        [this](const QStringList& trunks) {
            const bool previewOnly = previewOnly_;
            previewOnly_ = false;
            // A preview is a preview with the net off too: it never writes.
            if (previewOnly || SafetyNetOn()) {
                safeCopy_->Start(trunks, previewOnly);
            } else if (sendCopyRequests) {
                sendCopyRequests(trunks);
            }
        },
        [this] { return values_->rowCount(); });
    // With the safety net a copy goes out in as many requests as it needs.
    destinations_->SetCopiesBatched([this] { return SafetyNetOn(); });
    destinations_->RegisterSteps();
    safeCopy_->RegisterSteps();
    dispatcher_->RegisterStep(step::kReadSourceAgain, [this] {
        CollapseAll();
        reader_->GetSourceTrunk();
    });
    ConnectEvents();
}

dlgKestrel::~dlgKestrel() {
    if (loaded_)
        Unload();
}

ExchangeLink* dlgKestrel::StandaloneHost() const {
    return standaloneHost_.get();
}

bool dlgKestrel::Load() {
    loaded_ = true;
    loadError_ = false;
    if (!g_LangDb) {
        Unload();
        return false;
    }
    const QString folder = DatabaseFolder();
    g_WorkDbName = MakeWorkingCopy(QStringLiteral("KESTREL"), folder, QStringLiteral("KESTREL"));
    if (g_WorkDbName.isEmpty()) {
        loadError_ = true;
        if (g_Standalone)
            Unload();
        return !g_Standalone;
    }
    workDb_ = OpenWorkingDb(folder, g_WorkDbName);
    if (!workDb_) {
        loadError_ = true;
        if (g_Standalone)
            Unload();
        return !g_Standalone;
    }
    raise();
    loadError_ = false;
    helpFile_ = GetInstallPath(QStringLiteral("Addins"), QStringLiteral("Help")) + HelpFileName();
    const QDir backgrounds(
        ResolvePath(GetInstallPath(QStringLiteral("Addins"), QStringLiteral("BackGrnd"))));
    if (backgrounds.exists() && !backgrounds.entryList(QDir::Files).isEmpty()) {
        StretchBackgrounds();
    }
    noSourceData_ = true;
    ApplyWhatsThis();

    if (!LocalizeForm(this, g_LangDb.get()) || !LocalizeControls(this, g_LangDb.get()) ||
        !LocalizeGridHeads(this, g_LangDb.get()) || !LocalizeListBar(this, g_LangDb.get())) {
        Unload();
        return false;
    }

    txtTrunk_->setProperty("tag", QStringLiteral("Init"));
    CatalogueContext catalogue;
    catalogue.workDb = workDb_.get();
    catalogue.tree = tree_;
    catalogue.values = values_;
    catalogue.setTreeEnabled = [this](bool enabled) { tvwTrkData_->setEnabled(enabled); };
    catalogue.parent = parent_;
    BuildCatalogueTree(catalogue);
    raise();

    highestTrunk_ = MaxTrunkForVersion(parent_, pbxName_);

    if (g_Standalone) {
        const bool deskFound =
            QFile::exists(ResolvePath(QDir::currentPath() + QStringLiteral("/Pbxdesk.exe")));
        const QString className =
            deskFound ? QStringLiteral("PBXDeskProj") + g_AddinVersion + QStringLiteral(".cPBXOle")
                      : QStringLiteral("PBXDeskProj.cPBXOLE");
        try {
            standaloneHost_ = CreateHostObject(className);
            dispatcher_->SetStandaloneHost(standaloneHost_.get());
            ConnectStandaloneProgress();
        } catch (const RunError&) {
            // Without a host object every request takes the link's error path.
        }
        SetPBXName(services().commandLine);
    }
    return true;
}

void dlgKestrel::ApplyWhatsThis() {
    // Each control with context help shows the help file's topic.
    for (QWidget* control : findChildren<QWidget*>()) {
        const QVariant context = control->property("whatsThisHelpID");
        if (context.isValid()) {
            control->setWhatsThis(HelpViewer::TopicText(helpFile_, context.toInt()));
        }
    }
}

void dlgKestrel::Unload() {
    if (unloading_ || !loaded_)
        return;
    unloading_ = true;
    g_LangDb.reset();
    workDb_.reset();
    RemoveWorkingCopy(DatabaseFolder(), g_WorkDbName);
    if (parent_) {
        try {
            parent_->UnloadChild(id_);
        } catch (...) {
        }
    }
    dispatcher_->SetStandaloneHost(nullptr);
    standaloneHost_.reset();
    loaded_ = false;
    unloading_ = false;
    hide();
    emit unloaded();
}

void dlgKestrel::SetPBXName(const QString& name) {
    pbxName_ = name;
    dispatcher_->SetPBXName(name);
    SetMenuState(0, !pbxName_.isEmpty());
    setWindowTitle(Msg(0) + QStringLiteral(" (") + pbxName_ + u')');
    highestTrunk_ = MaxTrunkForVersion(parent_, pbxName_);
}

void dlgKestrel::SetParent(HostProgramme* host) {
    parent_ = host;
    dispatcher_->SetParent(host);
}

void dlgKestrel::SetMenuState(std::int16_t index, bool state) {
    if (index == 0)
        lsbMenu_->setEnabled(state);
}

bool dlgKestrel::MenuEnabled() const {
    return lsbMenu_->isEnabled();
}

void dlgKestrel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        SetMenuState(0, !pbxName_.isEmpty());
    }
    QWidget::changeEvent(event);
}

void dlgKestrel::FrmMove(HostProgramme* host) {
    if (parent_)
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
    SaveHostSetting(parent_, QStringLiteral("MOVE"), FormatPosition(geometry().topLeft()));
}

void dlgKestrel::ShowWhatsThis(QObject* who) {
    whatsThisTarget_ = who;
    QAction* chosen = popupMenu(mnuWhatsThis_, QCursor::pos());
    if (chosen && chosen->objectName() == u"itmWhatsThis" && whatsThisTarget_) {
        if (auto* widget = qobject_cast<QWidget*>(whatsThisTarget_.data())) {
            QWhatsThis::showText(widget->mapToGlobal(widget->rect().center()), widget->whatsThis(),
                                 widget);
        }
    }
    whatsThisTarget_ = nullptr;
}

void dlgKestrel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        if (!g_Standalone && parent_) {
            try {
                parent_->DisplayHelp(HelpFileName());
            } catch (...) {
            }
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void dlgKestrel::closeEvent(QCloseEvent* event) {
    if (InHostCall()) {
        // Unloading inside a host call would pull the window from under the
        // request that waits; close once the call has returned.
        event->ignore();
        QTimer::singleShot(50, this, [this] { close(); });
        return;
    }
    // Closing the window frame is the Exit command.
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
    if (index == 0 || index == 1)
        panels_->setCurrentWidget(picPanel_[index]);
}

int dlgKestrel::FrontPanel() const {
    return panels_->currentIndex();
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
    return stationCheck_->Check_STNData(cmd, fd);
}

QString dlgKestrel::RunAdditionalDataDialog(const QString& ruleQuery, const QString& startValue) {
    frmCmd dialog(this);
    if (!dialog.Load())
        return tag_;
    openDialog_ = &dialog;
    try {
        dialog.Register(this, workDb_.get(), ruleQuery, startValue, QString());
    } catch (const RunError& e) {
        openDialog_ = nullptr;
        ShowNotice(e);
        return QStringLiteral("cancel");
    }
    dialog.exec();
    openDialog_ = nullptr;
    return tag_;
}

bool dlgKestrel::IsEnabled() const {
    return workArea_->isEnabled();
}

void dlgKestrel::SetEnabled(bool enabled) {
    workArea_->setEnabled(enabled);
}

void dlgKestrel::ConnectStandaloneProgress() {
    // The built-in host reports every request of every login it serves:
    // follow only this window's, and cancel only this window's.
    SimulatedLink* link = standaloneHost_.get();
    auto ours = [this](const QString& loginId) {
        return dispatcher_->RequestInFlight() && loginId == dispatcher_->CurrentLoginID();
    };
    connect(link, &SimulatedLink::requestProgress, progress_,
            [this, ours](const QString& requestId, const QString& loginId, int done, int total) {
                if (!ours(loginId))
                    return;
                if (progressRequest_ != requestId) {
                    progressRequest_ = requestId;
                    progress_->Start(total);
                }
                progress_->SetProgress(done, total);
            });
    connect(link, &SimulatedLink::requestEnded, progress_,
            [this](const QString& requestId, const QString&, int) {
                if (requestId != progressRequest_)
                    return;
                progressRequest_.clear();
                progress_->Finish();
            });
    connect(progress_, &RequestProgressStrip::cancelRequested, link, [this, link] {
        if (!progressRequest_.isEmpty())
            link->CancelRequest(progressRequest_);
    });
}

void dlgKestrel::SetHourglass(bool busy) {
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

QString dlgKestrel::NormaliseTrunkBox() {
    const QString text = NormaliseTrunkText(txtTrunk_->text());
    txtTrunk_->setText(text);
    return text;
}

void dlgKestrel::ShowCommonNoData() {
    LangMsgBox(kCommonSource, 17, QString(), Msg(15));
}

void dlgKestrel::CommandGet() {
    CollapseAll();
    dispatcher_->ShowHostMessage(Msg(2));
    txtTrunk_->setProperty("tag", NormaliseTrunkBox());
    reader_->GetSourceTrunk();
}

void dlgKestrel::CommandViewList() {
    ShowPanel(1);
    const QString text = NormaliseTrunkBox();
    if (txtTrunk_->property("tag").toString() != text &&
        dispatcher_->ScheduleStep(step::kReadSourceAgain)) {
        txtTrunk_->setProperty("tag", text);
    }
}

bool dlgKestrel::InHostCall() const {
    return dispatcher_->InHostCall() || UserInputBlocker::Active();
}

void dlgKestrel::CommandCopy(bool previewOnly) {
    if (noSourceData_) {
        ShowCommonNoData();
        return;
    }
    previewOnly_ = previewOnly;
    destinations_->CheckDestinationTrunks();
    if (!dispatcher_->RequestInFlight())
        previewOnly_ = false;  // nothing was sent: no answer will take it
}

void dlgKestrel::CommandHistory() {
    if (CopyJournal* journal = Journal()) {
        frmHistory history(*journal, pbxName_, this);
        history.exec();
    }
}

bool dlgKestrel::SafetyNetOn() const {
    return SafetyNetSetting();
}

void dlgKestrel::SetSafetyNetOn(bool on) {
    SetSafetyNetSetting(on);
    chkSafetyNet_->setChecked(on);
}

CopyJournal* dlgKestrel::Journal() {
    if (!journal_) {
        QString error;
        journal_ = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        if (!journal_) {
            LangMsgBox(kOwnSource, kJournalUnusableBox, error, QStringLiteral("-1"));
            return nullptr;
        }
    }
    return journal_.get();
}

void dlgKestrel::RunCommand(const QString& key) {
    if (InHostCall()) {
        // A command reaching us while a host call waits (from the session
        // interface; clicks and keys are held off) runs once it has returned.
        QTimer::singleShot(50, this, [this, key] { RunCommand(key); });
        return;
    }
    const bool sends = key == u"Get" || key == u"Copy" || key == u"View List" ||
                       key == u"Preview" || key == u"Undo";
    if (sends &&
        (dispatcher_->State() != DispatchState::Idle || dispatcher_->tmrEvent().isActive()))
        return;  // one request at a time: the one under way goes first
    if (key == u"Get") {
        CommandGet();
    } else if (key == u"Copy" || key == u"Preview") {
        CommandCopy(key == u"Preview");
    } else if (key == u"Undo") {
        safeCopy_->StartUndo();
    } else if (key == u"History") {
        CommandHistory();
    } else if (key == u"View Tree") {
        ShowPanel(0);
    } else if (key == u"View List") {
        CommandViewList();
    } else if (key == u"Print") {
        if (noSourceData_) {
            ShowCommonNoData();
        } else {
            PrintTrunkReport(parent_, g_WorkDbName, txtTrunk_->text());
        }
    } else if (key == u"Help") {
        if (!g_Standalone && parent_) {
            try {
                parent_->DisplayHelp(HelpFileName());
            } catch (...) {
            }
        }
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
