#include "DataGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>

namespace kestrel {

namespace {

// Column heads with the grid's caption in a bar across their top.
class CaptionHeader : public QHeaderView {
public:
    explicit CaptionHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

    QString caption;

    int Band() const { return caption.isEmpty() ? 0 : fontMetrics().height() + 6; }

    QSize sizeHint() const override {
        QSize size = QHeaderView::sizeHint();
        size.rheight() += Band();
        return size;
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QHeaderView::paintSection(painter, rect.adjusted(0, Band(), 0, 0), logicalIndex);
    }

    void paintEvent(QPaintEvent* event) override {
        QHeaderView::paintEvent(event);
        if (caption.isEmpty())
            return;
        QPainter painter(viewport());
        QStyleOptionHeader option;
        option.initFrom(this);
        option.rect = QRect(0, 0, viewport()->width(), Band());
        option.text = caption;
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    }
};

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent), headFont_(font()), pageHeaderFont_(font()), pageFooterFont_(font()) {
    auto* header = new CaptionHeader(this);
    header->setSectionsClickable(true);
    header->setHighlightSections(true);
    setHorizontalHeader(header);
}

void DataGrid::SetCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleName(caption);
    if (auto* header = dynamic_cast<CaptionHeader*>(horizontalHeader())) {
        header->caption = caption;
        header->updateGeometry();
        updateGeometries();
        header->viewport()->update();
    }
}

void DataGrid::SetHeadFont(const QFont& font) {
    headFont_ = font;
    horizontalHeader()->setFont(font);
}

const DataGrid::StyleSet* DataGrid::Style(const QString& name) const {
    for (const StyleSet& s : styleSets_) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

}  // namespace kestrel
