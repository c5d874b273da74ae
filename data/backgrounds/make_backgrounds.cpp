// Draws the shipped background sets into a folder: soft gradients with a
// faint line pattern, light enough that text over them stays readable.
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace {

struct Palette {
    const char* suffix;
    QColor windowTop, windowBottom, menuTop, menuBottom, line;
};

void Window(const Palette& p, const QString& path) {
    QImage image(1200, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 800);
    gradient.setColorAt(0, p.windowTop);
    gradient.setColorAt(1, p.windowBottom);
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(p.line, 1.2));
    for (int i = -800; i < 1200; i += 48) {
        QPainterPath wave;
        wave.moveTo(i, 800);
        wave.cubicTo(i + 200, 520, i + 400, 700, i + 800, 0);
        painter.drawPath(wave);
    }
    image.save(path);
}

void Menu(const Palette& p, const QString& path) {
    QImage image(200, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 200, 800);
    gradient.setColorAt(0, p.menuTop);
    gradient.setColorAt(1, p.menuBottom);
    painter.fillRect(image.rect(), gradient);
    QColor rule = p.menuTop.lighter(130);
    rule.setAlpha(70);
    painter.setPen(QPen(rule, 1));
    for (int y = 0; y < 800; y += 6)
        painter.drawLine(0, y, 200, y);
    image.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    const Palette sets[] = {
        {"", QColor(0xee, 0xf1, 0xf4), QColor(0xd9, 0xe1, 0xe8), QColor(0x2a, 0x40, 0x55),
         QColor(0x1b, 0x2c, 0x3b), QColor(0xcf, 0xd8, 0xe0)},
        {"_slate", QColor(0xe4, 0xe9, 0xee), QColor(0xc8, 0xd2, 0xdc), QColor(0x33, 0x3f, 0x4b),
         QColor(0x1f, 0x27, 0x2f), QColor(0xbc, 0xc7, 0xd2)},
        {"_sand", QColor(0xf6, 0xf1, 0xe7), QColor(0xe8, 0xdd, 0xc8), QColor(0x4a, 0x3f, 0x2f),
         QColor(0x2e, 0x27, 0x1d), QColor(0xe0, 0xd3, 0xbb)},
    };
    for (const Palette& p : sets) {
        Window(p, folder + QStringLiteral("window%1.png").arg(QLatin1String(p.suffix)));
        Menu(p, folder + QStringLiteral("menu%1.png").arg(QLatin1String(p.suffix)));
    }
    return 0;
}
