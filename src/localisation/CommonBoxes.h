#pragma once

#include "MessageNumbers.h"
#include "Messages.h"

// Boxes shown from more than one place.
namespace kestrel {

// "There is no trunk data to work with": nothing has been read with Get.
inline std::int16_t ShowNoTrunkData() {
    return LangMsgBox(kCommonSource, msgbox::common::kNoTrunkData, QString(), Msg(text::kBoxTitle));
}

// The link to the exchange failed during a request.
inline std::int16_t ShowLinkFailed() {
    return LangMsgBox(kCommonSource, msgbox::common::kLinkFailed, QString(), Msg(text::kBoxTitle));
}

// A Get was cancelled; `said` tells what it read before the cancel.
inline std::int16_t ShowGetCancelled(const QString& said) {
    return LangMsgBox(kOwnSource, msgbox::own::kGetCancelled, said, kProductTitle);
}

// The destination trunks could not be read (checked, or read for the safety
// net), for `reason`: nothing was written.
inline std::int16_t ShowDestinationsUnread(const QString& reason) {
    return LangMsgBox(kOwnSource, msgbox::own::kDestinationReadFailed, reason, kProductTitle);
}

}  // namespace kestrel
