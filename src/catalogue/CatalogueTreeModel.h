#pragma once

#include <QHash>
#include <QStandardItemModel>
#include <QString>

namespace kestrel {

// The catalogue tree: title nodes (one per item) with option nodes below.
// Every node has a unique key, a text, a tag and an image key; the image
// is drawn from the tree image list by its key.
class CatalogueTreeModel : public QStandardItemModel {
    Q_OBJECT

public:
    enum Role { KeyRole = Qt::UserRole + 1, TagRole, ImageKeyRole };

    explicit CatalogueTreeModel(QObject* parent = nullptr);

    // Adds a root node; false (and nothing added) when the key is taken.
    QStandardItem* AddTitleNode(const QString& key, const QString& text);
    QStandardItem* AddOptionNode(QStandardItem* title, const QString& key, const QString& text);
    void ClearNodes();

    QStandardItem* Node(const QString& key) const { return nodes_.value(key, nullptr); }
    int NodeCount() const { return static_cast<int>(nodes_.size()); }

    static QString Key(const QStandardItem* node);
    static QString Tag(const QStandardItem* node);
    static QString ImageKey(const QStandardItem* node);
    static void SetTag(QStandardItem* node, const QString& tag);
    static void SetImage(QStandardItem* node, const QString& imageKey);
    // A title node's key starts with "Title"; an option's value is the
    // text behind the first ":" of its key.
    static bool IsTitle(const QString& key) { return key.startsWith(QStringLiteral("Title")); }
    static QString OptionData(const QString& key);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStandardItem* NewNode(const QString& key, const QString& text);

    QHash<QString, QStandardItem*> nodes_;
};

}  // namespace kestrel
