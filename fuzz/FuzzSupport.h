#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace QuillfenFuzz {

// A broken property ends the run with a message; libFuzzer keeps the input.
inline void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// Takes bytes from the front of the input, for targets that need choices
// besides their main text.
class Reader
{
public:
    Reader(const std::uint8_t *data, std::size_t size)
        : m_data(reinterpret_cast<const char *>(data)), m_size(size)
    {}

    std::uint8_t byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return std::uint8_t(*m_data++);
    }
    // A UTF-8 string of up to max bytes, cut at the next NUL byte.
    QString string(std::size_t max)
    {
        std::size_t n = 0;
        while (n < m_size && n < max && m_data[n] != '\0')
            ++n;
        const QString s = QString::fromUtf8(m_data, qsizetype(n));
        const std::size_t used = n < m_size ? n + 1 : n;
        m_data += used;
        m_size -= used;
        return s;
    }
    QByteArrayView rest() const { return QByteArrayView(m_data, qsizetype(m_size)); }

private:
    const char *m_data;
    std::size_t m_size;
};

} // namespace QuillfenFuzz
