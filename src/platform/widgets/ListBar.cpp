#include "ListBar.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "ChooseKey.h"

namespace kestrel {

ListBar::ListBar(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(1);
    layout_->addStretch(1);
    captionFont_ = font();
    captionFont_.setBold(true);
}

int ListBar::AddGroup(const QString& caption) {
    const int number = GroupCount() + 1;
    auto* header = new QToolButton(this);
    header->setObjectName(QStringLiteral("lsbGroup%1").arg(number));
    header->setText(caption);
    header->setFont(captionFont_);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setMinimumHeight(26);
    header->setProperty("listBarGroup", true);
    header->setFocusPolicy(Qt::StrongFocus);
    header->installEventFilter(this);
    auto* body = new QWidget(this);
    auto* items = new QVBoxLayout(body);
    items->setContentsMargins(4, 6, 4, 6);
    items->setSpacing(4);
    // Insert before the stretch that keeps the groups at the top.
    layout_->insertWidget(layout_->count() - 1, header);
    layout_->insertWidget(layout_->count() - 1, body);
    groups_.push_back({header, body, items, {}});
    connect(header, &QToolButton::clicked, this, [this, number] { SetGroup(number); });
    if (current_ == 0) {
        SetGroup(number);
    } else {
        body->hide();
    }
    return number;
}

int ListBar::AddItem(int group, const QString& caption, const QIcon& image,
                     const QString& imageName, const QString& key) {
    if (!HasGroup(group))
        return 0;
    GroupEntry& g = groups_[group - 1];
    auto* button = new QToolButton(g.body);
    button->setText(caption);
    button->setIcon(image);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setObjectName(QStringLiteral("lsbItem_%1").arg(QString(key).remove(u' ')));
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    g.items->addWidget(button);
    g.entries.push_back({button, key, imageName});
    connect(button, &QToolButton::clicked, this, [this, key] { emit itemClicked(key); });
    return static_cast<int>(g.entries.size());
}

int ListBar::ItemCount(int group) const {
    return HasGroup(group) ? static_cast<int>(groups_[group - 1].entries.size()) : 0;
}

bool ListBar::HasItem(int group, int item) const {
    return HasGroup(group) && item >= 1 && item <= ItemCount(group);
}

QString ListBar::GroupCaption(int group) const {
    return HasGroup(group) ? groups_[group - 1].header->text() : QString();
}

void ListBar::SetGroupCaption(int group, const QString& caption) {
    if (HasGroup(group))
        groups_[group - 1].header->setText(caption);
}

QString ListBar::ItemText(int group, int item) const {
    return HasItem(group, item) ? groups_[group - 1].entries[item - 1].button->text() : QString();
}

void ListBar::SetItemText(int group, int item, const QString& text) {
    if (HasItem(group, item))
        groups_[group - 1].entries[item - 1].button->setText(text);
}

QToolButton* ListBar::ButtonForKey(const QString& key) const {
    for (const GroupEntry& g : groups_) {
        for (const Item& item : g.entries) {
            if (item.key == key)
                return item.button;
        }
    }
    return nullptr;
}

QList<QToolButton*> ListBar::Buttons() const {
    QList<QToolButton*> buttons;
    for (const GroupEntry& g : groups_) {
        buttons << g.header;
        for (const Item& item : g.entries)
            buttons << item.button;
    }
    return buttons;
}

int ListBar::GroupOf(const QWidget* widget) const {
    for (int i = 0; i < GroupCount(); ++i) {
        const GroupEntry& g = groups_[i];
        if (widget && (widget == g.header || g.body->isAncestorOf(widget)))
            return i + 1;
    }
    return 0;
}

int ListBar::GroupOfKey(const QString& key) const {
    return GroupOf(ButtonForKey(key));
}

bool ListBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QToolButton*>(watched);
        if (button && IsChooseKey(key) && !key->isAutoRepeat()) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ListBar::SetGroup(int group) {
    if (!HasGroup(group) || group == current_)
        return;
    current_ = group;
    for (int i = 0; i < GroupCount(); ++i) {
        groups_[i].body->setVisible(i + 1 == group);
        groups_[i].header->setProperty("current", i + 1 == group);
    }
    emit groupChanged(group);
}

void ListBar::SetCaptionFont(const QFont& font) {
    captionFont_ = font;
    for (GroupEntry& g : groups_)
        g.header->setFont(font);
}

}  // namespace kestrel
