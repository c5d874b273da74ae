// Event routing of the main window: trunk boxes, tree, list, labels.
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItem>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QWhatsThis>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/TreeImages.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/TrunkRange.h"
#include "dlgKestrel.h"
#include "hostlink/HostCalls.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/KeyFilterInstaller.h"
#include "platform/widgets/ListBar.h"
#include "safetynet/SafetyNetSetting.h"
#include "session/TrunkCopySession.h"
#include "startup/Globals.h"
#include "teamjournal/TeamJournal.h"
#include "teamjournal/TeamTexts.h"
#include "tools/KeyFilters.h"

namespace kestrel {

namespace {

// A command image with an amber warning mark in its corner.
QIcon WithOffMark(const QIcon& image) {
    constexpr int kSize = 32;
    QPixmap pixmap = image.pixmap(QSize(kSize, kSize));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x24, 0x38, 0x4b), 1.5));
    painter.setBrush(QColor(0xff, 0xb3, 0x00));
    painter.drawEllipse(QRectF(16.5, 16.5, 15, 15));
    painter.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(24, 20), QPointF(24, 25));
    painter.drawPoint(QPointF(24, 28.5));
    return QIcon(pixmap);
}

}  // namespace

void dlgKestrel::ConnectEvents() {
    chkSafetyNet_->setChecked(SafetyNetSetting());
    connect(chkSafetyNet_, &QCheckBox::toggled, this, [this](bool on) {
        SetSafetyNetSetting(on);
        ShowSafetyNetState();
    });
    new KeyFilterInstaller(txtTrunk_, FilterDigitKey);
    new KeyFilterInstaller(txtTrunkRange_, FilterRangeKey);
    connect(txtTrunk_, &QLineEdit::textChanged, this, &dlgKestrel::OnTrunkBoxChanged);
    txtTrunk_->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(txtTrunk_), static_cast<QWidget*>(txtTrunkRange_),
                       static_cast<QWidget*>(lblCMD_), static_cast<QWidget*>(lblData_),
                       static_cast<QWidget*>(lblTrunk_[0]), static_cast<QWidget*>(lblTrunk_[1])}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this, [this, w] { ShowWhatsThis(w); });
    }

    connect(tvwTrkData_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        session_->Editor().NodeClick(session_->Tree().itemFromIndex(index));
    });
    connect(tvwTrkData_, &QTreeView::doubleClicked, this,
            [this](const QModelIndex&) { session_->Editor().DoubleClick(SelectedNode()); });
    connect(tvwTrkData_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        session_->Editor().Expand(session_->Tree().itemFromIndex(index));
    });
    tvwTrkData_->viewport()->installEventFilter(this);

    grdTrkData_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdTrkData_, &QWidget::customContextMenuRequested, this,
            &dlgKestrel::OnGridRightButton);
    connect(grdTrkData_, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        session_->Values().SetCurrentRow(index.row());
        session_->Values().Selection()->select(
            index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    });
}

QString dlgKestrel::TrunkBoxText() const {
    return txtTrunk_->text();
}

QString dlgKestrel::DestinationText() const {
    return txtTrunkRange_->text();
}

void dlgKestrel::ShowSelection(const QString& cmd, const QString& value) {
    lblCMD_->setText(cmd);
    lblData_->setText(value);
}

void dlgKestrel::SetTreeEnabled(bool enabled) {
    tvwTrkData_->setEnabled(enabled);
}

void dlgKestrel::ClearSelectionLabels() {
    lblCMD_->clear();
    lblData_->clear();
}

void dlgKestrel::ProcessEvents() {
    QCoreApplication::processEvents();
}

void dlgKestrel::SetSecondData(const QString& value) {
    session_->Editor().SetSecondData(value);
}

void dlgKestrel::SetTrunkNumber(const QString& trunk) {
    txtTrunk_->setText(trunk);
}

bool dlgKestrel::Search_CMD(const QString& cmd) const {
    return session_->Editor().Search_CMD(cmd);
}

QStandardItem* dlgKestrel::SelectedNode() const {
    return session_->Tree().itemFromIndex(tvwTrkData_->currentIndex());
}

void dlgKestrel::OnTrunkBoxChanged(const QString& text) {
    if (text.isEmpty()) {
        SetMenuState(0, false);
        return;
    }
    const QString held = ClampTrunkText(text, session_->HighestTrunk());
    if (held != text) {
        txtTrunk_->setText(held);
        // Said where the engineer looks: the host's message line, and at the box.
        const QString changed = Msg(text::kTrunkNumberClamped).arg(text, held);
        session_->Dispatcher().ShowHostMessage(changed);
        QToolTip::showText(txtTrunk_->mapToGlobal(QPoint(0, txtTrunk_->height())), changed,
                           txtTrunk_);
    }
    SetMenuState(0, true);
}

void dlgKestrel::OnTrunkBoxLeft() {
    // A box left empty names no trunk yet: reading 000 would only answer a
    // question nobody asked.
    if (PBXName().isEmpty() || txtTrunk_->text().isEmpty())
        return;
    const QString text = NormaliseTrunkBox();
    if (txtTrunk_->property("tag").toString() != text && session_->ReadSourceAgain()) {
        txtTrunk_->setProperty("tag", text);
    }
}

