// A list and its separator: the first line is the separator, the rest the
// text.
#include "FuzzInput.h"
#include "tools/StringTools.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [sep, text] = fuzz::TwoTexts(data, size);
    const QStringList before{QStringLiteral("kept")};
    QStringList pieces = before;
    const int last = SplitList(text, pieces, sep);
    if (last < 0) {
        fuzz::Require(last == -1 && pieces == before, "no piece leaves the list alone");
        return 0;
    }
    fuzz::Require(pieces.size() == last + 1, "the last index matches the pieces");
    for (const QString& piece : pieces)
        fuzz::Require(!piece.isEmpty() && !piece.contains(sep), "pieces are whole and not empty");
    fuzz::Require(text.startsWith(pieces.join(sep)), "the pieces are the text in order");
    return 0;
}
