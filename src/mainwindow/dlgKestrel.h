#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "copyengine/TrunkWindow.h"
#include "dialogs/CmdDialogCaller.h"
#include "dialogs/frmCmd.h"
#include "hostlink/RequestDispatcher.h"
#include "hostlink/WindowState.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QFrame;
class QStackedLayout;
class QTreeView;
class QMouseEvent;
class QStandardItem;

namespace kestrel {

class CatalogueTreeModel;
class DataGrid;
class Database;
class CopyJournal;
class CopyWriter;
class SafeCopy;
class DestinationChecker;
class StationCheck;
class SourceTrunkReader;
class TreeEditor;
class ListBar;
class RequestProgressStrip;
class SimulatedLink;
class ValueListModel;

// The tool's one main window. It owns the run-time state (working
// database, host objects, exchange name, request dispatch, value list and
// catalogue tree), binds the views to the models and routes events to the
// operations; the algorithms live in their own classes.
class dlgKestrel : public QWidget, public WindowState, public TrunkWindow, public CmdDialogCaller {
    Q_OBJECT

public:
    explicit dlgKestrel(QWidget* parent = nullptr);
    ~dlgKestrel() override;

    // Prepares the loaded window: working copy, localisation, tree, host.
    // False when the window unloaded itself on the way.
    bool Load();
    // Closes the databases, deletes the working copy and tells the host.
    void Unload();
    bool IsLoaded() const { return loaded_; }

    // Public members called by the host and the automation class.
    void IncrementCount() { dispatcher_->IncrementCount(); }
    std::int16_t DecrementCount() { return dispatcher_->DecrementCount(); }
    void SetPBXName(const QString& name);
    const QString& PBXName() const override { return pbxName_; }
    void SetParent(HostProgramme* host);
    HostProgramme* Parent() const { return parent_; }
    void SetID(std::int16_t id) { id_ = id; }
    std::int16_t ID() const { return id_; }
    bool CheckDBLoadError() const { return loadError_; }
    void CallBack(cListRequest& response) { dispatcher_->CallBack(response); }
    void ShowWhatsThis(QObject* who);
    void FrmMove(HostProgramme* host);
    void FrmPositionSave();
    void TurnFlow(bool value) { dispatcher_->TurnFlow(value); }
    // Skins the window with background set `index` (and the open dialog).
    void BackGround(std::int16_t index);
    // The additional-data dialog's answer: the selected value.
    void SetSecondData(const QString& value) override;
    // Puts a trunk number into the trunk box as if typed.
    void SetTrunkNumber(const QString& trunk);
    bool Search_CMD(const QString& cmd) const;
    bool Check_STNData(const QString& cmd, const QString& fd) override;
    QPixmap BackgroundPicture() const override;
    // The window's Tag: the additional-data dialog's outcome ("ok").
    const QString& Tag() const { return tag_; }
    void SetTag(const QString& tag) override { tag_ = tag; }

    // Runs the command of a command-bar key.
    void RunCommand(const QString& key);
    // A call to the host is waiting for its reply.
    bool InHostCall() const;
    // Brings panel 0 (tree) or 1 (list) to the front.
    void ShowPanel(int index);
    int FrontPanel() const;
    void CollapseAll() override;
    void SetListVisible(bool visible) override;

    // WindowState: a request takes input from the command bar and the panels;
    // the progress strip and an open additional-data dialog stay usable.
    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override;
    void SetHourglass(bool busy) override;

