#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel {

// The strip at the foot of the main window that follows a long request of
// the built-in host: entries done of the total, and a Cancel that asks the
// exchange to stop. It lies outside the part of the window a request
// disables, so Cancel stays usable while the window waits.
class RequestProgressStrip : public QFrame {
    Q_OBJECT

public:
    explicit RequestProgressStrip(QWidget* parent = nullptr);

    // A request of `total` entries has started; the strip shows once it has
    // taken longer than a moment.
    void Start(int total);
    void SetProgress(int done, int total);
    // The request has ended (answered, refused or cancelled).
    void Finish();
    bool CancelAsked() const { return cancelAsked_; }
    // The cancel did not reach the request: Cancel may be pressed again.
    void AllowCancel();

signals:
    void cancelRequested();

private:
    void ShowCount(int done, int total);

    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer showLater_;  // a quick request never flashes the strip
    bool cancelAsked_ = false;
};

}  // namespace kestrel
