#pragma once

#include <QStringList>

#include "MessageBoxes.h"

namespace kestrel {

// Message boxes for an unattended session: each box is written to the
// standard output as one line and answered with its first button.
class PrintingMessageBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override;
    void Beep() override {}
    // The prompts shown since the last call, oldest first: what an
    // unattended session checks the engineer was told.
    QStringList TakeShown();

private:
    QStringList shown_;
};

}  // namespace kestrel
