#include "TreeEditor.h"

#include <QStandardItem>

#include "CatalogueTreeModel.h"
#include "TreeImages.h"
#include "ValueListModel.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "platform/Database.h"
#include "platform/Logging.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {

using Model = CatalogueTreeModel;

bool NeedsData(const QString& image) {
    return image == image::kMore || image == image::kMedit;
}

}  // namespace

TreeEditor::TreeEditor(CatalogueTreeModel& tree, ValueListModel& values, Hooks hooks)
    : tree_(tree), values_(values), hooks_(std::move(hooks)) {}

QString TreeEditor::DialogRuleQuery(int dialogId) {
    return QStringLiteral("SELECT * FROM DialogRules WHERE ID = %1").arg(dialogId);
}

bool TreeEditor::Search_CMD(const QString& cmd) const {
    Database* db = hooks_.workDb ? hooks_.workDb() : nullptr;
    if (!db)
        return false;
    try {
        auto rows = db->OpenRecordset(QStringLiteral("SELECT CMD FROM TrkDataListup WHERE CMD = ?"),
                                      RecordsetType::Snapshot, 0, {cmd});
        return rows->RecordCount() > 0;
    } catch (const RunError& e) {
        qCWarning(lcDb, "The list-up cannot be searched for %s: %s [%d]", qUtf8Printable(cmd),
                  qUtf8Printable(e.Description()), e.Number());
        return false;
    }
}

void TreeEditor::ShowLabels(const QString& cmd, const QString& value) {
    if (hooks_.setLabels)
        hooks_.setLabels(cmd, value);
}

void TreeEditor::ItemNotInSource() {
    ShowLabels(QString(), QString());
    LangMsgBox(kOwnSource, msgbox::own::kItemNotInSource, QString(), kProductTitle);
}

void TreeEditor::NodeClick(QStandardItem* node) {
    if (!node)
        return;
    const QString key = Model::Key(node);
    const bool noSource = hooks_.noSourceData && hooks_.noSourceData();
    if (Model::IsTitle(key)) {
        currentCmd_ = Model::Tag(node);
        selectedValue_ = values_.GetOriginalValue(currentCmd_).toString();
    } else {
        currentCmd_ = Model::Tag(node->parent());
        if (!NeedsData(Model::ImageKey(node))) {
            selectedValue_ = Model::OptionData(key);
        } else if (!noSource) {
            selectedValue_ = values_.GetItemValue(currentCmd_).toString();
        }
    }
    if (noSource || Search_CMD(currentCmd_)) {
        ShowLabels(currentCmd_, selectedValue_);
    } else {
        ItemNotInSource();
    }
}

void TreeEditor::DoubleClick(QStandardItem* node) {
    if (hooks_.noSourceData && hooks_.noSourceData()) {
        ShowNoTrunkData();
        return;
    }
    if (!node || Model::IsTitle(Model::Key(node)) || !node->parent())
        return;
    if (!Search_CMD(currentCmd_)) {
        ItemNotInSource();
        return;
    }
    // The dialog number is a 16-bit number. One that cannot be read as such,
    // or a negative one, names no dialog and no plain value: the choice is
    // left as it was, whatever an earlier dialog left in the window's Tag.
    bool ok = false;
    const int dialogId = Model::Tag(node).toInt(&ok);
    if (!ok || dialogId < 0 || dialogId > 32767)
        return;
    selectedValue_ = Model::OptionData(Model::Key(node));
    QString tag;
    if (dialogId > 0) {
        if (selectedValue_.isEmpty())
            selectedValue_ = values_.GetItemValue(currentCmd_).toString();
        tag = hooks_.runDialog ? hooks_.runDialog(DialogRuleQuery(dialogId), selectedValue_)
                               : QStringLiteral("cancel");
        if (tag == u"ok") {
            const QString original = values_.GetOriginalValue(currentCmd_).toString();
            Model::SetImage(node, original != selectedValue_ ? image::kMedit : image::kMore);
            if (!selectedValue_.isEmpty())
                values_.SetItemValue(currentCmd_, selectedValue_);
        }
    }
    if (tag != u"ok" && dialogId != 0)
        return;

    const QString previous = Model::ImageKey(node);
    QStandardItem* title = node->parent();
    for (int i = 0; i < title->rowCount(); ++i) {
        QStandardItem* option = title->child(i);
        const QString image = Model::ImageKey(option);
        if (image == image::kCheck)
            continue;
        Model::SetImage(option, NeedsData(image) ? image::kMore : image::kBlank);
    }
    if (NeedsData(previous)) {
        Model::SetImage(node, previous);
    } else if (previous != image::kEdit && Model::ImageKey(node) != image::kCheck) {
        Model::SetImage(node, image::kEdit);
        values_.SetItemValue(currentCmd_, selectedValue_);
    } else {
        selectedValue_ = values_.GetOriginalValue(currentCmd_).toString();
        values_.SetItemValue(currentCmd_, selectedValue_);
        if (Model::ImageKey(node) != image::kCheck)
            Model::SetImage(node, image::kBlank);
    }
    ShowLabels(currentCmd_, selectedValue_);
}

