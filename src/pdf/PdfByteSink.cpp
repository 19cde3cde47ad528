// Buffered binary output with a byte counter.
#include "PdfByteSink.h"

namespace vtx::pdf {

ByteSink::~ByteSink() {
    close();
}

bool ByteSink::open(const std::string& path) {
    close();
    m_position = 0;
    m_failed = false;
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file)
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    return m_file != nullptr;
}

void ByteSink::write(std::string_view bytes) {
    if (!m_file)
        return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_failed = true;
    m_position += static_cast<long long>(bytes.size());
}

bool ByteSink::close() {
    if (m_file) {
        if (std::fclose(m_file) != 0)
            m_failed = true;
        m_file = nullptr;
    }
    return !m_failed;
}

} // namespace vtx::pdf
