#pragma once

#include <QString>

namespace kestrel {

// Answer codes the callers give a meaning of their own.
namespace code {
constexpr int kDataValue = -1;
constexpr int kDigitError = 0;
constexpr int kCodeNotUsed = 3;
constexpr int kTrunkNotAssigned = 10;
constexpr int kTimeout = 60;
constexpr int kUserCancel = 61;
constexpr int kPortTroubles = 63;
constexpr int kSysError = 64;
constexpr int kCmdReadError = 65;
constexpr int kOk = 100;
constexpr int kNone = 101;
}  // namespace code

// The answer code of an exchange or host answer text: the last of the 57
// table texts that the last 25 characters begin with (case counts), or -1
// for a plain data value.
int ClassifyAnswer(const QString& answer);

// The exchange's own answers (0 to 15, 100 to 106), as against the host
// link's (60 to 94) and plain values (-1).
inline bool IsExchangeAnswer(int answerCode) {
    return (answerCode >= 0 && answerCode <= 15) || (answerCode >= 100 && answerCode <= 106);
}

}  // namespace kestrel
