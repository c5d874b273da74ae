// Keyboard use of the main window: command shortcuts, the trunk box's
// Enter, the tree's Enter and Space, What's This on the focused control and
// the tab order.
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStandardItem>
#include <QToolButton>
#include <QTreeView>
#include <QWhatsThis>

#include "CommandKeys.h"
#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "dlgKestrel.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/widgets/ChooseKey.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/HelpViewer.h"
#include "platform/widgets/ListBar.h"
#include "session/TrunkCopySession.h"

namespace kestrel {

namespace {

// The keypad's Enter beside Return, for shortcuts made with Return.
QList<QKeySequence> WithKeypadEnter(const QKeySequence& keys) {
    QList<QKeySequence> all{keys};
    const QKeyCombination first = keys[0];
    if (first.key() == Qt::Key_Return) {
        all << QKeySequence(
            QKeyCombination(first.keyboardModifiers() | Qt::KeypadModifier, Qt::Key_Enter));
    }
    return all;
}

}  // namespace

void dlgKestrel::BindKeyboard() {
    for (const CommandKey& command : CommandKeys()) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(WithKeypadEnter(command.keys));
        shortcut->setContext(Qt::WindowShortcut);
        const QString key = QString::fromLatin1(command.command);
        // F1 is help on the control in hand, wanted most when the bar is
        // off (no trunk named yet, a request under way): never the bar's click.
        if (key == u"Help") {
            connect(shortcut, &QShortcut::activated, this, &dlgKestrel::ShowHelpOfFocus);
            continue;
        }
        connect(shortcut, &QShortcut::activated, this, [this, key] { RunShortcut(key); });
    }
    auto* whatsThis = new QShortcut(kWhatsThisKeys, this);
    whatsThis->setContext(Qt::WindowShortcut);
    connect(whatsThis, &QShortcut::activated, this, &dlgKestrel::ShowWhatsThisOfFocus);

    connect(txtTrunk_, &QLineEdit::returnPressed, this, &dlgKestrel::OnTrunkBoxLeft);
    tvwTrkData_->installEventFilter(this);

    // Boxes and views first, then the command bar, then the strip's Cancel.
    QList<QWidget*> order{txtTrunk_, txtTrunkRange_, tvwTrkData_, grdTrkData_, chkSafetyNet_};
    for (QToolButton* button : lsbMenu_->Buttons())
        order << button;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool dlgKestrel::focusNextPrevChild(bool next) {
    // Both panels stay shown, one over the other: Tab passes by the controls
    // of the view behind, which the engineer cannot see.
    for (int step = 0; step < 64; ++step) {
        if (!QWidget::focusNextPrevChild(next))
            return false;
        QWidget* now = focusWidget();
        if (!now || !IsCovered(now, FrontPanel()))
            return true;
    }
    return true;
}

void dlgKestrel::RunShortcut(const QString& key) {
    // A shortcut is the click on its command-bar item: nothing while the
    // bar is disabled (a request in flight, no exchange), the same answer
    // otherwise.
    QToolButton* button = lsbMenu_->ButtonForKey(key);
    if (button && button->isEnabled())
        button->click();
}

bool dlgKestrel::OnTreeKey(QKeyEvent* event) {
    if (!IsChooseKey(event))
        return false;
    QStandardItem* node = SelectedNode();
    if (!node)
        return false;
    // What a double-click does: the click that selects the node, then on a
    // title opening or closing it, on an option choosing it.
    session_->Editor().NodeClick(node);
    const QModelIndex index = tvwTrkData_->currentIndex();
    if (node->hasChildren())
        tvwTrkData_->setExpanded(index, !tvwTrkData_->isExpanded(index));
    session_->Editor().DoubleClick(node);
    return true;
}

void dlgKestrel::PopWhatsThis(QWidget* control) {
    QWhatsThis::showText(control->mapToGlobal(control->rect().center()), control->whatsThis(),
                         control);
}

void dlgKestrel::ShowWhatsThisOfFocus() {
    // The focused control's own text, else that of the nearest part of the
    // window that has one (a command-bar item shows the bar's).
    for (QWidget* w = focusWidget(); w && w != this; w = w->parentWidget()) {
        if (!w->whatsThis().isEmpty()) {
            PopWhatsThis(w);
            return;
        }
    }
}

void dlgKestrel::ShowHelpOfFocus() {
    // A request takes the focus with the work area; its help is that of the
    // control the engineer was in.
    QWidget* focus = focusWidget();
    if ((!focus || !focus->isEnabled()) && focusBeforeRequest_)
        focus = focusBeforeRequest_;
    int context = kHelpContentsTopic;
    for (QWidget* w = focus; w && w != this; w = w->parentWidget()) {
        const QVariant topic = w->property("whatsThisHelpID");
        if (topic.isValid()) {
            context = topic.toInt();
            break;
        }
    }
    HelpViewer::ShowTopic(helpFile_, context, this);
}

void dlgKestrel::ApplyShortcutTips() {
    const bool netOff = !chkSafetyNet_->isChecked();
    for (const CommandKey& command : CommandKeys()) {
        const QString key = QString::fromLatin1(command.command);
        if (QToolButton* button = lsbMenu_->ButtonForKey(key)) {
            QString tip = TipWithShortcut(button->text(), command.keys);
            if (netOff && key == u"Copy")
                tip += u'\n' + Msg(text::kCopyTipNetOff);
            button->setToolTip(tip);
        }
    }
}

}  // namespace kestrel
