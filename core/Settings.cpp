#include "core/Settings.h"

#include "core/TextRoutines.h"

#include <QFile>
#include <cmath>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

struct IniLines {
    QStringList lines;
    QString eol = QStringLiteral("\r\n");
};

IniLines loadLines(const QString& file) {
    IniLines ini;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return ini;
    const QByteArray bytes = f.readAll();
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3));
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8(bytes);
        if (utf8.hasError())
            text = QString::fromLatin1(bytes);
    }
    if (!text.contains(QLatin1Char('\r')))
        ini.eol = QStringLiteral("\n");
    text.remove(QLatin1Char('\r'));
    ini.lines = text.split(QLatin1Char('\n'));
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return ini;
}

bool isSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Index range [begin, end) of the section's key lines; begin == -1 when the section is missing.
void findSection(const QStringList& lines, const QString& section, int& begin, int& end) {
    begin = -1;
    end = int(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (!isSectionHeader(lines.at(i), &name))
            continue;
        if (begin >= 0) {
            end = i;
            return;
        }
        if (name.compare(section, Qt::CaseInsensitive) == 0)
            begin = i + 1;
    }
}

int findKey(const QStringList& lines, int begin, int end, const QString& key) {
    for (int i = begin; i < end; ++i) {
        const QString& line = lines.at(i);
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
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

QString TSettings::readRaw(const QString& key) const {
    const IniLines ini = loadLines(m_file);
    int begin = 0;
    int end = 0;
    findSection(ini.lines, m_section, begin, end);
    if (begin < 0)
        return {};
    const int i = findKey(ini.lines, begin, end, key);
    if (i < 0)
        return {};
    const QString& line = ini.lines.at(i);
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.isNull())
        value = QStringLiteral("");
    return value;
}

void TSettings::writeRaw(const QString& key, const QString& value) {
    IniLines ini = loadLines(m_file);
    int begin = 0;
    int end = 0;
    findSection(ini.lines, m_section, begin, end);
    const QString entry = key + QLatin1Char('=') + value;
    if (begin < 0) {
        ini.lines << QLatin1Char('[') + m_section + QLatin1Char(']') << entry;
    } else {
        const int i = findKey(ini.lines, begin, end, key);
        if (i >= 0) {
            ini.lines[i] = entry;
        } else {
            int at = end;   // after the last non-blank line of the section
            while (at > begin && ini.lines.at(at - 1).trimmed().isEmpty())
                --at;
            ini.lines.insert(at, entry);
        }
    }
    QSaveFile f(m_file);
    QByteArray out = ini.lines.join(ini.eol).toUtf8();
    out += ini.eol.toLatin1();
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit())
        throw SettingsError(QStringLiteral("Cannot save the setting \"%1\" to \"%2\": %3")
                                .arg(key, m_file, f.errorString())
                                .toStdString());
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
double TGlobalProps::Latitude(const TSettings& s) {
    FLatitude = s.GetSetting(QStringLiteral("Latitude"), 32.22917);
    return FLatitude;
}
void TGlobalProps::setLatitude(TSettings& s, double value) {
    FLatitude = value;
    s.SaveSetting(QStringLiteral("Latitude"), value);
}
double TGlobalProps::Longitude(const TSettings& s) {
    FLongitude = s.GetSetting(QStringLiteral("Longitude"), -110.875);
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
