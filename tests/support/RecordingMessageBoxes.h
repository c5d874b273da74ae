#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/MessageBoxes.h"

namespace kestrel::test {

// Records every box and answers with scripted buttons; without a script it
// presses the first button of the box's set.
class RecordingMessageBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override {
        shown.push_back(request);
        if (onShow)
            onShow(request);
        if (answers.empty())
            return FirstButton(request.flags);
        const int button = answers.front();
        answers.pop_front();
        return button;
    }
    void Beep() override { ++beeps; }

    void Script(std::initializer_list<int> buttons) { answers.insert(answers.end(), buttons); }
    const MessageBoxRequest& Last() const { return shown.back(); }
    void Clear() {
        shown.clear();
        answers.clear();
        beeps = 0;
    }

    std::vector<MessageBoxRequest> shown;
    std::deque<int> answers;
    int beeps = 0;
    // Called as each box is shown, to look at the world while it is open.
    std::function<void(const MessageBoxRequest&)> onShow;
};

}  // namespace kestrel::test
