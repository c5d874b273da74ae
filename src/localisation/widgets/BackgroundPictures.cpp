#include "BackgroundPictures.h"

#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPointer>

#include "WindowLocalizer.h"
#include "platform/FileOps.h"
#include "platform/Notices.h"
#include "platform/Recordset.h"
#include "platform/RunError.h"

namespace kestrel {

namespace {

int Index(const QVariant& v) {
    return v.isNull() ? -1 : v.toInt();
}

QPixmap LoadPicture(const QString& path) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        throw RunError(481, QStringLiteral("Invalid picture '%1'").arg(path));
    }
    return QPixmap::fromImage(image);
}

}  // namespace

bool LoadBackgrounds(QWidget* window, Database* langDb, Database* commonDb, std::int16_t set,
                     const QString& folder) {
    QPointer<QWidget> hiddenBase;
    try {
        if (!langDb || !commonDb) {
            throw ObjectNotSet();
        }
        QHash<QString, QString> names;
        auto map =
            commonDb->OpenRecordset(QStringLiteral("Select * From PictureFileName Where  ID = ?"),
                                    RecordsetType::Snapshot, 0, {set});
        // Picture names are keys: they match whatever their case.
        while (!map->Eof()) {
            const QString key = TextOf(map->Fields(QStringLiteral("DefaultName"))).toCaseFolded();
            if (!names.contains(key))
                names.insert(key, TextOf(map->Fields(QStringLiteral("FileName"))));
            map->MoveNext();
        }
        auto rows = langDb->OpenRecordset(
            QStringLiteral(
                "select ObjectName,Index,FileName,BasePanel,BasePanelIndex from tPicture "
                "where FormName = ?"),
            RecordsetType::ForwardOnly, rs::kReadOnly, {window->objectName()});
        while (!rows->Eof()) {
            QObject* control = FindControl(window, TextOf(rows->Fields(0)), Index(rows->Fields(1)));
            QString name = TextOf(rows->Fields(2));
            if (name != u"-1") {
                if (set != 0)
                    name = names.value(name.toCaseFolded(), name);
                const QString path = ResolvePath(folder + name);
                if (FileExists(path)) {
                    const QString type = control->property("typeName").toString();
                    if (type == u"SSTree" || type == u"SSListBar") {
                        auto* widget = qobject_cast<QWidget*>(control);
                        if (!widget)
                            throw RunError(
                                438,
                                QStringLiteral("Object doesn't support this property or method"));
                        LoadPicture(path);  // a file that is no picture fails here
                        // The picture stretches under the control's own look.
                        widget->setAttribute(Qt::WA_StyledBackground);
                        widget->setStyleSheet(
                            QStringLiteral("#%1 { border-image: url(\"%2\") 0 0 0 0 stretch "
                                           "stretch; }")
                                .arg(widget->objectName(), path));
                        widget->setProperty("pictureBackground", path);
                    } else {
                        auto* image = qobject_cast<QLabel*>(control);
                        if (!image)
                            throw RunError(
                                438,
                                QStringLiteral("Object doesn't support this property or method"));
                        const QString baseName = TextOf(rows->Fields(3));
                        QWidget* base = window;
                        if (baseName.compare(QStringLiteral("me"), Qt::CaseInsensitive) != 0) {
                            base = qobject_cast<QWidget*>(
                                FindControl(window, baseName, Index(rows->Fields(4))));
                            if (!base)
                                throw RunError(
                                    438, QStringLiteral(
                                             "Object doesn't support this property or method"));
                            const QString baseType = base->property("typeName").toString();
                            // A panel is hidden while its picture changes and
                            // shown afterwards, even one that was hidden before.
                            if (baseType == u"SSPanel" || baseType == u"PictureBox") {
                                hiddenBase = base;
                                base->hide();
                            }
                        }
                        image->move(0, 0);
                        image->resize(base->width(), base->height());
                        image->setPixmap(LoadPicture(path));
                        image->show();
                        image->lower();
                        if (hiddenBase) {
                            hiddenBase->show();
                            hiddenBase = nullptr;
                        }
                    }
                }
            }
            rows->MoveNext();
        }
        return true;
    } catch (const RunError& e) {
        if (hiddenBase && hiddenBase->isHidden())
            hiddenBase->show();
        ShowSystemFatalNotice(e);
        return false;
    }
}

}  // namespace kestrel
