#pragma once
// TextOut: a buffered byte writer for the large record files, plus the small byte-string helpers
// the record writers share (dates in the ULS form, Latin-1 case changes, number formatting).
// The files are written as raw bytes: Windows-1252 text, line ends chosen by the writer.
// Collaborators: UlsWriter, CanadianWriter.

#include <QFile>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace sampledata {

class TextOut {
public:
    explicit TextOut(const QString& path);
    ~TextOut();
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    void put(std::string_view bytes)
    {
        m_buffer.append(bytes);
        if (m_buffer.size() >= kFlushAt)
            flush();
    }
    void put(char c) { m_buffer.push_back(c); }
    void flush();
    void close();
    std::uint64_t bytesWritten() const { return m_written + m_buffer.size(); }

private:
    static constexpr std::size_t kFlushAt = 4u << 20;
    QFile m_file;
    std::string m_buffer;
    std::uint64_t m_written = 0;
};

// Days since 1970-01-01 of a civil date, and back (Hinnant's proleptic Gregorian algorithms).
std::int64_t daysFromCivil(int y, int m, int d);
void civilFromDays(std::int64_t days, int& y, int& m, int& d);
// "mm/dd/yyyy" as the ULS files write dates.
std::string ulsDate(std::int64_t days);
std::string isoDate(std::int64_t days);

// Case changes on Windows-1252 bytes, letters in the Latin-1 range included.
std::string upperLatin1(std::string_view s);
// First letter of every word upper case, the rest lower: how people type their names.
std::string titleLatin1(std::string_view s);
// QString to Windows-1252 bytes (every character the generator uses is in Latin-1).
std::string toLatin1(const QString& s);

std::string number(std::uint64_t value, int width = 0);

} // namespace sampledata
