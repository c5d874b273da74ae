#pragma once

#include "../MessageBoxes.h"

namespace kestrel {

// Message boxes on QMessageBox: the flag sum decoded into buttons, icon and
// default button; a help reference opens the help viewer from the Help
// button or F1 and leaves the box open.
class QtMessageBoxes : public MessageBoxes {
public:
    int Show(const MessageBoxRequest& request) override;
    void Beep() override;
};

}  // namespace kestrel
