#include "WindowLocalizer.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSet>

#include "localisation/TokenExpansion.h"
#include "platform/Logging.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"
#include "platform/widgets/DataGrid.h"
#include "platform/widgets/ListBar.h"

namespace kestrel {

namespace {

const QString kLeave = QStringLiteral("-1");

[[noreturn]] void NotSupported(const QObject* control, const char* what) {
    throw RunError(438, QStringLiteral("Object doesn't support this property or method (%1.%2)")
                            .arg(control->objectName(), QString::fromLatin1(what)));
}

int IndexOf(const QVariant& v) {
    if (v.isNull())
        return -1;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    if (!ok)
        throw RunError(err::kTypeMismatch, QStringLiteral("Type mismatch"));
    return n;
}

// Kinds whose original control has a caption. The others (text boxes,
// lists, trees, images, list bars, ...) have none.
bool HasCaption(const QString& type) {
    static const QSet<QString> kinds = {
        QStringLiteral("Form"),         QStringLiteral("Label"),    QStringLiteral("CommandButton"),
        QStringLiteral("OptionButton"), QStringLiteral("CheckBox"), QStringLiteral("Frame"),
        QStringLiteral("SSCommand"),    QStringLiteral("SSCheck"),  QStringLiteral("SSOption"),
        QStringLiteral("SSFrame"),      QStringLiteral("SSPanel"),  QStringLiteral("SSRibbon"),
        QStringLiteral("SSDBGrid"),     QStringLiteral("Menu")};
    return kinds.contains(type);
}

void SetCaption(QObject* c, const QString& text) {
    const QString type = c->property("typeName").toString();
    if (!type.isEmpty() && !HasCaption(type))
        NotSupported(c, "Caption");
    if (auto* label = qobject_cast<QLabel*>(c)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
        group->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(c)) {
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(c)) {
        menu->setTitle(text);
    } else if (auto* grid = qobject_cast<DataGrid*>(c)) {
        grid->SetCaption(text);
    } else if (auto* widget = qobject_cast<QWidget*>(c); widget && widget->isWindow()) {
        widget->setWindowTitle(text);
    } else if (widget && !type.isEmpty()) {
        // A panel or frame drawn as a plain frame: the caption is carried
        // as its property and accessible name; its controls cover the rest.
        widget->setProperty("caption", text);
        widget->setAccessibleName(text);
    } else {
        NotSupported(c, "Caption");
    }
}

void SetToolTip(QObject* c, const QString& text) {
    if (auto* widget = qobject_cast<QWidget*>(c)) {
        widget->setToolTip(text);
    } else if (auto* action = qobject_cast<QAction*>(c)) {
        action->setToolTip(text);
    } else {
        NotSupported(c, "ToolTipText");
    }
}

QFont Named(QFont font, const QString& name, double size) {
    font.setFamily(name);
    if (size > 0)
        font.setPointSizeF(size);
    return font;
}

void Record(QObject* c, const QString& what, int charset) {
    QStringList applied = c->property("fontsApplied").toStringList();
    applied.append(charset ? QStringLiteral("%1:%2").arg(what).arg(charset) : what);
    c->setProperty("fontsApplied", applied);
    if (charset)
        c->setProperty("charset", charset);
}

void SetFontOf(QObject* c, const QString& name, double size) {
    if (auto* widget = qobject_cast<QWidget*>(c)) {
        widget->setFont(Named(widget->font(), name, size));
    } else if (auto* action = qobject_cast<QAction*>(c)) {
        action->setFont(Named(action->font(), name, size));
    } else {
        NotSupported(c, "Font");
    }
}

// Fonts by the control's type name: which fonts, in which order, and the
// character set each gets.
void ApplyFont(QObject* c, const QString& name, double size) {
    static const QSet<QString> ownProperties = {
        QStringLiteral("ComboBox"), QStringLiteral("ListBox"), QStringLiteral("FileListBox"),
        QStringLiteral("DriveListBox"), QStringLiteral("DirListBox")};
    static const QSet<QString> cyrillicProperties = {
        QStringLiteral("CommandButton"), QStringLiteral("Label"),
        QStringLiteral("MSFlexGrid"),    QStringLiteral("Frame"),
        QStringLiteral("OptionButton"),  QStringLiteral("vsFlexArray"),
        QStringLiteral("TextBox")};
    static const QSet<QString> shiftJisProperties = {
        QStringLiteral("SSCommand"), QStringLiteral("SSCheck"),  QStringLiteral("SSOption"),
        QStringLiteral("SSFrame"),   QStringLiteral("SSRibbon"), QStringLiteral("SSPanel")};
    static const QSet<QString> shiftJisFontObject = {
        QStringLiteral("SSTree"), QStringLiteral("ListView"), QStringLiteral("TreeView"),
        QStringLiteral("SSDBDropDown"), QStringLiteral("SSTab")};

    const QString type = c->property("typeName").toString();
    if (ownProperties.contains(type)) {
        SetFontOf(c, name, size);
        Record(c, QStringLiteral("FontName,FontSize"), 0);
    } else if (cyrillicProperties.contains(type)) {
        SetFontOf(c, name, size);
        Record(c, QStringLiteral("FontName,FontSize"), kCharsetCyrillic);
    } else if (shiftJisProperties.contains(type)) {
        SetFontOf(c, name, size);
        Record(c, QStringLiteral("FontName,FontSize"), kCharsetShiftJis);
    } else if (shiftJisFontObject.contains(type)) {
        SetFontOf(c, name, size);
        Record(c, QStringLiteral("Font"), kCharsetShiftJis);
    } else if (type == u"SSDBGrid" || type == u"SSDBCombo") {
        auto* grid = qobject_cast<DataGrid*>(c);
        if (!grid)
            NotSupported(c, "HeadFont");
        const bool isGrid = type == u"SSDBGrid";
        const int charset = isGrid ? kCharsetCyrillic : kCharsetShiftJis;
        if (isGrid) {
            grid->SetHeadFont(Named(grid->HeadFont(), name, size));
            Record(c, QStringLiteral("HeadFont"), charset);
            grid->SetPageFooterFont(Named(grid->PageFooterFont(), name, size));
            Record(c, QStringLiteral("PageFooterFont"), charset);
            grid->SetPageHeaderFont(Named(grid->PageHeaderFont(), name, size));
            Record(c, QStringLiteral("PageHeaderFont"), charset);
            grid->setFont(Named(grid->font(), name, size));
            Record(c, QStringLiteral("Font"), charset);
        } else {
            grid->setFont(Named(grid->font(), name, size));
            Record(c, QStringLiteral("Font"), charset);
            grid->SetHeadFont(Named(grid->HeadFont(), name, size));
            Record(c, QStringLiteral("HeadFont"), charset);
        }
        for (size_t i = 0; i < grid->StyleSets().size(); ++i) {
            DataGrid::StyleSet& style = grid->StyleSets()[i];
            style.font = Named(style.font, name, size);
            Record(c, QStringLiteral("StyleSets(%1).Font").arg(i), charset);
        }
        grid->viewport()->update();
    } else if (type == u"SSListBar") {
        auto* bar = qobject_cast<ListBar*>(c);
        if (!bar)
            NotSupported(c, "CaptionFont");
        bar->SetCaptionFont(Named(bar->CaptionFont(), name, size));
        Record(c, QStringLiteral("CaptionFont"), 0);
    } else {
        SetFontOf(c, name, size);
        Record(c, QStringLiteral("Font"), 0);
    }
}

double FontSize(const QVariant& v) {
    if (v.isNull())
        throw RunError(err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    bool ok = false;
    const double size = v.toString().toDouble(&ok);
    if (!ok)
        throw RunError(err::kTypeMismatch, QStringLiteral("Type mismatch"));
    return size;
}

// Runs one localisation query and applies each row; the first failure is
// shown and ends the walk.
bool ApplyRows(Database* db, const QString& sql, const QString& formName,
               const std::function<void(Recordset&)>& apply) {
    try {
        if (!db)
            throw ObjectNotSet();
        auto rows = db->OpenRecordset(sql, RecordsetType::ForwardOnly, rs::kReadOnly, {formName});
        while (!rows->Eof()) {
            apply(*rows);
            rows->MoveNext();
        }
        return true;
    } catch (const RunError& e) {
        ShowSystemFatalNotice(e);
        return false;
    }
}

}  // namespace

QObject* FindControl(QWidget* window, const QString& name, int index) {
    // Names match whatever their case, as control names always have; a
    // control named in the exact case comes first.
    QList<QObject*> candidates = window->findChildren<QObject*>(name);
    for (QObject* c : window->findChildren<QObject*>()) {
        if (c->objectName() != name && c->objectName().compare(name, Qt::CaseInsensitive) == 0)
            candidates.append(c);
    }
    if (window->objectName().compare(name, Qt::CaseInsensitive) == 0)
        candidates.prepend(window);
    if (candidates.isEmpty()) {
        throw RunError(730, QStringLiteral("Control '%1' not found").arg(name));
    }
    for (QObject* c : candidates) {
        const QVariant own = c->property("index");
        if (index == -1 ? !own.isValid() : (own.isValid() && own.toInt() == index))
            return c;
    }
    if (index == -1)
        throw RunError(343, QStringLiteral("Object not an array"));
    throw RunError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
}

bool LocalizeForm(QWidget* window, Database* db) {
    return ApplyRows(
        db, QStringLiteral("select Caption,FontName,FontSize from tForms where ObjectName = ?"),
        window->objectName(), [&](Recordset& row) {
            const QVariant caption = row.Fields(0);
            if (caption.isNull() || caption.toString().isEmpty()) {
                throw RunError(err::kInvalidUseOfNull,
                               QStringLiteral("Invalid use of Null (caption of %1)")
                                   .arg(window->objectName()));
            }
            QString none;
            window->setWindowTitle(ExpandTokens(caption.toString(), none));
            const QVariant fontName = row.Fields(1);
            if (fontName.isNull()) {
                throw RunError(err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
            }
            if (!fontName.toString().isEmpty()) {
                window->setFont(
                    Named(window->font(), fontName.toString(), FontSize(row.Fields(2))));
            }
        });
}

bool LocalizeControls(QWidget* window, Database* db) {
    return ApplyRows(
        db,
        QStringLiteral("select ObjectName,Index,Caption,FontName,FontSize,ToolTipText from "
                       "tControls where FormName = ?"),
        window->objectName(), [&](Recordset& row) {
            QObject* control = FindControl(window, TextOf(row.Fields(0)), IndexOf(row.Fields(1)));
            const QString caption = TextOf(row.Fields(2));
            if (caption != kLeave)
                SetCaption(control, caption);
            const QString fontName = TextOf(row.Fields(3));
            if (fontName != kLeave && !fontName.isEmpty()) {
                ApplyFont(control, fontName, FontSize(row.Fields(4)));
            }
            const QString tip = TextOf(row.Fields(5));
            if (tip != kLeave)
                SetToolTip(control, tip);
        });
}

bool LocalizeGridHeads(QWidget* window, Database* db) {
    return ApplyRows(
        db,
        QStringLiteral(
            "select ObjectName,Index,ColIndex,Caption from tSSGridsHD where FormName = ?"),
        window->objectName(), [&](Recordset& row) {
            QObject* control = FindControl(window, TextOf(row.Fields(0)), IndexOf(row.Fields(1)));
            auto* grid = qobject_cast<QTableView*>(control);
            if (!grid || !grid->model())
                NotSupported(control, "Columns");
            const int column = IndexOf(row.Fields(2));
            if (column < 0 || column >= grid->model()->columnCount()) {
                throw RunError(9, QStringLiteral("Subscript out of range (column %1)").arg(column));
            }
            const QString caption = TextOf(row.Fields(3));
            if (caption != kLeave) {
                grid->model()->setHeaderData(column, Qt::Horizontal, caption);
            }
        });
}

bool LocalizeListBar(QWidget* window, Database* db) {
    return ApplyRows(
        db,
        QStringLiteral("select ObjectName,Index,GroupIndex,Caption,ListItemIndex,Text from "
                       "tSSListBar where FormName = ?"),
        window->objectName(), [&](Recordset& row) {
            QObject* control = FindControl(window, TextOf(row.Fields(0)), IndexOf(row.Fields(1)));
            auto* bar = qobject_cast<ListBar*>(control);
            if (!bar)
                NotSupported(control, "Groups");
            const int groupIndex = IndexOf(row.Fields(2));
            const int group = groupIndex == -1 ? bar->Group() : groupIndex;
            if (!bar->HasGroup(group)) {
                throw RunError(35600, QStringLiteral("Index out of bounds (group %1)").arg(group));
            }
            const QString caption = TextOf(row.Fields(3));
            if (caption != kLeave)
                bar->SetGroupCaption(group, caption);
            const int item = IndexOf(row.Fields(4));
            if (item != -1) {
                if (!bar->HasItem(group, item)) {
                    throw RunError(35600,
                                   QStringLiteral("Index out of bounds (item %1)").arg(item));
                }
                const QString text = TextOf(row.Fields(5));
                if (text != kLeave)
                    bar->SetItemText(group, item, text);
            }
        });
}

void LocalizeAccessibility(QWidget* window, Database* db) {
    if (!db)
        return;
    // Names are a help, not a need: a table that cannot be read, or a row
    // that names no control, leaves the names as they are.
    try {
        auto rows =
            db->OpenRecordset(QStringLiteral("select ObjectName,Index,Name,Description "
                                             "from tAccessible where FormName = ?"),
                              RecordsetType::ForwardOnly, rs::kReadOnly, {window->objectName()});
        for (; !rows->Eof(); rows->MoveNext()) {
            try {
                QObject* control =
                    FindControl(window, TextOf(rows->Fields(0)), IndexOf(rows->Fields(1)));
                auto* widget = qobject_cast<QWidget*>(control);
                if (!widget)
                    NotSupported(control, "AccessibleName");
                const QString name = TextOf(rows->Fields(2));
                if (!name.isEmpty())
                    widget->setAccessibleName(name);
                const QString description = TextOf(rows->Fields(3));
                if (!description.isEmpty())
                    widget->setAccessibleDescription(description);
            } catch (const RunError& e) {
                qCWarning(lcUi) << "screen-reader name of" << TextOf(rows->Fields(0))
                                << "left as is:" << e.Description();
            }
        }
    } catch (const RunError& e) {
        qCWarning(lcUi) << "no screen-reader names for" << window->objectName() << ":"
                        << e.Description();
    }
}

}  // namespace kestrel
