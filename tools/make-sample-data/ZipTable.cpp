#include "ZipTable.h"

#include "TextOut.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <stdexcept>

namespace sampledata {

ZipTable::ZipTable(const QString& path) : m_usZips(100000, false)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the zip table " + path.toStdString() + ": "
                                 + file.errorString().toStdString());
    const QByteArray all = file.readAll();
    // Only the first three fields are used, and none of them is ever quoted in this table.
    for (const QByteArray& rawLine : all.split('\n')) {
        const QByteArray line = rawLine.endsWith('\r') ? rawLine.chopped(1) : rawLine;
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 3 || fields[0].isEmpty() || fields[2].size() != 2)
            continue;
        ZipRow row;
        row.code = fields[0].toStdString();
        row.city = toLatin1(QString::fromUtf8(fields[1]));
        row.state = fields[2].toStdString();
        const char first = row.code[0];
        if (first >= '0' && first <= '9') {
            if (row.code.size() != 5)
                continue;
            m_usZips[std::size_t(std::stoi(row.code))] = true;
            m_us.push_back(std::move(row));
        } else if (row.code.size() == 3) {
            m_canada.push_back(std::move(row));
        }
    }
    if (m_us.empty())
        throw std::runtime_error("the zip table " + path.toStdString() + " holds no US rows");
}

bool ZipTable::hasCanadianArea(const std::string& area) const
{
    return std::any_of(m_canada.begin(), m_canada.end(), [&](const ZipRow& r) { return r.code == area; });
}

} // namespace sampledata
