#include "SessionAdaptor.h"

#include <QLineEdit>

#include "catalogue/ValueListModel.h"
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

bool SessionAdaptor::SaveScreenshot(const QString& path) {
    return window_ && window_->grab().save(path);
}

}  // namespace kestrel
