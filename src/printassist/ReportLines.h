// Lines of a text report as the print assistant reads them: ended by CR LF, CR or LF.
#pragma once

#include <cstring>
#include <string_view>

namespace vtx {

/// Calls fn with each line of the data, its line end removed; a last line end adds no line.
template <typename Fn> void forEachLine(std::string_view data, Fn&& fn) {
    const char* const base = data.data();
    size_t p = 0;
    size_t nextLf = std::string_view::npos; // the first LF at or after p, once looked for
    while (p < data.size()) {
        if (nextLf == std::string_view::npos || nextLf < p) {
            const void* lf = std::memchr(base + p, '\n', data.size() - p);
            nextLf = lf ? size_t(static_cast<const char*>(lf) - base) : data.size();
        }
        size_t eol = nextLf;
        if (const void* cr = std::memchr(base + p, '\r', eol - p))
            eol = size_t(static_cast<const char*>(cr) - base);
        fn(data.substr(p, eol - p));
        p = eol;
        if (p < data.size() && data[p++] == '\r' && p < data.size() && data[p] == '\n')
            ++p;
    }
}

} // namespace vtx
