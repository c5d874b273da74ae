#pragma once

#include <QString>

#include "cListRequest.h"

namespace kestrel {

// The longest text a record carries in any field or entry. Trunk data,
// item keys and the exchange's answers are a few characters long, and the
// work tables keep each value in a text field of at most 255 characters:
// anything longer is not an answer of an exchange.
constexpr int kMaxRecordText = 255;

// Why a record cannot be taken (the first field or entry too long, named),
// or the empty text when it can. Reads each text once: it never costs more
// than the record's size, whatever the host sent.
QString RecordFault(const cListRequest& record);

}  // namespace kestrel
