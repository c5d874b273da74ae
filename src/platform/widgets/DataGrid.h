#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTableView>
#include <vector>

namespace kestrel {

// A data grid: a table view with a caption, the fonts a report-capable grid
// carries (head, page header and footer, body) and named cell styles.
class DataGrid : public QTableView {
    Q_OBJECT

public:
    struct StyleSet {
        QString name;
        QColor foreground;
        QColor background;
        QFont font;
    };

    explicit DataGrid(QWidget* parent = nullptr);

    QFont HeadFont() const { return headFont_; }
    void SetHeadFont(const QFont& font);
    QFont PageHeaderFont() const { return pageHeaderFont_; }
    void SetPageHeaderFont(const QFont& font) { pageHeaderFont_ = font; }
    QFont PageFooterFont() const { return pageFooterFont_; }
    void SetPageFooterFont(const QFont& font) { pageFooterFont_ = font; }

    // The grid's caption: a bar above the column heads, none when empty.
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    std::vector<StyleSet>& StyleSets() { return styleSets_; }
    const StyleSet* Style(const QString& name) const;
    void AddStyleSet(const StyleSet& style) { styleSets_.push_back(style); }

private:
    QString caption_;
    QFont headFont_;
    QFont pageHeaderFont_;
    QFont pageFooterFont_;
    std::vector<StyleSet> styleSets_;
};

}  // namespace kestrel
