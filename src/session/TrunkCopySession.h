#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

#include "copyengine/TrunkWindow.h"
#include "hostlink/StandaloneLink.h"

namespace kestrel {

class CatalogueTreeModel;
class CopyPlan;
class CopyJournal;
class CopyWriter;
class Database;
class DestinationChecker;
class HostProgramme;
class RequestDispatcher;
class SafeCopy;
class SessionDialogs;
class SessionWindow;
class TeamJournal;
class SourceTrunkReader;
class StationCheck;
class TreeEditor;
class ValueListModel;

// One window's trunk-copy session, without a widget: the working copy and
// host, the request dispatch, the value list and catalogue tree, and the
// Get, destination check, copy (with its safety net), station check and
// report operations wired to the dispatcher's steps. The window it is shown
// in supplies its boxes, views and dialogs through narrow interfaces; to
// the operations the session itself is the trunk window.
class TrunkCopySession : public QObject, public TrunkWindow {
    Q_OBJECT

public:
    // `standaloneLinks` makes the host object of a standalone start; without
    // it a standalone session has no host and every request is refused.
    TrunkCopySession(SessionWindow& window, SessionDialogs& dialogs,
                     StandaloneLinkFactory standaloneLinks = {}, QObject* parent = nullptr);
    ~TrunkCopySession() override;

    // Makes and opens the working copy of the add-in database; false (and
    // LoadError) when it could not be made or opened.
    bool OpenWorkingCopy();
    bool LoadError() const { return loadError_; }
    // Builds the catalogue tree from the working copy; returns the rows that
    // could not be built, one line each.
    QStringList BuildTree();
    // Tells the engineer which catalogue rows the tree leaves out.
    static void ShowTreeFaults(const QStringList& faults);
    // Asks the host for the exchange's processor: the highest trunk number.
    void ReadHighestTrunk();
    // A standalone start's host object, made by the factory; nullptr when
    // there is none (every request then takes the link's error path).
    StandaloneLink* StartStandaloneHost();
    StandaloneLink* StandaloneHost() const { return standaloneHost_.get(); }
    // Closes the databases, deletes the working copy, tells the host and
    // lets the standalone host go.
    void Close();

    void SetPBXName(const QString& name);
    const QString& PBXName() const override { return pbxName_; }
    void SetParent(HostProgramme* host);
    HostProgramme* Parent() const { return parent_; }
    void SetID(std::int16_t id) { id_ = id; }
    std::int16_t ID() const { return id_; }

    // The commands. Get reads the trunk box's trunk; ReadSourceAgain does
    // so on the next timer tick (false when a request is under way).
    void GetSourceTrunk();
    bool ReadSourceAgain();
    // Reads the trunk box's trunk on the next tick, then runs `next` once it
    // has been read and stored whole; false when a request is under way.
    bool ReadSourceThen(std::function<void()> next);
    // The trunk whose data the value list holds (empty before a Get).
    const QString& TrunkRead() const;
    // When the exchange answered the last Get stored whole.
    const QDateTime& ReadAt() const;
    // A copy or an undo is writing to the exchange (not only reading).
    bool Writing() const;
    // Names the copies of this exchange recorded ahead that never finished
    // (their window closed, killed or left by its host), once each.
    void NameAbandonedCopies();
    void Copy(bool previewOnly);
    void Undo();
    void Print();
    // A request is under way or its answer's step has still to run.
    bool RequestUnderWay() const;
    // That, or the safety net in the middle of a copy or an undo.
    bool Busy() const;
    bool Check_STNData(const QString& cmd, const QString& fd);

    // Whether copies pass through preview, read-back and journal (the
    // add-in's setting).
    bool SafetyNetOn() const;
    void SetSafetyNetOn(bool on);
    // The copy journal, opened on first use; nullptr (after telling the
    // engineer why) when it cannot be used.
    CopyJournal* Journal();
    // The team's record beside the local journal (the local one alone when
    // the settings name no server); made on first use.
    TeamJournal& Team();
    // Makes the team's record now when the settings name a server, so that
    // what waits is sent from the start; a desk without one pays nothing.
    void StartTeam();
    // The team's record if it has been made; nullptr otherwise.
    TeamJournal* MadeTeam() const { return team_.get(); }

    RequestDispatcher& Dispatcher() { return *dispatcher_; }
    ValueListModel& Values() { return *values_; }
    CatalogueTreeModel& Tree() { return *tree_; }
    TreeEditor& Editor() { return *editor_; }
    CopyWriter& Copier() { return *copier_; }

    // TrunkWindow: the session's own state, and the window's boxes and views.
    Database* WorkDb() const override { return workDb_.get(); }
    int HighestTrunk() const override { return highestTrunk_; }
    bool NoSourceData() const override { return noSourceData_; }
    void SetNoSourceData(bool none) override { noSourceData_ = none; }
    QString TrunkBoxText() const override;
    QString DestinationText() const override;
    void ClearSelectionLabels() override;
    void SetHourglass(bool busy) override;
    void ProcessEvents() override;
    void CollapseAll() override;
    void SetListVisible(bool visible) override;

private:
    void ShowCommonNoData();
    bool ShowPreview(CopyPlan& plan, bool previewOnly);

    SessionWindow& window_;
    SessionDialogs& dialogs_;
    StandaloneLinkFactory standaloneLinks_;

    RequestDispatcher* dispatcher_ = nullptr;
    ValueListModel* values_ = nullptr;
    CatalogueTreeModel* tree_ = nullptr;
    std::unique_ptr<TreeEditor> editor_;
    std::unique_ptr<SourceTrunkReader> reader_;
    std::unique_ptr<DestinationChecker> destinations_;
    std::unique_ptr<CopyWriter> copier_;
    std::unique_ptr<StationCheck> stationCheck_;
    std::unique_ptr<SafeCopy> safeCopy_;
    std::unique_ptr<CopyJournal> journal_;
    std::unique_ptr<TeamJournal> team_;
    bool previewOnly_ = false;
    std::function<void()> afterRead_;
    bool continuing_ = false;  // a command that waited for a read is about to run

    std::unique_ptr<Database> workDb_;
    std::unique_ptr<StandaloneLink> standaloneHost_;
    HostProgramme* parent_ = nullptr;
    QString pbxName_;
    std::int16_t id_ = 0;
    int highestTrunk_ = 511;
    bool loadError_ = false;
    bool noSourceData_ = true;
};

}  // namespace kestrel
