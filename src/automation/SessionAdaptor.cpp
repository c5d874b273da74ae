#include "SessionAdaptor.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QStandardItem>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/TreeEditor.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/CopyWriter.h"
#include "platform/PrintingMessageBoxes.h"
#include "platform/Services.h"
#include "session/TrunkCopySession.h"

namespace kestrel {

void SessionAdaptor::RunCommand(const QString& key) {
    if (window_)
        window_->RunCommand(key);
}

void SessionAdaptor::SetTrunk(const QString& trunk) {
    if (window_)
        window_->SetTrunkNumber(trunk);
}

void SessionAdaptor::SetDestinations(const QString& list) {
    if (!window_)
        return;
    if (auto* box = window_->findChild<QLineEdit*>(QStringLiteral("txtTrunkRange"))) {
        box->setText(list);
    }
}

bool SessionAdaptor::ChooseValue(const QString& cmd, const QString& value) {
    if (!window_ || !window_->Search_CMD(cmd))
        return false;
    window_->Session().Values().SetItemValue(cmd, value);
    return window_->Session().Values().GetItemValue(cmd).toString() == value;
}

QString SessionAdaptor::ItemValue(const QString& cmd) {
    return window_ ? window_->Session().Values().GetItemValue(cmd).toString() : QString();
}

int SessionAdaptor::ItemCount() {
    return window_ ? window_->Session().Values().rowCount() : 0;
}

bool SessionAdaptor::Busy() {
    return window_ && window_->Session().Busy();
}

bool SessionAdaptor::Enabled() {
    return window_ && window_->IsEnabled();
}

bool SessionAdaptor::SaveScreenshot(const QString& path) {
    return window_ && window_->grab().save(path);
}

bool SessionAdaptor::ChooseOption(const QString& cmd, int row) {
    if (!window_)
        return false;
    CatalogueTreeModel& tree = window_->Session().Tree();
    QStandardItem* option = nullptr;
    for (int i = 0; i < tree.rowCount() && !option; ++i) {
        QStandardItem* title = tree.item(i);
        if (CatalogueTreeModel::Tag(title) == cmd && row >= 0 && row < title->rowCount())
            option = title->child(row);
    }
    if (!option)
        return false;
    TreeEditor& editor = window_->Session().Editor();
    editor.NodeClick(option);
    editor.DoubleClick(option);
    return true;
}

QString SessionAdaptor::OpenModal() {
    QWidget* open = QApplication::activePopupWidget();
    if (!open)
        open = QApplication::activeModalWidget();
    if (!open)
        return {};
    if (!open->objectName().isEmpty())
        return open->objectName();
    return QString::fromLatin1(open->metaObject()->className()).section(u':', -1);
}

void SessionAdaptor::SetSafetyNet(bool on) {
    if (!window_)
        return;
    if (auto* box = window_->findChild<QCheckBox*>(QStringLiteral("chkSafetyNet")))
        box->setChecked(on);
}

QStringList SessionAdaptor::WrittenCells() {
    QStringList cells;
    if (window_) {
        for (const CopyWriter::Cell& cell : window_->Session().Copier().Written())
            cells << cell.first + u'/' + cell.second;
    }
    return cells;
}

QStringList SessionAdaptor::TakeMessages() {
    // Only printed boxes are kept: boxes on the screen the engineer reads.
    auto* printed = dynamic_cast<PrintingMessageBoxes*>(services().messageBoxes);
    return printed ? printed->TakeShown() : QStringList();
}

}  // namespace kestrel
