// An exchange or host answer text, whole.
#include "FuzzInput.h"
#include "tools/AnswerCodes.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString answer = fuzz::Text(data, size);
    const int code = ClassifyAnswer(answer);
    fuzz::Require(code == code::kDataValue || IsExchangeAnswer(code) || (code >= 60 && code <= 94),
                  "an answer code from the table or -1");
    fuzz::Require(ClassifyAnswer(answer.right(25)) == code, "only the last 25 characters count");
    return 0;
}
