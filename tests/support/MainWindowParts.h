#pragma once

// What the main window's tests and the exploration reach into: the window's
// widgets, the catalogue tree's nodes and the modal dialogs it opens.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItem>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>

#include "catalogue/CatalogueTreeModel.h"
#include "catalogue/ValueListModel.h"
#include "copyengine/StationCheck.h"
#include "dialogs/frmCmd.h"
#include "localisation/MessageNumbers.h"
#include "mainwindow/CommandKeys.h"
#include "mainwindow/WindowPosition.h"
#include "platform/Database.h"
#include "platform/FileOps.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/widgets/HelpViewer.h"
#include "platform/widgets/ListBar.h"
#include "safetynet/CopyJournal.h"
#include "safetynet/SafetyNetSetting.h"
#include "support/ExchangeValue.h"
#include "support/HelpViewers.h"
#include "support/SpokenNames.h"
#include "support/TableFiles.h"
#include "support/WindowFixture.h"

namespace kestrel::test {

template <typename T = QWidget>
T* Child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// The catalogue's title node of an item, or nullptr.
inline QStandardItem* Title(const CatalogueTreeModel& model, const QString& tag) {
    for (int r = 0; r < model.rowCount(); ++r)
        if (CatalogueTreeModel::Tag(model.item(r)) == tag)
            return model.item(r);
    return nullptr;
}

// Where to click a node: its centre, scrolled into sight.
inline QPoint NodeCentre(QTreeView* view, const QModelIndex& index) {
    view->scrollTo(index);
    return view->visualRect(index).center();
}

// Hands each modal dialog to `act` once it is up, while `owner` lives; with
// `once`, only the next one.
inline void OnModal(QObject* owner, std::function<void(QWidget*)> act, bool once = false) {
    auto* poll = new QTimer(owner);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act, once] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        if (once) {
            poll->stop();
            poll->deleteLater();
        }
        act(dialog);
    });
    poll->start();
}

}  // namespace kestrel::test
