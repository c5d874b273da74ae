#pragma once

#include "MessageBoxes.h"

namespace kestrel {

// Message boxes for an unattended session: each box is written to the
// standard output as one line and answered with its first button.
class PrintingMessageBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override;
    void Beep() override {}
};

}  // namespace kestrel
