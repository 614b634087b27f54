#include "core/Settings.h"

#include "core/TextRoutines.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cmath>
#include <utility>

namespace {

// A file changed within this span of the moment it was read may have changed again in the same
// tick of the file system's clock without its time showing it: such a copy is not trusted.
constexpr qint64 kRacyMs = 2000;

bool isSectionHeader(const QString& line, QString* name) {
    // Most lines are keys: look at the first character before building anything.
    const QStringView head = QStringView(line).trimmed();
    if (head.isEmpty() || head.front() != QLatin1Char('['))
        return false;
    const QString t = head.toString();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Index ranges [begin, end) of the key lines of every section of that name, in file order.
QList<QPair<int, int>> findSections(const QStringList& lines, const QString& section) {
    QList<QPair<int, int>> out;
    int open = -1;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (!isSectionHeader(lines.at(i), &name))
            continue;
        if (open >= 0)
            out.append({open, i});
        open = name.compare(section, Qt::CaseInsensitive) == 0 ? i + 1 : -1;
    }
    if (open >= 0)
        out.append({open, int(lines.size())});
    return out;
}

// The key of a key=value line, as written (blanks around it dropped); empty for other lines.
QStringView keyOf(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq > 0 ? QStringView(line).left(eq).trimmed() : QStringView();
}

int findKey(const QStringList& lines, int begin, int end, const QString& key) {
    for (int i = begin; i < end; ++i) {
        const QStringView k = keyOf(lines.at(i));
        if (!k.isEmpty() && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QLocale numberLocale() {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return loc;
}

} // namespace

TSettings::TSettings(const QString& settingsFile, const QString& section) : m_file(settingsFile), m_section(section) {}

const TSettings::IniFile& TSettings::load() const {
    const QFileInfo info(m_file);
    const bool exists = info.isFile();
    const qint64 size = exists ? info.size() : -1;
    const qint64 modified = exists ? info.lastModified().toMSecsSinceEpoch() : 0;
    if (m_loaded && exists == m_ini.exists && size == m_ini.size && modified == m_ini.modified &&
        m_ini.readAt - modified > kRacyMs)
        return m_ini;

    IniFile ini;
    ini.readAt = QDateTime::currentMSecsSinceEpoch();
    QFile f(m_file);
    if (exists && f.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = f.readAll();
        ini.exists = true;
        ini.size = size;
        ini.modified = modified;
        const QString text = decodeText(bytes, &ini.encoding);
        bool eolSeen = false;
        qsizetype start = 0;
        const qsizetype n = text.size();
        const QChar* data = text.constData();
        ini.lines.reserve(text.size() / 16);
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = data[i].unicode();
            if (c != u'\r' && c != u'\n')
                continue;
            const bool crlf = c == u'\r' && i + 1 < n && data[i + 1] == QLatin1Char('\n');
            const char end = crlf ? 'b' : c == u'\r' ? 'r' : 'n';
            ini.lines << text.mid(start, i - start);
            ini.ends += end;
            if (!eolSeen) {
                ini.eol = end;
                eolSeen = true;
            }
            if (crlf)
                ++i;
            start = i + 1;
        }
        if (start < n) {
            ini.lines << text.mid(start);
            ini.ends += '-';
        }
    }
    // Keys are looked up many times a second; the first line of each key in the sections answers.
    for (const auto& [begin, end] : findSections(ini.lines, m_section))
        for (int i = begin; i < end; ++i) {
            const QStringView k = keyOf(ini.lines.at(i));
            if (k.isEmpty())
                continue;
            const QString folded = k.toString().toCaseFolded();
            if (!ini.keys.contains(folded))
                ini.keys.insert(folded, i);
        }
    m_ini = ini;
    m_loaded = true;
    return m_ini;
}

QString TSettings::readRaw(const QString& key) const {
    const IniFile& ini = load();
    const auto it = ini.keys.constFind(key.toCaseFolded());
    if (it == ini.keys.constEnd())
        return {};
    const QString& line = ini.lines.at(*it);
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.isNull())
        value = QStringLiteral("");
    return value;
}

void TSettings::writeRaw(const QString& key, const QString& value) {
    IniFile ini = load();
    const QString entry = key + QLatin1Char('=') + value;
    // Every line gets an end before another follows it, so nothing is ever joined to the line before.
    auto insertLine = [&ini](int at, const QString& line) {
        if (at > 0 && ini.ends.at(at - 1) == '-')
            ini.ends[at - 1] = ini.eol;
        ini.lines.insert(at, line);
        ini.ends.insert(at, ini.eol);
    };
    const QList<QPair<int, int>> sections = findSections(ini.lines, m_section);
    int found = -1;
    for (const auto& [begin, end] : sections)
        if (found < 0)
            found = findKey(ini.lines, begin, end, key);
    if (found >= 0) {
        ini.lines[found] = entry;
    } else if (sections.isEmpty()) {
        insertLine(int(ini.lines.size()), QLatin1Char('[') + m_section + QLatin1Char(']'));
        insertLine(int(ini.lines.size()), entry);
    } else {
        const int begin = sections.first().first;
        int at = sections.first().second;   // after the last non-blank line of the section
        while (at > begin && ini.lines.at(at - 1).trimmed().isEmpty())
            --at;
        insertLine(at, entry);
    }
    QString text;
    for (int i = 0; i < ini.lines.size(); ++i) {
        text += ini.lines.at(i);
        const char end = ini.ends.at(i);
        if (end == 'b')
            text += QLatin1String("\r\n");
        else if (end != '-')
            text += QLatin1Char(end == 'r' ? '\r' : '\n');
    }
    const QByteArray out = encodeText(text, ini.encoding);
    QSaveFile f(m_file);
    QString reason;
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !commitSaveFile(f, reason))
        throw SettingsError(QStringLiteral("Cannot save the setting \"%1\" to \"%2\": %3")
                                .arg(key, m_file, reason.isEmpty() ? f.errorString() : reason)
                                .toStdString());
    // The next get reads the file again when its time says the copy could be stale.
    m_loaded = false;
}

