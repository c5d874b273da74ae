#pragma once

#include "MessageNumbers.h"
#include "Messages.h"

// Common boxes shown from more than one place, under the tool's title.
namespace kestrel {

// "There is no trunk data to work with": nothing has been read with Get.
inline std::int16_t ShowNoTrunkData() {
    return LangMsgBox(kCommonSource, msgbox::common::kNoTrunkData, QString(), Msg(text::kBoxTitle));
}

// The link to the exchange failed during a request.
inline std::int16_t ShowLinkFailed() {
    return LangMsgBox(kCommonSource, msgbox::common::kLinkFailed, QString(), Msg(text::kBoxTitle));
}

}  // namespace kestrel
