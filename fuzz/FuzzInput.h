#pragma once

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kestrel::fuzz {

// The input as text, read as UTF-8 the way texts arrive from the host and
// the databases (invalid sequences become replacement characters).
inline QString Text(const std::uint8_t* data, std::size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The input as two texts: the first line, and everything after its line
// break (empty when there is none). Keeps the seed files readable.
inline std::pair<QString, QString> TwoTexts(const std::uint8_t* data, std::size_t size) {
    const void* nl = std::memchr(data, '\n', size);
    if (!nl)
        return {Text(data, size), QString()};
    const std::size_t first = static_cast<const std::uint8_t*>(nl) - data;
    return {Text(data, first), Text(data + first + 1, size - first - 1)};
}

// A property of the result that must hold for every input: a breach stops
// the run like a crash, with the message naming it.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace kestrel::fuzz
