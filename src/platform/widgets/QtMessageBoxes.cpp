#include "QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <vector>

#include "../AppInfo.h"
#include "HelpViewer.h"
#include "ModalWidgets.h"

namespace kestrel {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<ButtonChoice> ButtonsFor(int flags) {
    switch (flags & mb::kButtonMask) {
        case mb::kOkCancel:
            return {{QMessageBox::Ok, answer::kOk}, {QMessageBox::Cancel, answer::kCancel}};
        case mb::kAbortRetryIgnore:
            return {{QMessageBox::Abort, answer::kAbort},
                    {QMessageBox::Retry, answer::kRetry},
                    {QMessageBox::Ignore, answer::kIgnore}};
        case mb::kYesNoCancel:
            return {{QMessageBox::Yes, answer::kYes},
                    {QMessageBox::No, answer::kNo},
                    {QMessageBox::Cancel, answer::kCancel}};
        case mb::kYesNo:
            return {{QMessageBox::Yes, answer::kYes}, {QMessageBox::No, answer::kNo}};
        case mb::kRetryCancel:
            return {{QMessageBox::Retry, answer::kRetry}, {QMessageBox::Cancel, answer::kCancel}};
        default:
            return {{QMessageBox::Ok, answer::kOk}};
    }
}

QMessageBox::Icon IconFor(int flags) {
    switch (flags & mb::kIconMask) {
        case mb::kCritical:
            return QMessageBox::Critical;
        case mb::kQuestion:
            return QMessageBox::Question;
        case mb::kExclamation:
            return QMessageBox::Warning;
        case mb::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// Keeps a box open on Escape and on its frame's close button, for button
// sets without a cancelling answer: such a box answers only by a button.
class AnswerOnlyByButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
            return true;
        }
        // The frame's close button; a button's own closing of the box is
        // not spontaneous and passes.
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

bool HasCancellingAnswer(int flags) {
    const int buttonSet = flags & mb::kButtonMask;
    return buttonSet != mb::kYesNo && buttonSet != mb::kAbortRetryIgnore;
}

}  // namespace

namespace {

// Closed by Escape or the window frame, which only a box with a cancelling
// answer allows: OK alone answers OK, the others Cancel. (A box ended from
// outside, the application quitting or its window going with the host,
// answers its cancelling choice as well: No, or Abort.)
int CancellingAnswer(int flags) {
    const int buttonSet = flags & mb::kButtonMask;
    if (buttonSet == mb::kOkOnly)
        return answer::kOk;
    if (buttonSet == mb::kYesNo)
        return answer::kNo;
    if (buttonSet == mb::kAbortRetryIgnore)
        return answer::kAbort;
    return answer::kCancel;
}

}  // namespace

int QtMessageBoxes::Show(const MessageBoxRequest& request) {
    // On the heap: the window it belongs to may be torn down while the box
    // waits (the host went away), and takes the box with it.
    OwnedDialog<QMessageBox> box(QApplication::activeWindow());
    box->setIcon(IconFor(request.flags));
    box->setWindowTitle(request.title.value_or(App().Title));
    // A lone carriage return is the stored line break.
    QString text = request.prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    box->setText(text);
    const std::vector<ButtonChoice> choices = ButtonsFor(request.flags);
    std::vector<QAbstractButton*> buttons;
    buttons.reserve(choices.size());
    for (const ButtonChoice& choice : choices) {
        buttons.push_back(box->addButton(choice.button));
    }
    const auto defaultIndex = static_cast<size_t>((request.flags & mb::kDefaultMask) >> 8);
    if (defaultIndex < buttons.size()) {
        box->setDefaultButton(qobject_cast<QPushButton*>(buttons[defaultIndex]));
    }
    const bool hasHelp = request.context.has_value();
    // The flag shows the Help button; without a help reference it does
    // nothing. It never answers the box: the topic opens beside it while the
    // question still stands.
    const auto showHelp = [&request, &box] {
        HelpViewer::ShowTopic(request.helpFile, *request.context, box.get());
    };
    if ((request.flags & mb::kHelpButton) != 0) {
        QAbstractButton* help = box->addButton(QMessageBox::Help);
        QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
        if (hasHelp)
            QObject::connect(help, &QAbstractButton::clicked, box.get(), showHelp);
    }
    AnswerOnlyByButton holdOpen;
    if (!HasCancellingAnswer(request.flags)) {
        box->installEventFilter(&holdOpen);
    } else {
        // Named, not left to the box to guess: beside Help, OK alone is no
        // longer a lone button, and Escape would do nothing.
        for (size_t i = 0; i < choices.size(); ++i) {
            if (choices[i].code == CancellingAnswer(request.flags))
                box->setEscapeButton(buttons[i]);
        }
    }
    if (hasHelp) {
        auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), box.get());
        QObject::connect(f1, &QShortcut::activated, box.get(), showHelp);
    }
    box.Exec();
    if (!box)
        return CancellingAnswer(request.flags);
    QAbstractButton* clicked = box->clickedButton();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (clicked == buttons[i])
            return choices[i].code;
    }
    return CancellingAnswer(request.flags);
}

void QtMessageBoxes::Beep() {
    QApplication::beep();
}

}  // namespace kestrel
