// A value laid into a template: the first line is the template, the rest
// the value.
#include "FuzzInput.h"
#include "tools/StringTools.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [format, value] = fuzz::TwoTexts(data, size);
    const QString result = ApplyDataFormat(value, format);
    if (format.isEmpty()) {
        fuzz::Require(result == value, "an empty template keeps the value");
    } else {
        // A leading character other than "0" is a prefix outside the template.
        const qsizetype prefix = format.at(0) != u'0' ? 1 : 0;
        const qsizetype templ = format.size() - prefix;
        fuzz::Require(result.size() == prefix + std::max(templ, value.size()),
                      "the template's width, or the value's when it is wider");
    }
    return 0;
}
