#include "RequestProgressStrip.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "localisation/Messages.h"

namespace kestrel {

namespace {
constexpr int kCancelCaption = 17;
constexpr int kEntriesDone = 18;
constexpr int kShowAfterMs = 300;
}  // namespace

RequestProgressStrip::RequestProgressStrip(QWidget* parent, int leftInset)
    : QFrame(parent), leftInset_(leftInset) {
    setObjectName(QStringLiteral("picProgress"));
    setProperty("typeName", QStringLiteral("SSPanel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 4, 10, 4);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("lblProgress"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("barProgress"));
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(text_);
    layout->addWidget(bar_, 1);
    layout->addWidget(cancel_);
    showLater_.setSingleShot(true);
    showLater_.setInterval(kShowAfterMs);
    connect(&showLater_, &QTimer::timeout, this, &QWidget::show);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelAsked_ = true;
        cancel_->setEnabled(false);  // one cancel per request
        emit cancelRequested();
    });
    hide();
    parent->installEventFilter(this);
}

bool RequestProgressStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        Place();
    return QFrame::eventFilter(watched, event);
}

void RequestProgressStrip::showEvent(QShowEvent* event) {
    Place();
    QFrame::showEvent(event);
}

void RequestProgressStrip::Place() {
    const QWidget* parent = parentWidget();
    const int height = sizeHint().height();
    setGeometry(leftInset_, parent->height() - height, parent->width() - leftInset_, height);
    raise();
}

void RequestProgressStrip::Start(int total) {
    cancel_->setText(Msg(kCancelCaption));
    AllowCancel();
    bar_->setRange(0, qMax(total, 1));
    SetProgress(0, total);
    showLater_.start();
}

void RequestProgressStrip::SetProgress(int done, int total) {
    bar_->setRange(0, qMax(total, 1));
    bar_->setValue(qBound(0, done, qMax(total, 1)));
    ShowCount(done, total);
}

void RequestProgressStrip::AllowCancel() {
    cancelAsked_ = false;
    cancel_->setEnabled(true);
}

void RequestProgressStrip::Finish() {
    showLater_.stop();
    hide();
}

void RequestProgressStrip::ShowCount(int done, int total) {
    text_->setText(Msg(kEntriesDone).arg(done).arg(total));
}

}  // namespace kestrel
