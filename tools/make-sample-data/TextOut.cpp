#include "TextOut.h"

#include <charconv>
#include <stdexcept>

namespace sampledata {

TextOut::TextOut(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + m_file.errorString().toStdString());
    m_buffer.reserve(kFlushAt + 4096);
}

TextOut::~TextOut()
{
    try {
        close();
    } catch (...) {
    }
}

void TextOut::flush()
{
    if (m_buffer.empty())
        return;
    if (m_file.write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size()))
        throw std::runtime_error("write failed on " + m_file.fileName().toStdString() + ": "
                                 + m_file.errorString().toStdString());
    m_written += m_buffer.size();
    m_buffer.clear();
}

void TextOut::close()
{
    if (!m_file.isOpen())
        return;
    flush();
    m_file.close();
}

std::int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = unsigned((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(std::int64_t(yoe) + era * 400 + (m <= 2));
}

static void twoDigits(char* out, int v)
{
    out[0] = char('0' + v / 10);
    out[1] = char('0' + v % 10);
}

std::string ulsDate(std::int64_t days)
{
    int y, m, d;
    civilFromDays(days, y, m, d);
    std::string s(10, '/');
    twoDigits(&s[0], m);
    twoDigits(&s[3], d);
    twoDigits(&s[6], y / 100);
    twoDigits(&s[8], y % 100);
    return s;
}

std::string isoDate(std::int64_t days)
{
    int y, m, d;
    civilFromDays(days, y, m, d);
    std::string s(10, '-');
    twoDigits(&s[0], y / 100);
    twoDigits(&s[2], y % 100);
    twoDigits(&s[5], m);
    twoDigits(&s[8], d);
    return s;
}

static bool isLowerLatin1(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
}

static bool isUpperLatin1(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

static char toUpperByte(char c)
{
    return isLowerLatin1((unsigned char)c) ? char((unsigned char)c - 0x20) : c;
}

static char toLowerByte(char c)
{
    return isUpperLatin1((unsigned char)c) ? char((unsigned char)c + 0x20) : c;
}

std::string upperLatin1(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = toUpperByte(c);
    return out;
}

std::string titleLatin1(std::string_view s)
{
    std::string out(s);
    bool afterLetter = false;
    for (char& c : out) {
        const unsigned char u = (unsigned char)c;
        const bool letter = isLowerLatin1(u) || isUpperLatin1(u);
        c = letter ? (afterLetter ? toLowerByte(c) : toUpperByte(c)) : c;
        afterLetter = letter;
    }
    return out;
}

std::string toLatin1(const QString& s)
{
    const QByteArray bytes = s.toLatin1();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::string number(std::uint64_t value, int width)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    std::string digits(buf, res.ptr);
    if (int(digits.size()) < width)
        digits.insert(0, std::size_t(width) - digits.size(), '0');
    return digits;
}

} // namespace sampledata