bool dlgKestrel::InHelpOrExitGroup(const QWidget* widget) const {
    const int group = lsbMenu_->GroupOf(widget);
    return group != 0 && (group == lsbMenu_->GroupOfKey(QStringLiteral("Help")) ||
                          group == lsbMenu_->GroupOfKey(QStringLiteral("Exit")));
}

bool dlgKestrel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtTrunk_ && event->type() == QEvent::FocusOut) {
        // Only focus moving on to another control of this window reads the
        // trunk: not the window losing activation, a pop-up, hiding, or the
        // box being disabled by a request (focus then goes nowhere).
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* next = QApplication::focusWidget();
        if (next && next != txtTrunk_ && next->window() == this && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason && !InHelpOrExitGroup(next)) {
            OnTrunkBoxLeft();
        }
    } else if (watched == tvwTrkData_ && event->type() == QEvent::KeyPress) {
        if (OnTreeKey(static_cast<QKeyEvent*>(event)))
            return true;
    } else if (watched == tvwTrkData_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            return true;  // the menus act on the selected node, not the one clicked
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            OnTreeButtonReleased(static_cast<QMouseEvent*>(event));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void dlgKestrel::OnTreeButtonReleased(QMouseEvent* event) {
    QStandardItem* selected = SelectedNode();
    if (event->button() == Qt::RightButton) {
        const bool medit = selected && CatalogueTreeModel::ImageKey(selected) == image::kMedit;
        QMenu* menu = medit ? mnuReset_ : mnuExpand_;
        QAction* chosen = menu->exec(event->globalPosition().toPoint());
        if (!chosen)
            return;
        if (chosen->objectName() == u"itmRestore") {
            session_->Editor().Restore(selected);
        } else if (chosen->objectName() == u"itmCollapse") {
            CollapseAll();
        } else if (chosen->objectName() == u"itmWhatsThis2") {
            PopWhatsThis(tvwTrkData_);
        }
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ShiftModifier &&
        !g_Standalone && Parent()) {
        // The view selects the clicked node after this filter has seen the
        // release: send the line once that click has been handled.
        QMetaObject::invokeMethod(this, &dlgKestrel::SendShiftClickLine, Qt::QueuedConnection);
    }
}

void dlgKestrel::SendShiftClickLine() {
    QStandardItem* selected = SelectedNode();
    if (!selected || !Parent())
        return;
    const QString line = session_->Editor().CurrentCMD() + u'\t' + txtTrunk_->text() + u'\t' +
                         session_->Editor().SelectedValue() + QStringLiteral("\t\t") +
                         selected->text();
    TryHostCall("to take the clicked line", [&] { Parent()->AddItem(line); });
}

void dlgKestrel::OnGridRightButton(const QPoint& at) {
    const QModelIndex under = grdTrkData_->indexAt(at);
    if (under.isValid())
        session_->Values().SetCurrentRow(under.row());
    // An empty list has no current row: the tree still comes to the front
    // with nothing selected, then the What's This menu.
    const int row = session_->Values().CurrentRow();
    const bool hasRow = row >= 0 && row < session_->Values().rowCount();
    ShowItemInTree(hasRow ? session_->Values().Cell(row, ValueListModel::kCmd) : QString(),
                   hasRow ? session_->Values().Cell(row, ValueListModel::kData) : QString());
    ShowWhatsThis(grdTrkData_);
}

void dlgKestrel::ShowItemInTree(const QString& cmd, const QString& value) {
    QStandardItem* title = session_->Editor().ShowItemInTree(cmd, value);
    ShowPanel(0);
    repaint();
    if (!title)
        return;
    const QModelIndex index = session_->Tree().indexFromItem(title);
    tvwTrkData_->setCurrentIndex(index);
    if (!tvwTrkData_->isExpanded(index))
        tvwTrkData_->expand(index);
}

void dlgKestrel::ShowSafetyNetState() {
    // The switch is stored: a window that opens with it off says so beside
    // the switch, on the Copy command's image and in its tool tip.
    const bool off = !chkSafetyNet_->isChecked();
    lblSafetyNetOff_->setText(Msg(text::kSafetyNetOff));
    lblSafetyNetOff_->setVisible(off);
    ApplyShortcutTips();
    if (QToolButton* copy = lsbMenu_->ButtonForKey(QStringLiteral("Copy"))) {
        const QIcon image = CommandImage(QStringLiteral("set"));
        copy->setIcon(off ? WithOffMark(image) : image);
    }
}

void dlgKestrel::ShowTeamWaiting() {
    // Only a desk whose settings name a server has anything to send.
    const TeamJournal* team = session_->MadeTeam();
    const int waiting = team && team->HasServer() ? team->Waiting() : 0;
    if (waiting <= 0) {
        lblTeamWaiting_->hide();
        lblTeamWaiting_->clear();
        lblTeamWaiting_->setToolTip(QString());
        return;
    }
    const QString reason =
        TeamProblemText(team->Problem(), team->Server().Name(), team->ProblemDetail());
    const QString line =
        waiting == 1 ? Msg(text::kTeamOneWaiting) : Msg(text::kTeamWaiting).arg(waiting);
    lblTeamWaiting_->setText(reason.isEmpty() ? line : line + u' ' + reason);
    lblTeamWaiting_->setToolTip(reason);
    lblTeamWaiting_->show();
}

}  // namespace kestrel
