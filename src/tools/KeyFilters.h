#pragma once

#include <QString>

namespace kestrel {

// Key filters of the input boxes: each returns the key code to keep (raised
// to upper case where the box wants it) or 0 to drop the key. 8 is
// Backspace and always passes.
int FilterDigitKey(int keyCode);
int FilterHexKey(int keyCode);
int FilterStationKey(int keyCode);
int FilterRangeKey(int keyCode);

// The filter named by a dialog rule ("DIGIT_FILTER", "HEX_FILTER",
// "STN_FILTER", "ISDN_FILTER"); any other name lets every key through.
int FilterKeyByName(const QString& name, int keyCode);

}  // namespace kestrel
