// The output file of the PDF writer: raw bytes with a running byte count.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vtx::pdf {

/// Writes bytes unchanged to one file and counts them; offsets in the file are its position.
class ByteSink {
public:
    ByteSink() = default;
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;
    ~ByteSink();

    /// Creates or empties the file; false when it cannot be created.
    bool open(const std::string& path);
    bool isOpen() const { return m_file != nullptr; }
    void write(std::string_view bytes);
    long long position() const { return m_position; }
    /// Closes the file; false when any write or the close failed.
    bool close();
    bool failed() const { return m_failed; }

private:
    std::FILE* m_file = nullptr;
    long long m_position = 0;
    bool m_failed = false;
};

} // namespace vtx::pdf
