// Construction of the main window's controls, command bar and menus.
#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedLayout>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "RequestProgressStrip.h"
#include "ValueListDelegate.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "dlgKestrel.h"
#include "platform/widgets/ControlNaming.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/ListBar.h"
#include "session/TrunkCopySession.h"

namespace kestrel {

namespace {

struct CommandItem {
    int group;
    const char* caption;
    const char* image;
    const char* key;
};

// The command bar as designed: groups, item captions, images and keys.
const CommandItem kCommands[] = {
    {1, "View Tree", "Tree", "View Tree"},
    {1, "View List", "grid", "View List"},
    {1, "Get Source Trunk Data", "get", "Get"},
    {1, "Copy Trunks Now", "set", "Copy"},
    {1, "Print Report", "print", "Print"},
    {1, "Preview Copy", "preview", "Preview"},
    {1, "Undo Last Copy", "undo", "Undo"},
    {1, "Copy History", "history", "History"},
    {2, "Help", "help", "Help"},
    {3, "Hide Window", "hide", "Hide Window"},
    {3, "Exit", "exit", "Exit"},
};

const char* const kStyle = R"(
#dlgKestrel { background: #eef1f4; }
#lsbMenu { background: #24384b; }
#lsbMenu QToolButton { color: #f2f5f8; border: 2px solid transparent; padding: 2px; }
#lsbMenu QToolButton:hover { background: #33506b; }
#lsbMenu QToolButton:focus { border: 2px solid #ffd54f; }
#lsbMenu QToolButton[listBarGroup="true"] {
    background: #16293a; color: #ffffff; text-align: left; padding: 6px 10px;
    border: 2px solid #16293a; border-bottom-color: #0e1c28; }
#lsbMenu QToolButton[listBarGroup="true"]:focus { border: 2px solid #ffd54f; }
#lsbMenu QToolButton[listBarGroup="true"][current="true"] { background: #2f6f8f; }
QFrame[typeName="SSPanel"] { background: #ffffff; border: 1px solid #c5ccd3; }
QTreeView, QTableView { border: 1px solid #c5ccd3; }
QLineEdit { padding: 3px 5px; border: 1px solid #9aa6b2; background: #ffffff; }
#lblCMD, #lblData { padding: 4px 8px; background: #f6f8fa; border: 1px solid #d7dde3; }
#lblSafetyNetOff { padding: 4px 8px; background: #fff4d6; color: #4a3200;
    border: 1px solid #e0a800; font-weight: bold; }
#lblTeamWaiting { padding: 4px 8px; background: #e8f0f8; color: #1c3446;
    border: 1px solid #7f9db9; }
#grdTrkData QHeaderView::section {
    background: #008080; color: #ffffff; padding: 4px; border: none;
    border-right: 1px solid #006666; }
)";

// Keeps `cover` (a sibling of `panel`) over the part of `panel` that the
// controls `covered` take, whatever the fonts and the window's size.
class PanelCover : public QObject {
public:
    PanelCover(QWidget* cover, QWidget* panel, QList<QWidget*> covered)
        : QObject(cover), cover_(cover), covered_(std::move(covered)) {
        panel->installEventFilter(this);
        for (QWidget* w : covered_)
            w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            QRect area;
            for (const QWidget* w : covered_)
                area |= QRect(w->mapTo(cover_->parentWidget(), QPoint(0, 0)), w->size());
            cover_->setGeometry(area);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* cover_;
    QList<QWidget*> covered_;
};

}  // namespace

void dlgKestrel::BuildControls() {
    setObjectName(QStringLiteral("dlgKestrel"));
    setProperty("typeName", QStringLiteral("Form"));
    setWindowTitle(QStringLiteral("Trunk Copy Data"));
    setStyleSheet(QString::fromLatin1(kStyle));
    resize(820, 560);

    imgMainBack_ = Named(new QLabel(this), "imgMainBack", "Image");
    imgBack_ = Named(new QLabel(this), "imgBack", "Image", 0);
    for (QLabel* image : {imgMainBack_, imgBack_}) {
        image->setScaledContents(true);
        image->hide();
    }

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    // The command bar and the panels: what a request in flight disables.
    workArea_ = new QWidget(this);
    workArea_->setObjectName(QStringLiteral("workArea"));
    auto* work = new QHBoxLayout(workArea_);
    work->setContentsMargins(0, 0, 0, 0);
    work->setSpacing(0);
    root->addWidget(workArea_, 1);
    constexpr int kCommandBarWidth = 160;
    // Over the foot of the panels, so the command bar's foot stays in view.
    progress_ = new RequestProgressStrip(this, kCommandBarWidth);

    lsbMenu_ = Named(new ListBar(workArea_), "lsbMenu", "SSListBar");
    lsbMenu_->setFixedWidth(kCommandBarWidth);
    lsbMenu_->setAttribute(Qt::WA_StyledBackground);
    work->addWidget(lsbMenu_);
    BuildCommandBar();

    auto* area = new QWidget(workArea_);
    area->setObjectName(QStringLiteral("panelArea"));
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(10, 10, 10, 10);
    work->addWidget(area, 1);

    // Panel 0: trunk boxes, catalogue tree, the selected item and value.
    picPanel_[0] = Named(new QFrame(area), "picPanel", "SSPanel", 0);
    auto* tree = new QGridLayout(picPanel_[0]);
    tree->setContentsMargins(10, 10, 10, 10);
    tree->setHorizontalSpacing(8);
    tree->setVerticalSpacing(6);
    lblTrunk_[0] =
        Named(new QLabel(QStringLiteral("Source Trunk"), picPanel_[0]), "lblTrunk", "Label", 0);
    txtTrunk_ = Named(new QLineEdit(picPanel_[0]), "txtTrunk", "TextBox");
    // No length limit: a number too long is held at the highest trunk while
    // typing, never cut to a real but wrong trunk.
    txtTrunk_->setFixedWidth(70);
    lblTrunk_[1] = Named(new QLabel(QStringLiteral("Destination Trunks"), picPanel_[0]), "lblTrunk",
                         "Label", 1);
    txtTrunkRange_ = Named(new QLineEdit(picPanel_[0]), "txtTrunkRange", "TextBox");
    tvwTrkData_ = Named(new QTreeView(picPanel_[0]), "tvwTrkData", "TreeView");
    tvwTrkData_->setHeaderHidden(true);
    tvwTrkData_->setIconSize(QSize(18, 18));
    tvwTrkData_->setUniformRowHeights(true);
    tvwTrkData_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvwTrkData_->setModel(&session_->Tree());
    lblCMD_ = Named(new QLabel(picPanel_[0]), "lblCMD", "Label");
    lblData_ = Named(new QLabel(picPanel_[0]), "lblData", "Label");
    lblCMD_->setMinimumHeight(28);
    lblData_->setMinimumHeight(28);
    // Captions of the two boxes, so the boxes read as what they show.
    QLabel* selection[2];
    for (int i = 0; i < 2; ++i) {
        selection[i] = Named(new QLabel(picPanel_[0]), "lblSelection", "Label", i);
        selection[i]->setText(i == 0 ? QStringLiteral("Item") : QStringLiteral("Value"));
    }
    selection[0]->setBuddy(lblCMD_);
    selection[1]->setBuddy(lblData_);
    lblTrunk_[0]->setBuddy(txtTrunk_);
    lblTrunk_[1]->setBuddy(txtTrunkRange_);
    tree->addWidget(lblTrunk_[0], 0, 0);
    tree->addWidget(txtTrunk_, 0, 1);
    tree->addWidget(lblTrunk_[1], 0, 2);
    tree->addWidget(txtTrunkRange_, 0, 3);
    tree->setColumnStretch(3, 1);
    tree->addWidget(tvwTrkData_, 1, 0, 1, 4);
    tree->addWidget(selection[0], 2, 0, 1, 2);
    tree->addWidget(selection[1], 2, 2, 1, 2);
    tree->addWidget(lblCMD_, 3, 0, 1, 2);
    tree->addWidget(lblData_, 3, 2, 1, 2);
    chkSafetyNet_ =
        Named(new QCheckBox(QStringLiteral("Safety net: preview, verify, journal"), picPanel_[0]),
              "chkSafetyNet", "CheckBox");
    tree->addWidget(chkSafetyNet_, 4, 0, 1, 4);
    lblSafetyNetOff_ = Named(new QLabel(picPanel_[0]), "lblSafetyNetOff", "Label");
    lblSafetyNetOff_->setWordWrap(true);
    lblSafetyNetOff_->hide();
    tree->addWidget(lblSafetyNetOff_, 5, 0, 1, 4);
    lblTeamWaiting_ = Named(new QLabel(picPanel_[0]), "lblTeamWaiting", "Label");
    lblTeamWaiting_->setWordWrap(true);
    lblTeamWaiting_->hide();
    tree->addWidget(lblTeamWaiting_, 6, 0, 1, 4);
    tree->setRowStretch(1, 1);
    areaLayout->addWidget(picPanel_[0]);

    // Panel 1: the value list. It lies over the tree and the selected item
    // only, so the trunk boxes and the safety net stay in view in both views.
    picPanel_[1] = Named(new QFrame(area), "picPanel", "SSPanel", 1);
    auto* list = new QVBoxLayout(picPanel_[1]);
    list->setContentsMargins(0, 0, 0, 0);
    new PanelCover(picPanel_[1], picPanel_[0], {tvwTrkData_, lblCMD_, lblData_});
    grdTrkData_ = Named(new DataGrid(picPanel_[1]), "grdTrkData", "SSDBGrid");
    grdTrkData_->setModel(&session_->Values());
    grdTrkData_->setSelectionModel(session_->Values().Selection());
    grdTrkData_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The list's selection only grows (look-ups and clicks add rows); the
    // view itself must not replace it on a click.
    grdTrkData_->setSelectionMode(QAbstractItemView::NoSelection);
    grdTrkData_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTrkData_->verticalHeader()->hide();
    grdTrkData_->horizontalHeader()->setStretchLastSection(true);
    grdTrkData_->setColumnHidden(ValueListModel::kOriginal, true);
    grdTrkData_->setColumnWidth(ValueListModel::kCmd, 80);
    grdTrkData_->setColumnWidth(ValueListModel::kData, 120);
    grdTrkData_->AddStyleSet({QStringLiteral("head"), Qt::white, QColor(0, 128, 128), font()});
    grdTrkData_->AddStyleSet({QStringLiteral("Edited"), Qt::black, QColor(0, 255, 255), font()});
    grdTrkData_->setItemDelegate(new ValueListDelegate(grdTrkData_));
    list->addWidget(grdTrkData_);

    // Context help topics of the help file, for What's This.
    const std::pair<QWidget*, int> topics[] = {
        {txtTrunk_, 2010},    {txtTrunkRange_, 2020}, {tvwTrkData_, 2030},
        {grdTrkData_, 2050},  {lblCMD_, 2060},        {lblData_, 2070},
        {lblTrunk_[0], 2080}, {lblTrunk_[1], 2080},   {lsbMenu_, 1000}};
    for (const auto& [control, context] : topics)
        control->setProperty("whatsThisHelpID", context);
    chkSafetyNet_->setProperty("whatsThisHelpID", 2090);

    ShowPanel(0);
    BuildMenus();
}

void dlgKestrel::BuildCommandBar() {
    lsbMenu_->AddGroup(QStringLiteral("Trunk Copy"));
    lsbMenu_->AddGroup(QStringLiteral("Help"));
    lsbMenu_->AddGroup(QStringLiteral("Exit"));
    for (const CommandItem& item : kCommands) {
        lsbMenu_->AddItem(item.group, QString::fromLatin1(item.caption),
                          CommandImage(QString::fromLatin1(item.image)),
                          QString::fromLatin1(item.image), QString::fromLatin1(item.key));
    }
    connect(lsbMenu_, &ListBar::itemClicked, this, &dlgKestrel::RunCommand);
    // A click there leaves the focus where it was: asking for help or
    // leaving the window is no reason to read the trunk box.
    for (QToolButton* button : lsbMenu_->Buttons()) {
        if (InHelpOrExitGroup(button))
            button->setFocusPolicy(Qt::TabFocus);
    }
    connect(lsbMenu_, &ListBar::groupChanged, this, [this](int group) {
        if (group == 1)
            ShowPanel(0);
    });
}

void dlgKestrel::BuildMenus() {
    auto menu = [this](const char* name,
                       std::initializer_list<std::pair<const char*, const char*>> items) {
        auto* m = Named(new QMenu(this), name, "Menu");
        for (const auto& [itemName, caption] : items) {
            QAction* action = m->addAction(QString::fromLatin1(caption));
            action->setObjectName(QString::fromLatin1(itemName));
            action->setProperty("typeName", QStringLiteral("Menu"));
        }
        return m;
    };
    mnuWhatsThis_ = menu("mnuWhatsThis", {{"itmWhatsThis", "What's This?"}});
    mnuReset_ = menu("mnuReset", {{"itmRestore", "Restore Orginal Value"}});
    mnuExpand_ =
        menu("mnuExpand", {{"itmCollapse", "Collapse All"}, {"itmWhatsThis2", "What's This?"}});
    connect(mnuExpand_->actions().at(0), &QAction::triggered, this, &dlgKestrel::CollapseAll);
}

}  // namespace kestrel
