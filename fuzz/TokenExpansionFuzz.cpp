// A stored text: the first line is the text, the rest the "%"-separated
// values to insert.
#include "FuzzInput.h"
#include "localisation/TokenExpansion.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [text, values] = fuzz::TwoTexts(data, size);
    QString insert = values;
    ExpandTokens(text, insert);
    fuzz::Require(values.endsWith(insert), "what is left of the values is their tail");
    if (!text.contains(QStringLiteral("%ST")))
        fuzz::Require(insert == values, "no value is consumed without %ST");
    return 0;
}