QString TSettings::GetSetting(const QString& key, const QString& def) const {
    const QString raw = readRaw(key);
    return raw.isNull() ? def : raw;
}

bool TSettings::parseInteger(const QString& text, int& out) {
    bool ok = false;
    int v = 0;
    if (text.size() > 2 && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        // Colours are written as full 32-bit patterns, so hex text wraps into the signed range.
        const uint u = text.mid(2).toUInt(&ok, 16);
        v = int(u);
    } else {
        v = text.toInt(&ok, 10);
    }
    if (ok)
        out = v;
    return ok;
}

int TSettings::GetSetting(const QString& key, int def) const {
    const QString raw = readRaw(key);
    int v = def;
    if (raw.isNull() || !parseInteger(raw, v))
        return def;
    return v;
}

bool TSettings::GetSetting(const QString& key, bool def) const { return GetSetting(key, def ? 1 : 0) != 0; }

QString TSettings::formatFloat(double value) { return FloatText(value); }

double TSettings::GetSetting(const QString& key, double def) const {
    const QString text = GetSetting(key, formatFloat(def));
    bool ok = false;
    const double v = numberLocale().toDouble(text, &ok);
    // "nan" and "inf" convert, but no setting of the program means them.
    if (!ok || !std::isfinite(v))
        throw SettingsError(QStringLiteral("The setting \"%1\" in \"%2\" holds \"%3\", which is not a valid floating point value")
                                .arg(key, m_file, text)
                                .toStdString());
    return v;
}

void TSettings::SaveSetting(const QString& key, const QString& value) { writeRaw(key, value); }
void TSettings::SaveSetting(const QString& key, int value) { writeRaw(key, QString::number(value)); }
void TSettings::SaveSetting(const QString& key, bool value) { writeRaw(key, value ? QStringLiteral("1") : QStringLiteral("0")); }
void TSettings::SaveSetting(const QString& key, double value) { writeRaw(key, formatFloat(value)); }

// ---------------------------------------------------------------------------

bool TGlobalProps::IsUTC(const TSettings& s) {
    FisUTC = s.GetSetting(QStringLiteral("ISUTC"), FisUTC);
    return FisUTC;
}
void TGlobalProps::setIsUTC(TSettings& s, bool value) {
    FisUTC = value;
    s.SaveSetting(QStringLiteral("ISUTC"), value);
}
QString TGlobalProps::GridSquare(const TSettings& s) {
    FGridSquare = s.GetSetting(QStringLiteral("GridSquare"), QStringLiteral("DM42NF"));
    return FGridSquare;
}
void TGlobalProps::setGridSquare(TSettings& s, const QString& value) {
    FGridSquare = value;
    s.SaveSetting(QStringLiteral("GridSquare"), value);
}
double TGlobalProps::checkedCoordinate(const TSettings& s, const QString& key, double def, double limit) {
    const double v = s.GetSetting(key, def);
    if (std::abs(v) <= limit)
        return v;
    if (!m_noticed.contains(key)) {
        m_noticed << key;
        m_notices << QStringLiteral("The setting \"%1\" holds %2, outside -%3 to %3: %4 is used until Setup is saved")
                         .arg(key, s.GetSetting(key, QString()), QString::number(limit), TSettings::formatFloat(def));
    }
    return def;
}

QStringList TGlobalProps::takeSettingNotices() { return std::exchange(m_notices, {}); }

double TGlobalProps::Latitude(const TSettings& s) {
    FLatitude = checkedCoordinate(s, QStringLiteral("Latitude"), 32.22917, 90.0);
    return FLatitude;
}
void TGlobalProps::setLatitude(TSettings& s, double value) {
    FLatitude = value;
    s.SaveSetting(QStringLiteral("Latitude"), value);
}
double TGlobalProps::Longitude(const TSettings& s) {
    FLongitude = checkedCoordinate(s, QStringLiteral("Longitude"), -110.875, 180.0);
    return FLongitude;
}
void TGlobalProps::setLongitude(TSettings& s, double value) {
    FLongitude = value;
    s.SaveSetting(QStringLiteral("Longitude"), value);
}
TDisType TGlobalProps::DisType(const TSettings& s) {
    // One byte, as stored; the displays read any value but 0 and 1 as nautical miles.
    FDisType = TDisType(quint8(s.GetSetting(QStringLiteral("DisType"), 0)));
    return FDisType;
}
void TGlobalProps::setDisType(TSettings& s, TDisType value) {
    FDisType = value;
    s.SaveSetting(QStringLiteral("DisType"), int(value));
}
