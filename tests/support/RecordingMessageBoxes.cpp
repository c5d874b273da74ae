#include "RecordingMessageBoxes.h"

namespace kestrel::test {

int RecordingMessageBoxes::Show(const MessageBoxRequest& request) {
    shown.push_back(request);
    if (onShow)
        onShow(request);
    if (!answers.empty()) {
        const int button = answers.front();
        answers.pop_front();
        return button;
    }
    return FirstButton(request.flags);
}

}  // namespace kestrel::test
