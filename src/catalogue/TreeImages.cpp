#include "TreeImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kestrel {

namespace {

constexpr int kSize = 32;

QPixmap Canvas() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Tick(QPainter& p, const QColor& colour, qreal width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(9, 17);
    tick.lineTo(14, 22);
    tick.lineTo(24, 10);
    p.drawPath(tick);
}

void Dots(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int x : {9, 16, 23})
        p.drawEllipse(QPointF(x, 16), 2.6, 2.6);
}

QPolygonF Diamond() {
    return QPolygonF({QPointF(16, 2), QPointF(30, 16), QPointF(16, 30), QPointF(2, 16)});
}

QPixmap DrawTreeImage(const QString& key) {
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(4, 4, 24, 24);
    if (key == image::kNum) {
        // A title: a filled slate tag with ruled lines.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3b, 0x5b, 0x7a));
        p.drawRoundedRect(box, 5, 5);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        for (int y : {11, 16, 21})
            p.drawLine(QPointF(10, y), QPointF(22, y));
    } else if (key == image::kCheck) {
        // The value as read: green tick in a green ring.
        p.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 2.2));
        p.setBrush(QColor(0xe8, 0xf5, 0xe9));
        p.drawEllipse(box);
        Tick(p, QColor(0x2e, 0x7d, 0x32), 3.2);
    } else if (key == image::kBlank) {
        // A plain choice not taken: an empty grey ring.
        p.setPen(QPen(QColor(0x90, 0x98, 0xa0), 2.0));
        p.setBrush(Qt::white);
        p.drawEllipse(box);
    } else if (key == image::kEdit) {
        // A plain choice the engineer made: orange diamond with a white
        // tick; a diamond, not a ring, so it differs from the value read
        // without colour.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe6, 0x7e, 0x22));
        p.drawPolygon(Diamond());
        Tick(p, Qt::white, 3.2);
    } else if (key == image::kMore) {
        // Needs additional data: a blue-grey square with an ellipsis.
        p.setPen(QPen(QColor(0x54, 0x6e, 0x7a), 2.0));
        p.setBrush(QColor(0xec, 0xef, 0xf1));
        p.drawRoundedRect(box, 4, 4);
        Dots(p, QColor(0x54, 0x6e, 0x7a));
    } else if (key == image::kMedit) {
        // Additional data entered: orange diamond with white dots, the
        // engineer's choice in the shape of every choice.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe6, 0x7e, 0x22));
        p.drawPolygon(Diamond());
        Dots(p, Qt::white);
    }
    return pixmap;
}

QPixmap DrawCommandImage(const QString& name) {
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x26, 0x4a, 0x6e);
    const QColor fill(0xdd, 0xe8, 0xf3);
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    const QString n = name.toLower();
    if (n == u"tree") {
        p.drawRect(QRectF(5, 4, 9, 7));
        p.drawRect(QRectF(17, 13, 10, 6));
        p.drawRect(QRectF(17, 23, 10, 6));
        p.drawLine(QPointF(9, 11), QPointF(9, 26));
        p.drawLine(QPointF(9, 16), QPointF(17, 16));
        p.drawLine(QPointF(9, 26), QPointF(17, 26));
    } else if (n == u"grid") {
        p.drawRect(QRectF(4, 5, 24, 22));
        for (int y : {12, 19})
            p.drawLine(QPointF(4, y), QPointF(28, y));
        p.drawLine(QPointF(12, 5), QPointF(12, 27));
    } else if (n == u"get" || n == u"set") {
        // A cabinet of trunk data with an arrow out (get) or in (set).
        p.drawRoundedRect(QRectF(5, 16, 22, 11), 2, 2);
        p.setPen(QPen(n == u"get" ? QColor(0x2e, 0x7d, 0x32) : QColor(0xc6, 0x28, 0x28), 3.0,
                      Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const bool up = n == u"get";
        p.drawLine(QPointF(16, up ? 20 : 3), QPointF(16, up ? 4 : 19));
        p.drawLine(QPointF(10, up ? 10 : 13), QPointF(16, up ? 4 : 19));
        p.drawLine(QPointF(22, up ? 10 : 13), QPointF(16, up ? 4 : 19));
    } else if (n == u"print") {
        p.drawRect(QRectF(9, 4, 14, 9));
        p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 9));
    } else if (n == u"help") {
        p.drawEllipse(QRectF(4, 4, 24, 24));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(17);
        p.setFont(f);
        p.drawText(QRectF(4, 4, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
    } else if (n == u"hide") {
        p.drawRoundedRect(QRectF(4, 6, 24, 20), 2, 2);
        p.drawLine(QPointF(10, 20), QPointF(22, 20));
    } else if (n == u"preview") {
        // A sheet under a magnifying glass.
        p.drawRect(QRectF(4, 4, 16, 20));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(13, 13, 11, 11));
        p.drawLine(QPointF(22.5, 22.5), QPointF(28, 28));
    } else if (n == u"undo") {
        // A curved arrow back, drawn broad so it shows on a dark bar too.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(fill, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawArc(QRectF(8, 9, 18, 17), 90 * 16, -220 * 16);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(fill);
        p.drawPolygon(QPolygonF({QPointF(9, 9), QPointF(18, 3), QPointF(18, 15)}));
    } else if (n == u"history") {
        // A clock face.
        p.drawEllipse(QRectF(4, 4, 24, 24));
        p.drawLine(QPointF(16, 16), QPointF(16, 8));
        p.drawLine(QPointF(16, 16), QPointF(22, 19));
    } else if (n == u"exit") {
        p.drawRoundedRect(QRectF(4, 5, 14, 22), 2, 2);
        p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(13, 16), QPointF(28, 16));
        p.drawLine(QPointF(23, 11), QPointF(28, 16));
        p.drawLine(QPointF(23, 21), QPointF(28, 16));
    }
    return pixmap;
}

}  // namespace

const QStringList& TreeImageKeys() {
    static const QStringList keys = {image::kNum,   image::kEdit, image::kCheck,
                                     image::kMedit, image::kMore, image::kBlank};
    return keys;
}

QIcon TreeImage(const QString& key) {
    static QHash<QString, QIcon> cache;
    if (!TreeImageKeys().contains(key))
        return QIcon();
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.insert(key, QIcon(DrawTreeImage(key)));
    return *found;
}

QIcon CommandImage(const QString& name) {
    static QHash<QString, QIcon> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.insert(name, QIcon(DrawCommandImage(name)));
    return *found;
}

}  // namespace kestrel
