#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>
#include <vector>

class QToolButton;
class QVBoxLayout;

namespace kestrel {

// A command bar of groups, each a caption button over a column of items
// (caption, image, key); one group, the current one, is open at a time.
// Groups and items are numbered from 1, as the language data numbers them.
class ListBar : public QWidget {
    Q_OBJECT

public:
    explicit ListBar(QWidget* parent = nullptr);

    // Adds a group; returns its number.
    int AddGroup(const QString& caption);
    // Adds an item to a group; returns its number within the group.
    int AddItem(int group, const QString& caption, const QIcon& image, const QString& imageName,
                const QString& key);

    int GroupCount() const { return static_cast<int>(groups_.size()); }
    int ItemCount(int group) const;
    bool HasGroup(int group) const { return group >= 1 && group <= GroupCount(); }
    bool HasItem(int group, int item) const;

    QString GroupCaption(int group) const;
    void SetGroupCaption(int group, const QString& caption);
    QString ItemText(int group, int item) const;
    void SetItemText(int group, int item, const QString& text);
    // The button of the item with `key`, in whichever group; null if none.
    QToolButton* ButtonForKey(const QString& key) const;
    // Every group header and item button, in tab order.
    QList<QToolButton*> Buttons() const;
    // The group whose header or item `widget` is; 0 for any other widget.
    int GroupOf(const QWidget* widget) const;
    // The group of the item with `key`; 0 if none.
    int GroupOfKey(const QString& key) const;

    // The open group.
    int Group() const { return current_; }
    void SetGroup(int group);

    // The font of the group captions.
    QFont CaptionFont() const { return captionFont_; }
    void SetCaptionFont(const QFont& font);

protected:
    // Return, Enter and Space press a focused header or item.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void itemClicked(const QString& key);
    void groupChanged(int group);

private:
    struct Item {
        QToolButton* button;
        QString key;
        QString imageName;
    };
    struct GroupEntry {
        QToolButton* header;
        QWidget* body;
        QVBoxLayout* items;
        std::vector<Item> entries;
    };

    QVBoxLayout* layout_;
    std::vector<GroupEntry> groups_;
    int current_ = 0;
    QFont captionFont_;
};

}  // namespace kestrel
