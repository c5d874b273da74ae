// The yardstick of the start-up benchmark: a bare Qt Widgets window that
// says "painted" once it has first been painted, and ends.
#include <QApplication>
#include <QLabel>
#include <QTextStream>
#include <QVBoxLayout>

#include "platform/widgets/FirstPaintNotice.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Hello"), &window));
    kestrel::OnFirstPaint(&window, [] {
        QTextStream(stdout) << "painted" << Qt::endl;
        QApplication::quit();
    });
    window.show();
    return QApplication::exec();
}
