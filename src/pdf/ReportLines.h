// Lines of a text report as the print assistant reads them: ended by CR LF, CR or LF.
#pragma once

#include <string_view>

namespace vtx {

/// Calls fn with each line of the data, its line end removed; a last line end adds no line.
template <typename Fn> void forEachLine(std::string_view data, Fn&& fn) {
    size_t p = 0;
    while (p < data.size()) {
        size_t eol = data.find_first_of("\r\n", p);
        if (eol == std::string_view::npos)
            eol = data.size();
        fn(data.substr(p, eol - p));
        p = eol;
        if (p < data.size() && data[p++] == '\r' && p < data.size() && data[p] == '\n')
            ++p;
    }
}

} // namespace vtx
