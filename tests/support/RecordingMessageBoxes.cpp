#include "RecordingMessageBoxes.h"

namespace kestrel::test {

int RecordingMessageBoxes::Show(const MessageBoxRequest& request) {
    shown.push_back(request);
    if (!answers.empty()) {
        const int button = answers.front();
        answers.pop_front();
        return button;
    }
    switch (request.flags & mb::kButtonMask) {
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

}  // namespace kestrel::test
