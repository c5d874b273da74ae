#include "KeyFilters.h"

#include <QString>

namespace kestrel {

namespace {

constexpr int kBackspace = 8;

bool IsDigit(int k) {
    return k >= '0' && k <= '9';
}

}  // namespace

int FilterDigitKey(int keyCode) {
    return IsDigit(keyCode) || keyCode == kBackspace ? keyCode : 0;
}

int FilterHexKey(int keyCode) {
    if (IsDigit(keyCode) || keyCode == kBackspace || (keyCode >= 'A' && keyCode <= 'F')) {
        return keyCode;
    }
    if (keyCode >= 'a' && keyCode <= 'f')
        return keyCode - ('a' - 'A');
    return 0;
}

int FilterStationKey(int keyCode) {
    if (IsDigit(keyCode) || keyCode == kBackspace || keyCode == 'A' || keyCode == 'B') {
        return keyCode;
    }
    if (keyCode == 'a' || keyCode == 'b')
        return keyCode - ('a' - 'A');
    return 0;
}

int FilterRangeKey(int keyCode) {
    return IsDigit(keyCode) || keyCode == kBackspace || keyCode == '-' || keyCode == ',' ? keyCode
                                                                                         : 0;
}

int FilterKeyByName(const QString& filter, int keyCode) {
    if (filter == u"STN_FILTER" || filter == u"ISDN_FILTER")
        return FilterStationKey(keyCode);
    if (filter == u"DIGIT_FILTER")
        return FilterDigitKey(keyCode);
    if (filter == u"HEX_FILTER")
        return FilterHexKey(keyCode);
    return keyCode;
}

}  // namespace kestrel
