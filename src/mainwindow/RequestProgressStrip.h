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
// disables, so Cancel stays usable while the window waits. It lies over the
// foot of its parent, beside `leftInset` pixels, rather than in its layout:
// showing or hiding it never changes the window's size.
class RequestProgressStrip : public QFrame {
    Q_OBJECT

public:
    RequestProgressStrip(QWidget* parent, int leftInset);

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowCount(int done, int total);
    void Place();

    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer showLater_;  // a quick request never flashes the strip
    bool cancelAsked_ = false;
    int leftInset_ = 0;
};

}  // namespace kestrel
