#include "FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

uint8_t FuzzInput::byte() {
    if (m_rest.empty())
        return 0;
    const auto b = static_cast<uint8_t>(m_rest.front());
    m_rest.remove_prefix(1);
    return b;
}

std::string_view FuzzInput::field(char separator) {
    const size_t at = m_rest.find(separator);
    const std::string_view out = m_rest.substr(0, at);
    m_rest.remove_prefix(at == std::string_view::npos ? m_rest.size() : at + 1);
    return out;
}

std::string_view FuzzInput::rest() {
    const std::string_view out = m_rest;
    m_rest = {};
    return out;
}

QString scratchFile(const char* name) {
    static QTemporaryDir dir;
    QM_FUZZ_CHECK(dir.isValid());
    return dir.filePath(QString::fromLatin1(name));
}

void writeScratch(const QString& file, std::string_view bytes) {
    QFile f(file);
    QM_FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QM_FUZZ_CHECK(f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
}
