#pragma once

#include <QDialog>
#include <QPointer>
#include <utility>

namespace kestrel {

// A modal dialog made on the heap for one exec() and deleted afterwards. Its
// parent may go while it runs (the host going away takes the window and
// everything on it): the parent then deletes it, exec() answers Rejected and
// nothing is deleted twice, which a dialog on the stack would be.
template <typename Dialog>
class OwnedDialog {
public:
    template <typename... Args>
    explicit OwnedDialog(Args&&... args) : dialog_(new Dialog(std::forward<Args>(args)...)) {}
    ~OwnedDialog() { delete dialog_.data(); }
    OwnedDialog(const OwnedDialog&) = delete;
    OwnedDialog& operator=(const OwnedDialog&) = delete;

    Dialog* get() const { return dialog_.data(); }
    Dialog* operator->() const { return dialog_.data(); }
    // False once the dialog has gone with its parent.
    explicit operator bool() const { return !dialog_.isNull(); }
    int Exec() { return dialog_ ? dialog_->exec() : QDialog::Rejected; }

private:
    QPointer<Dialog> dialog_;
};

// Closes every pop-up menu and modal dialog of the application, innermost
// first, so the loops they run return with their cancelling answer. Returns
// how many it closed.
int CloseModalWidgets();

}  // namespace kestrel