    RequestDispatcher& Dispatcher() { return *dispatcher_; }
    ValueListModel& Values() { return *values_; }
    CatalogueTreeModel& Tree() { return *tree_; }
    Database* WorkDb() const override { return workDb_.get(); }
    int HighestTrunk() const override { return highestTrunk_; }
    bool NoSourceData() const override { return noSourceData_; }
    void SetNoSourceData(bool none) override { noSourceData_ = none; }
    QString TrunkBoxText() const override;
    QString DestinationText() const override;
    void ClearSelectionLabels() override;
    void ProcessEvents() override;
    TreeEditor& Editor() { return *editor_; }
    SourceTrunkReader& Reader() { return *reader_; }
    DestinationChecker& Destinations() { return *destinations_; }
    CopyWriter& Copier() { return *copier_; }
    SafeCopy& SafetyNet() { return *safeCopy_; }
    // Whether copies pass through preview, read-back and journal (the
    // add-in's setting, shown by the window's check box).
    bool SafetyNetOn() const;
    void SetSafetyNetOn(bool on);
    // The copy journal, opened on first use; nullptr (after telling the
    // engineer why) when it cannot be used.
    CopyJournal* Journal();
    // The additional-data dialog while it is open.
    frmCmd* OpenDialog() const { return openDialog_; }
    // Brings the list row's item into view in the tree.
    void ShowItemInTree(const QString& cmd, const QString& data);
    // The copy's entry point for the checked destination trunks.
    std::function<void(const QStringList&)> sendCopyRequests;
    // Runs the additional-data dialog; returns the window's Tag afterwards.
    std::function<QString(const QString& ruleQuery, const QString& startValue)> runDialog;
    const QString& HelpFile() const { return helpFile_; }
    ExchangeLink* StandaloneHost() const;
    bool MenuEnabled() const;

    // How pop-up menus are shown; tests replace it so nothing blocks.
    std::function<QAction*(QMenu*, const QPoint&)> popupMenu;

signals:
    void unloaded();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildCommandBar();
    void BuildMenus();
    void SetMenuState(std::int16_t index, bool state);
    void StretchBackgrounds();
    void ApplyWhatsThis();
    void CommandGet();
    void CommandViewList();
    void CommandCopy(bool previewOnly);
    void CommandHistory();
    void ShowCommonNoData();
    QString NormaliseTrunkBox();
    void ConnectEvents();
    void OnTrunkBoxChanged(const QString& text);
    void OnTrunkBoxLeft();
    void OnTreeButtonReleased(QMouseEvent* event);
    void SendShiftClickLine();
    void ConnectStandaloneProgress();
    void OnGridRightButton(const QPoint& at);
    QStandardItem* SelectedNode() const;
    QString RunAdditionalDataDialog(const QString& ruleQuery, const QString& startValue);

    // Controls, by their design names.
    QWidget* workArea_ = nullptr;
    RequestProgressStrip* progress_ = nullptr;
    QString progressRequest_;  // the built-in host's request the strip follows
    ListBar* lsbMenu_ = nullptr;
    QFrame* picPanel_[2] = {nullptr, nullptr};
    QStackedLayout* panels_ = nullptr;
    QTreeView* tvwTrkData_ = nullptr;
    DataGrid* grdTrkData_ = nullptr;
    QLabel* lblCMD_ = nullptr;
    QLabel* lblData_ = nullptr;
    QCheckBox* chkSafetyNet_ = nullptr;
    QLineEdit* txtTrunk_ = nullptr;
    QLineEdit* txtTrunkRange_ = nullptr;
    QLabel* lblTrunk_[2] = {nullptr, nullptr};
    QLabel* imgMainBack_ = nullptr;
    QLabel* imgBack_ = nullptr;
    QMenu* mnuWhatsThis_ = nullptr;
    QMenu* mnuReset_ = nullptr;
    QMenu* mnuExpand_ = nullptr;
    QPointer<QObject> whatsThisTarget_;

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
    bool previewOnly_ = false;
    QPointer<frmCmd> openDialog_;
    QString tag_;

    std::unique_ptr<Database> workDb_;
    std::unique_ptr<SimulatedLink> standaloneHost_;
    HostProgramme* parent_ = nullptr;
    QString pbxName_;
    QString helpFile_;
    std::int16_t id_ = 0;
    int highestTrunk_ = 511;
    bool loadError_ = false;
    bool noSourceData_ = true;
    bool loaded_ = false;
    bool unloading_ = false;
};

}  // namespace kestrel
