#pragma once

#include "../MessageBoxes.h"

namespace kestrel {

// Message boxes on QMessageBox: the flag sum decoded into buttons, icon and
// default button; a help reference opens the help viewer from the Help
// button or F1 and leaves the box open. Escape and the frame's close button
// answer OK or Cancel where the box has one; Yes/No and Abort/Retry/Ignore
// boxes wait for a button.
class QtMessageBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override;
    void Beep() override;
};

}  // namespace kestrel
