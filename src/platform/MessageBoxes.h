#pragma once

#include <QString>
#include <optional>

namespace kestrel {

// Flag values of a message box, summed as the language databases name them.
namespace mb {
constexpr int kButtonMask = 0x7;
constexpr int kIconMask = 0x70;
constexpr int kDefaultMask = 0x300;
constexpr int kOkOnly = 0;
constexpr int kOkCancel = 1;
constexpr int kAbortRetryIgnore = 2;
constexpr int kYesNoCancel = 3;
constexpr int kYesNo = 4;
constexpr int kRetryCancel = 5;
constexpr int kCritical = 16;
constexpr int kQuestion = 32;
constexpr int kExclamation = 48;
constexpr int kInformation = 64;
constexpr int kHelpButton = 16384;
}  // namespace mb

// Codes of the button pressed.
namespace answer {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAbort = 3;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kYes = 6;
constexpr int kNo = 7;
}  // namespace answer

// The code of the first button of a flag sum's button set: what a box
// answers when nobody is there to choose.
inline int FirstButton(int flags) {
    switch (flags & mb::kButtonMask) {
        case mb::kAbortRetryIgnore:
            return answer::kAbort;
        case mb::kYesNoCancel:
        case mb::kYesNo:
            return answer::kYes;
        case mb::kRetryCancel:
            return answer::kRetry;
        default:
            return answer::kOk;
    }
}

struct MessageBoxRequest {
    QString prompt;
    int flags = 0;
    // No title of its own: the application title is shown.
    std::optional<QString> title;
    // A help reference: file and context; none when context is empty.
    QString helpFile;
    std::optional<int> context;
};

// The one way the tool asks or tells the engineer something. Show is modal
// and returns the code of the button pressed (1 OK ... 7 No).
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int Show(const MessageBoxRequest& request) = 0;
    virtual void Beep() = 0;
};

}  // namespace kestrel
