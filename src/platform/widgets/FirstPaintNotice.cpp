#include "FirstPaintNotice.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace kestrel {

namespace {

class FirstPaintFilter : public QObject {
public:
    FirstPaintFilter(QWidget* window, std::function<void()> then)
        : QObject(window), then_(std::move(then)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // The paint runs after this filter: call back once it is done.
            QTimer::singleShot(0, this, [this] {
                then_();
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> then_;
    bool seen_ = false;
};

}  // namespace

void OnFirstPaint(QWidget* window, std::function<void()> then) {
    window->installEventFilter(new FirstPaintFilter(window, std::move(then)));
}

}  // namespace kestrel
