#include "CatalogueTreeModel.h"

#include "TreeImages.h"

namespace kestrel {

CatalogueTreeModel::CatalogueTreeModel(QObject* parent) : QStandardItemModel(parent) {
    setColumnCount(1);
}

QStandardItem* CatalogueTreeModel::NewNode(const QString& key, const QString& text) {
    if (nodes_.contains(key))
        return nullptr;
    auto* node = new QStandardItem(text);
    node->setEditable(false);
    node->setData(key, KeyRole);
    nodes_.insert(key, node);
    return node;
}

QStandardItem* CatalogueTreeModel::AddTitleNode(const QString& key, const QString& text) {
    QStandardItem* node = NewNode(key, text);
    if (node)
        appendRow(node);
    return node;
}

QStandardItem* CatalogueTreeModel::AddOptionNode(QStandardItem* title, const QString& key,
                                                 const QString& text) {
    if (!title)
        return nullptr;
    QStandardItem* node = NewNode(key, text);
    if (node)
        title->appendRow(node);
    return node;
}

void CatalogueTreeModel::ClearNodes() {
    nodes_.clear();
    removeRows(0, rowCount());
}

QString CatalogueTreeModel::Key(const QStandardItem* node) {
    return node ? node->data(KeyRole).toString() : QString();
}

QString CatalogueTreeModel::Tag(const QStandardItem* node) {
    return node ? node->data(TagRole).toString() : QString();
}

QString CatalogueTreeModel::ImageKey(const QStandardItem* node) {
    return node ? node->data(ImageKeyRole).toString() : QString();
}

void CatalogueTreeModel::SetTag(QStandardItem* node, const QString& tag) {
    if (node)
        node->setData(tag, TagRole);
}

void CatalogueTreeModel::SetImage(QStandardItem* node, const QString& imageKey) {
    if (node)
        node->setData(imageKey, ImageKeyRole);
}

QString CatalogueTreeModel::OptionData(const QString& key) {
    const qsizetype colon = key.indexOf(u':');
    return colon < 0 ? QString() : key.mid(colon + 1);
}

QVariant CatalogueTreeModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole && index.isValid()) {
        const QString key = QStandardItemModel::data(index, ImageKeyRole).toString();
        return key.isEmpty() ? QVariant() : QVariant(TreeImage(key));
    }
    return QStandardItemModel::data(index, role);
}

}  // namespace kestrel
