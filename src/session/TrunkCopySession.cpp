#include "TrunkCopySession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <utility>

#include "SessionWindow.h"
#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "copyengine/DestinationChecker.h"
#include "copyengine/DestinationList.h"
#include "copyengine/ReportPrinter.h"
#include "copyengine/SourceTrunkReader.h"
#include "copyengine/StationCheck.h"
#include "hostlink/HostCalls.h"
#include "hostlink/RequestDispatcher.h"
#include "hostlink/TrunkLimit.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/RunError.h"
#include "platform/Services.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafeCopy.h"
#include "safetynet/SafeCopyTexts.h"
#include "safetynet/SafetyNetSetting.h"
#include "startup/Globals.h"
#include "startup/InstallPaths.h"
#include "startup/LanguageFiles.h"
#include "startup/WorkingCopy.h"
#include "teamjournal/TeamJournal.h"
#include "tools/StringTools.h"

namespace kestrel {

namespace {

QString DatabaseFolder() {
    return GetInstallPath(QStringLiteral("Addins"), QStringLiteral("DataBase"));
}

}  // namespace

TrunkCopySession::TrunkCopySession(SessionWindow& window, SessionDialogs& dialogs,
                                   StandaloneLinkFactory standaloneLinks, QObject* parent)
    : QObject(parent),
      window_(window),
      dialogs_(dialogs),
      standaloneLinks_(std::move(standaloneLinks)),
      dispatcher_(new RequestDispatcher(window, this)),
      values_(new ValueListModel(this)),
      tree_(new CatalogueTreeModel(this)) {
    setObjectName(QStringLiteral("session"));
    TreeEditor::Hooks hooks;
    hooks.setLabels = [this](const QString& cmd, const QString& value) {
        window_.ShowSelection(cmd, value);
    };
    hooks.runDialog = [this](const QString& query, const QString& start) {
        return dialogs_.RunAdditionalDataDialog(query, start);
    };
    hooks.noSourceData = [this] { return noSourceData_; };
    hooks.workDb = [this] { return workDb_.get(); };
    editor_ = std::make_unique<TreeEditor>(*tree_, *values_, hooks);
    reader_ = std::make_unique<SourceTrunkReader>(*this, *dispatcher_, *values_);
    reader_->RegisterSteps();
    reader_->SetFinished([this](bool stored) {
        // A command that waited for the trunk in the box to be read goes on
        // once the read is over, outside the step that ended it.
        auto next = std::exchange(afterRead_, {});
        if (stored && next) {
            // Busy until it has run: nothing else may start in between.
            continuing_ = true;
            QTimer::singleShot(0, this, [this, next] {
                continuing_ = false;
                next();
            });
        }
    });
    CopyWriter::Hooks copyHooks;
    copyHooks.markWrittenValue = [this](const QString& cmd, const QString& value) {
        editor_->MarkWrittenValue(cmd, value);
    };
    copyHooks.updateListupData = [this](const QString& cmd, const QString& value) {
        reader_->UpdateListupData(cmd, value);
    };
    copier_ = std::make_unique<CopyWriter>(*this, *dispatcher_, *values_, copyHooks);
    copier_->RegisterSteps();
    StationCheck::Hooks stationHooks;
    stationHooks.setDialogTag = [this](const QString& tag) {
        if (dialogs_.DialogOpen())
            dialogs_.SetDialogTag(tag);
    };
    stationHooks.pressDialogOk = [this] {
        if (dialogs_.DialogOpen())
            dialogs_.PressDialogOk();
    };
    stationHooks.dialogOpen = [this] { return dialogs_.DialogOpen(); };
    stationCheck_ = std::make_unique<StationCheck>(*dispatcher_, stationHooks);
    stationCheck_->RegisterSteps();
    SafeCopy::Hooks netHooks;
    netHooks.showPreview = [this](CopyPlan& plan, bool previewOnly) {
        return ShowPreview(plan, previewOnly);
    };
    netHooks.journal = [this] { return Journal(); };
    netHooks.sourceTrunk = [this] { return reader_->TrunkRead(); };
    // Whoever changed a destination or made the last copy, on this desk or
    // (with a team's server) any other.
    netHooks.lastChanges = [this](const QString& exchange, const QStringList& trunks) {
        CopyJournal* journal = Journal();
        return journal ? Team().LastChanges(*journal, exchange, trunks)
                       : QHash<QString, LastChange>();
    };
    netHooks.readAt = [this] { return ReadAt(); };
    netHooks.lastCopy = [this](const QString& exchange) -> std::optional<JournalEntry> {
        CopyJournal* journal = Journal();
        if (!journal)
            return std::nullopt;
        return Team().LastCopy(*journal, exchange);
    };
    safeCopy_ = std::make_unique<SafeCopy>(*this, *dispatcher_, *copier_, *values_, netHooks);
    destinations_ = std::make_unique<DestinationChecker>(
        *this, *dispatcher_,
        [this](const QStringList& trunks) {
            const bool previewOnly = previewOnly_;
            previewOnly_ = false;
            // A preview is a preview with the net off too: it never writes.
            if (previewOnly || SafetyNetOn()) {
                safeCopy_->Start(trunks, previewOnly);
            } else {
                copier_->SendCopyRequests(trunks);
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
}

TrunkCopySession::~TrunkCopySession() = default;

bool TrunkCopySession::OpenWorkingCopy() {
    loadError_ = false;
    const QString folder = DatabaseFolder();
    // The catalogue in the language in use, when it has one of its own.
    g_WorkDbName = MakeWorkingCopy(QStringLiteral("KESTREL"), folder, QStringLiteral("KESTREL"),
                                   CatalogueTemplate());
    if (!g_WorkDbName.isEmpty()) {
        QString failure;
        workDb_ = OpenWorkingDb(folder, g_WorkDbName, &failure);
        if (!workDb_) {
            // A copy that cannot be used is no use to anyone either: delete
            // it at once (before a box that may wait long), then say why, as
            // nobody could tell otherwise.
            const QString unusable = g_WorkDbName;
            RemoveWorkingCopy(folder, unusable);
            g_WorkDbName.clear();
            ShowPlainError(RunError(err::kUnrecognizedFormat,
                                    QStringLiteral("The working copy %1 of KESTREL.MDB cannot be "
                                                   "used: %2")
                                        .arg(unusable, failure)));
        }
    }
    loadError_ = !workDb_;
    if (!loadError_)
        noSourceData_ = true;
    return !loadError_;
}

QStringList TrunkCopySession::BuildTree() {
    CatalogueContext catalogue;
    catalogue.workDb = workDb_.get();
    catalogue.tree = tree_;
    catalogue.values = values_;
    catalogue.setTreeEnabled = [this](bool enabled) { window_.SetTreeEnabled(enabled); };
    catalogue.parent = parent_;
    return BuildCatalogueTree(catalogue);
}

void TrunkCopySession::ShowTreeFaults(const QStringList& faults) {
    if (!faults.isEmpty()) {
        LangMsgBox(kOwnSource, msgbox::own::kTreeRowsNotBuilt, faults.join(QStringLiteral("\r\n")),
                   kProductTitle);
    }
}

void TrunkCopySession::ReadHighestTrunk() {
    highestTrunk_ = MaxTrunkForVersion(parent_, pbxName_);
}

StandaloneLink* TrunkCopySession::StartStandaloneHost() {
    const bool deskFound =
        QFile::exists(ResolvePath(QDir::currentPath() + QStringLiteral("/Pbxdesk.exe")));
    const QString className =
        deskFound ? QStringLiteral("PBXDeskProj") + g_AddinVersion + QStringLiteral(".cPBXOle")
                  : QStringLiteral("PBXDeskProj.cPBXOLE");
    try {
        if (standaloneLinks_)
            standaloneHost_ = standaloneLinks_(className);
        dispatcher_->SetStandaloneHost(standaloneHost_.get());
    } catch (const RunError& e) {
        // Without a host object every request takes the link's error path.
        qCWarning(lcHostlink, "No built-in host %s: %s [%d]", qUtf8Printable(className),
                  qUtf8Printable(e.Description()), e.Number());
    }
    return standaloneHost_.get();
}

void TrunkCopySession::Close() {
    g_LangDb.reset();
    workDb_.reset();
    RemoveWorkingCopy(DatabaseFolder(), g_WorkDbName);
    if (parent_) {
        TryHostCall("to take the window's unload", [&] { parent_->UnloadChild(id_); });
    }
    dispatcher_->SetStandaloneHost(nullptr);
    standaloneHost_.reset();
}

void TrunkCopySession::SetPBXName(const QString& name) {
    pbxName_ = name;
    dispatcher_->SetPBXName(name);
}

void TrunkCopySession::SetParent(HostProgramme* host) {
    parent_ = host;
    dispatcher_->SetParent(host);
}

void TrunkCopySession::ShowCommonNoData() {
    ShowNoTrunkData();
}

void TrunkCopySession::GetSourceTrunk() {
    afterRead_ = {};
    CollapseAll();
    dispatcher_->ShowHostMessage(Msg(text::kReadingSource));
    reader_->GetSourceTrunk();
}

bool TrunkCopySession::ReadSourceAgain() {
    afterRead_ = {};
    return dispatcher_->ScheduleStep(step::kReadSourceAgain);
}

bool TrunkCopySession::ReadSourceThen(std::function<void()> next) {
    if (!dispatcher_->ScheduleStep(step::kReadSourceAgain))
        return false;
    afterRead_ = std::move(next);
    return true;
}

const QString& TrunkCopySession::TrunkRead() const {
    return reader_->TrunkRead();
}

const QDateTime& TrunkCopySession::ReadAt() const {
    return reader_->ReadAt();
}

bool TrunkCopySession::Writing() const {
    return safeCopy_->Writing() || dispatcher_->SentTag() == QString::number(step::kCopyAnswered);
}

void TrunkCopySession::NameAbandonedCopies() {
    // Only a journal that exists can hold one; none is made for asking.
    const QString path = CopyJournal::DefaultPath();
    if (path.isEmpty() || !QFile::exists(path))
        return;
    CopyJournal* journal = Journal();
    if (!journal)
        return;
    try {
        const QList<JournalEntry> abandoned = journal->Abandoned(pbxName_);
        if (abandoned.isEmpty())
            return;
        QStringList lines;
        QList<qint64> ids;
        for (const JournalEntry& entry : abandoned) {
            lines << UnfinishedCopyText(entry);
            ids << entry.id;
        }
        journal->MarkNamed(ids);
        LangMsgBox(kOwnSource, msgbox::own::kCopyDidNotFinish, lines.join(QStringLiteral("\r\n")),
                   kProductTitle);
    } catch (const RunError& e) {
        qCWarning(lcDb, "Unfinished copies could not be looked for: %s [%d]",
                  qUtf8Printable(e.Description()), e.Number());
    }
}

void TrunkCopySession::Copy(bool previewOnly) {
    copier_->ForgetWritten();
    if (noSourceData_) {
        ShowCommonNoData();
        return;
    }
    previewOnly_ = previewOnly;
    // With the safety net a list the engineer cannot have meant is refused
    // before anything is read; numbers above the highest trunk are left out.
    const bool strictList = SafetyNetOn();
    DestinationList strict;
    if (strictList && !AcceptDestinationList(DestinationText(), HighestTrunk(), strict)) {
        previewOnly_ = false;
        return;
    }
    if (strictList) {
        // One read per destination tells both whether it is assigned and
        // what it holds: no separate check is sent.
        previewOnly_ = false;
        if (strict.trunks.count > cListRequest::kMaxCount) {
            ShowCopyTooLarge(values_->rowCount(), strict.trunks.count);
            return;
        }
        safeCopy_->Start(strict.trunks.trunks, previewOnly);
        return;
    }
    destinations_->CheckDestinationTrunks(nullptr);
    if (!dispatcher_->RequestInFlight())
        previewOnly_ = false;  // nothing was sent: no answer will take it
}

void TrunkCopySession::Undo() {
    safeCopy_->StartUndo();
}

void TrunkCopySession::Print() {
    if (noSourceData_) {
        ShowCommonNoData();
    } else {
        PrintTrunkReport(parent_, g_WorkDbName, TrunkBoxText());
    }
}

bool TrunkCopySession::RequestUnderWay() const {
    return dispatcher_->State() != DispatchState::Idle || dispatcher_->tmrEvent().isActive() ||
           continuing_;
}

bool TrunkCopySession::Busy() const {
    return RequestUnderWay() || safeCopy_->Active();
}

bool TrunkCopySession::Check_STNData(const QString& cmd, const QString& fd) {
    return stationCheck_->Check_STNData(cmd, fd);
}

bool TrunkCopySession::ShowPreview(CopyPlan& plan, bool previewOnly) {
    if (services().unattended) {
        // Nobody to look: say what the preview holds and go on.
        QTextStream(stdout) << "  [preview] " << plan.TotalChanges() << " changes on "
                            << plan.ChangedTrunks() << " of " << plan.Destinations().size()
                            << " trunks" << Qt::endl;
        return !previewOnly;
    }
    return dialogs_.ShowPreview(plan, previewOnly);
}

bool TrunkCopySession::SafetyNetOn() const {
    return SafetyNetSetting();
}

void TrunkCopySession::SetSafetyNetOn(bool on) {
    SetSafetyNetSetting(on);
}

CopyJournal* TrunkCopySession::Journal() {
    if (!journal_) {
        QString error;
        journal_ = CopyJournal::Open(CopyJournal::DefaultPath(), &error);
        if (!journal_) {
            LangMsgBox(kOwnSource, msgbox::own::kJournalUnusable, error, kProductTitle);
            return nullptr;
        }
        journal_->onRecorded = [this] { Team().Recorded(); };
    }
    return journal_.get();
}

TeamJournal& TrunkCopySession::Team() {
    if (!team_)
        team_ = std::make_unique<TeamJournal>(CopyJournal::DefaultPath(), TeamServerSetting());
    return *team_;
}

void TrunkCopySession::StartTeam() {
    if (!team_ && TeamServerSetting().IsSet())
        Team();
}

QString TrunkCopySession::TrunkBoxText() const {
    return window_.TrunkBoxText();
}

QString TrunkCopySession::DestinationText() const {
    return window_.DestinationText();
}

void TrunkCopySession::ClearSelectionLabels() {
    window_.ClearSelectionLabels();
}

void TrunkCopySession::SetHourglass(bool busy) {
    window_.SetHourglass(busy);
}

void TrunkCopySession::ProcessEvents() {
    window_.ProcessEvents();
}

void TrunkCopySession::CollapseAll() {
    window_.CollapseAll();
}

void TrunkCopySession::SetListVisible(bool visible) {
    window_.SetListVisible(visible);
}

}  // namespace kestrel
