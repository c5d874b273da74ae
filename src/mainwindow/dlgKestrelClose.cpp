// Closing the window while a request is under way: the frame's close and
// the host's close ask first, and stop the request after the entries in
// flight, so that nothing is written that the journal does not hold.
#include <QApplication>
#include <QTimer>

#include "dlgKestrel.h"
#include "hostlink/RequestDispatcher.h"
#include "localisation/CommonBoxes.h"
#include "localisation/MessageNumbers.h"
#include "localisation/Messages.h"
#include "session/TrunkCopySession.h"

namespace kestrel {

namespace {
constexpr int kYes = 6;
constexpr int kPollMs = 100;
}  // namespace

dlgKestrel::CloseAnswer dlgKestrel::QueryUnload() {
    if (!loaded_ || !session_->Busy())
        return CloseAnswer::Now;
    if (closeWhenStopped_)
        return CloseAnswer::Stopping;
    const bool writing = session_->Writing();
    const int answer = LangMsgBox(
        kOwnSource, writing ? msgbox::own::kCloseWhileWriting : msgbox::own::kCloseWhileReading,
        DestinationText(), kProductTitle);
    if (answer != kYes)
        return CloseAnswer::KeptOpen;
    // The answer may have come while the engineer was asked.
    if (!session_->Busy())
        return CloseAnswer::Now;
    closeWhenStopped_ = true;
    session_->Dispatcher().CancelRequest(progressRequest_);
    session_->Dispatcher().ShowHostMessage(Msg(text::kClosingAfterCopy));
    UnloadWhenStopped();
    return CloseAnswer::Stopping;
}

void dlgKestrel::UnloadWhenStopped() {
    if (!loaded_)
        return;
    // What is left of the copy (its read-back, its summary and journal
    // entry) runs to its end first; a box still open is answered first.
    if (session_->Busy() || QApplication::activeModalWidget()) {
        // A later batch of the copy gets the same stop as the first.
        if (session_->Dispatcher().RequestInFlight() && !progressRequest_.isEmpty() &&
            session_->Writing())
            session_->Dispatcher().CancelRequest(progressRequest_);
        QTimer::singleShot(kPollMs, this, [this] { UnloadWhenStopped(); });
        return;
    }
    closeWhenStopped_ = false;
    Unload();
}

}  // namespace kestrel