void TreeEditor::Expand(QStandardItem* title) {
    if (!title)
        return;
    currentCmd_ = Model::Tag(title);
    // The tick marks the value read for this item, whichever node was
    // clicked before: an expansion by its arrow or key clicks nothing.
    if (values_.rowCount() > 0)
        RefreshOptionMarks(title, values_.GetOriginalValue(currentCmd_).toString());
}

void TreeEditor::RefreshOptionMarks(QStandardItem* title, const QString& reference) {
    const int count = title->rowCount();
    for (int i = 0; i < count; ++i) {
        QStandardItem* option = title->child(i);
        const QString v = Model::OptionData(Model::Key(option));
        if (i == count - 1 && v.isEmpty() && reference.isEmpty())
            continue;
        if (v == reference && !reference.isEmpty()) {
            Model::SetImage(option, image::kCheck);
            continue;
        }
        const QString image = Model::ImageKey(option);
        if (image == image::kCheck) {
            Model::SetImage(option, image::kBlank);
        } else if (image == image::kEdit || image == image::kMedit) {
            const bool unchanged = values_.GetItemValue(currentCmd_).toString() ==
                                   values_.GetOriginalValue(currentCmd_).toString();
            if (unchanged) {
                Model::SetImage(option, image == image::kEdit ? image::kBlank : image::kMore);
            }
        }
    }
}

void TreeEditor::MarkWrittenValue(const QString& cmd, const QString& value) {
    QStandardItem* title = nullptr;
    for (int r = 0; r < tree_.rowCount() && !title; ++r) {
        if (Model::Tag(tree_.item(r)) == cmd)
            title = tree_.item(r);
    }
    if (!title)
        return;
    for (int i = 0; i < title->rowCount(); ++i) {
        QStandardItem* option = title->child(i);
        const QString image = Model::ImageKey(option);
        if (Model::OptionData(Model::Key(option)) == value) {
            Model::SetImage(option, image::kCheck);
        } else if (image == image::kCheck) {
            Model::SetImage(option, image::kBlank);
        } else if (image == image::kMedit) {
            Model::SetImage(option, image::kMore);
        }
    }
}

void TreeEditor::Restore(QStandardItem* selected) {
    if (!selected)
        return;
    // The item of the node the tree shows selected: the arrow keys and an
    // expansion move the selection without the click that sets CurrentCMD.
    const QString cmd = Model::Tag(selected->parent() ? selected->parent() : selected);
    if (selected->parent())
        Model::SetImage(selected, image::kMore);
    values_.SetItemValue(cmd, values_.GetOriginalValue(cmd).toString());
}

QStandardItem* TreeEditor::ShowItemInTree(const QString& cmd, const QString& data) {
    currentCmd_ = cmd;
    selectedValue_ = data;
    ShowLabels(cmd, data);
    for (int r = 0; r < tree_.rowCount(); ++r) {
        QStandardItem* title = tree_.item(r);
        if (Model::Tag(title) == cmd && title->rowCount() > 0)
            return title;
    }
    return nullptr;
}

}  // namespace kestrel
