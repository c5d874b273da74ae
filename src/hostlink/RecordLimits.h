#pragma once

#include <QString>

#include "cListRequest.h"

namespace kestrel {

// The longest text an answer carries in a list the tool reads (CMD,
// FirstData, SecondData, ExtraData). Trunk data, item keys and the
// exchange's answers are a few characters long, and the work tables keep
// each value in a text field of at most 255 characters: anything longer is
// not an answer of an exchange. The other fields are the host's own and
// are never read, so their length does not matter.
constexpr int kMaxRecordText = 255;

// Why a record cannot be taken as an answer (it arrived unreadable, or the
// first entry too long, named), or the empty text when it can. Reads each
// text once: it never costs more than the record's size.
QString RecordFault(const cListRequest& record);

}  // namespace kestrel
