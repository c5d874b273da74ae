#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "dialogs/CmdDialogCaller.h"
#include "dialogs/frmCmd.h"
#include "hostlink/StandaloneLink.h"
#include "session/SessionWindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QFrame;
class QTreeView;
class QMouseEvent;
class QStandardItem;

namespace kestrel {

class DataGrid;
class HostProgramme;
class ListBar;
class RequestProgressStrip;
class TrunkCopySession;
class cListRequest;

// The tool's one main window. It shows one trunk-copy session (its child
// object "session", which owns the run-time state and the operations),
// binds the views to the session's models and routes events and commands
// to it; it keeps the public members the host and the automation class
// call, and runs the session's dialogs.
class dlgKestrel : public QWidget,
                   public SessionWindow,
                   public SessionDialogs,
                   public CmdDialogCaller {
    Q_OBJECT

public:
    // `standaloneLinks` makes the built-in host of a standalone start.
    explicit dlgKestrel(StandaloneLinkFactory standaloneLinks = {}, QWidget* parent = nullptr);
    ~dlgKestrel() override;

    // Prepares the loaded window: working copy, localisation, tree, host.
    // False when the window unloaded itself on the way.
    bool Load();
    // Closes the databases, deletes the working copy and tells the host.
    void Unload();
    bool IsLoaded() const { return loaded_; }

    // Public members called by the host and the automation class.
    void IncrementCount();
    std::int16_t DecrementCount();
    void SetPBXName(const QString& name);
    const QString& PBXName() const;
    void SetParent(HostProgramme* host);
    HostProgramme* Parent() const;
    void SetID(std::int16_t id);
    std::int16_t ID() const;
    bool CheckDBLoadError() const;
    void CallBack(cListRequest& response);
    void ShowWhatsThis(QObject* who);
    void FrmMove(HostProgramme* host);
    void FrmPositionSave();
    void TurnFlow(bool value);
    // How far a request has got, as the host (or the built-in host of a
    // standalone start) reports it: the progress strip follows this
    // window's request under way and ignores every other.
    void RequestProgress(const QString& requestId, const QString& loginId, int done, int total);
    void RequestEnded(const QString& requestId, const QString& loginId, int errCode);
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

    // The session the window shows; the unattended session's adaptor works
    // it directly.
    TrunkCopySession& Session() { return *session_; }

    // Runs the command of a command-bar key.
    void RunCommand(const QString& key);
    // Whether the window may unload now, as the frame's close and the host
    // closing ask it: while a request is under way the engineer is asked.
    enum class CloseAnswer { Now = 0, Stopping = 1, KeptOpen = 2 };
    // Now: nothing under way. Stopping: the request is being stopped after
    // the entries in flight and the window unloads itself once it has ended.
    // KeptOpen: the engineer keeps the window open.
    CloseAnswer QueryUnload();
    // A call to the host is waiting for its reply.
    bool InHostCall() const;
    // Brings panel 0 (tree) or 1 (list) to the front.
    void ShowPanel(int index);
    int FrontPanel() const;

    // SessionWindow: a request takes input from the command bar and the
    // panels; the progress strip and an open additional-data dialog stay
    // usable.
    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override;
    void SetHourglass(bool busy) override;
    QString TrunkBoxText() const override;
    QString DestinationText() const override;
    void ShowSelection(const QString& cmd, const QString& value) override;
    void ClearSelectionLabels() override;
    void ProcessEvents() override;
    void CollapseAll() override;
    void SetListVisible(bool visible) override;
    void SetTreeEnabled(bool enabled) override;

    // SessionDialogs
    QString RunAdditionalDataDialog(const QString& ruleQuery, const QString& startValue) override;
    bool ShowPreview(CopyPlan& plan, bool previewOnly) override;
    bool DialogOpen() const override { return !openDialog_.isNull(); }
    void SetDialogTag(const QString& tag) override;
    void PressDialogOk() override;

signals:
    void unloaded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The help file's contents topic, which the host opens as well.
    static constexpr int kHelpContentsTopic = 1000;

    void BuildControls();
    void BuildCommandBar();
    void BuildMenus();
    void SetMenuState(std::int16_t index, bool state);
    void StretchBackgrounds();
    // Whether `control` lies behind the view in front when panel `front` is.
    bool IsCovered(const QWidget* control, int front) const;
    void ApplyWhatsThis();
    void CommandGet();
    void CommandCopy(bool previewOnly);
    void CommandViewList();
    // Unloads once the request being stopped has ended and no box is open.
    void UnloadWhenStopped();
    void CommandHistory();
    QString NormaliseTrunkBox();
    void ConnectEvents();
    void BindKeyboard();
    void RunShortcut(const QString& key);
    // Enter or Space on the tree's current node; true when taken.
    bool OnTreeKey(QKeyEvent* event);
    void ShowWhatsThisOfFocus();
    // F1: the help topic of the control with the focus, whatever the
    // command bar's state.
    void ShowHelpOfFocus();
    // Pops up a control's What's This at its centre.
    static void PopWhatsThis(QWidget* control);
    void ApplyShortcutTips();
    // Says while the safety net is off that copies are neither previewed
    // nor read back.
    void ShowSafetyNetState();
    // Says how many journal entries wait to go to the team's server, and why.
    void ShowTeamWaiting();
    void OnTrunkBoxChanged(const QString& text);
    void OnTrunkBoxLeft();
    // A header or item of the command bar's Help or Exit group.
    bool InHelpOrExitGroup(const QWidget* widget) const;
    void OnTreeButtonReleased(QMouseEvent* event);
    void SendShiftClickLine();
    void ConnectStandaloneProgress(StandaloneLink* link);
    void FinishProgress();
    // The Help command: the host's help, or in a standalone start the help
    // file's contents.
    void ShowHelp();
    void OnGridRightButton(const QPoint& at);
    // Brings the list row's item into view in the tree.
    void ShowItemInTree(const QString& cmd, const QString& value);
    QStandardItem* SelectedNode() const;

    TrunkCopySession* session_ = nullptr;

    // Controls, by their design names.
    QWidget* workArea_ = nullptr;
    RequestProgressStrip* progress_ = nullptr;
    QString progressRequest_;  // the host's request the strip follows
    ListBar* lsbMenu_ = nullptr;
    QFrame* picPanel_[2] = {nullptr, nullptr};
    int frontPanel_ = 0;
    QTreeView* tvwTrkData_ = nullptr;
    DataGrid* grdTrkData_ = nullptr;
    QLabel* lblCMD_ = nullptr;
    QLabel* lblData_ = nullptr;
    QCheckBox* chkSafetyNet_ = nullptr;
    QLabel* lblSafetyNetOff_ = nullptr;  // shown while the safety net is off
    QLabel* lblTeamWaiting_ = nullptr;   // shown while entries wait for the team's server
    QLineEdit* txtTrunk_ = nullptr;
    QLineEdit* txtTrunkRange_ = nullptr;
    QLabel* lblTrunk_[2] = {nullptr, nullptr};
    QLabel* imgMainBack_ = nullptr;
    QLabel* imgBack_ = nullptr;
    QMenu* mnuWhatsThis_ = nullptr;
    QMenu* mnuReset_ = nullptr;
    QMenu* mnuExpand_ = nullptr;
    QPointer<QObject> whatsThisTarget_;
    QPointer<QWidget> focusBeforeRequest_;

    QPointer<frmCmd> openDialog_;
    QString tag_;
    QString helpFile_;
    bool loaded_ = false;
    bool unloading_ = false;
    bool closeWhenStopped_ = false;
};

}  // namespace kestrel
