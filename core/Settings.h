#pragma once
// TSettings: the settings file, an INI text with one section, read-through and write-through:
// every get sees the file as it is now and every save writes it at once. The parsed file is
// kept and read again only when the file changed (time, size), because the displays ask for
// the station keys on every clock tick. Lines may end in CR LF, LF or CR alone; a UTF-8 or
// UTF-16 byte-order mark is honoured, other text is UTF-8 or else Windows-1252. A save replaces
// a key's line in place or appends it to the section, keeps every other line, its line end and
// the file's encoding as they were, and replaces the file through a temporary file; reading
// never creates the file.
// TGlobalProps: typed access to the station settings through a TSettings.
// Collaborators: TForm1 (window keys), the setup dialog and the displays (station keys).

#include "core/Paths.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <stdexcept>

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSettings {
public:
    explicit TSettings(const QString& settingsFile, const QString& section = QStringLiteral("Settings"));

    QString fileName() const { return m_file; }

    QString GetSetting(const QString& key, const QString& def) const;
    QString GetSetting(const QString& key, const char* def) const { return GetSetting(key, QString::fromLatin1(def)); }
    int GetSetting(const QString& key, int def) const;
    bool GetSetting(const QString& key, bool def) const;
    // Throws SettingsError naming the key when a present value is not a number.
    double GetSetting(const QString& key, double def) const;

    void SaveSetting(const QString& key, const QString& value);
    void SaveSetting(const QString& key, const char* value) { SaveSetting(key, QString::fromLatin1(value)); }
    void SaveSetting(const QString& key, int value);
    void SaveSetting(const QString& key, bool value);
    void SaveSetting(const QString& key, double value);

    // The float encoding: shortest general form, at most 15 significant digits, locale separator.
    static QString formatFloat(double value);
    // Integer text as the file holds it ("0x" prefix taken as hexadecimal); false when not an integer.
    static bool parseInteger(const QString& text, int& out);

private:
    struct IniFile {
        QStringList lines;
        QHash<QString, int> keys;   // case-folded key of the section(s) -> its first line
        QByteArray ends;    // each line's own end: 'n' LF, 'r' CR, 'b' CR LF, '-' none (a last line without one)
        char eol = 'b';     // for lines the program adds
        TextEncoding encoding = TextEncoding::Utf8;
        bool exists = false;
        qint64 size = -1;
        qint64 modified = 0;   // ms since the epoch
        qint64 readAt = 0;
    };
    // The file as it is now: the kept copy, or a fresh read when the file changed.
    const IniFile& load() const;
    // The value text of the key, or a null QString when the file, section or key is missing.
    QString readRaw(const QString& key) const;
    void writeRaw(const QString& key, const QString& value);

    QString m_file;
    QString m_section;
    mutable IniFile m_ini;
    mutable bool m_loaded = false;
};

enum class TDisType : unsigned char { SM = 0, KM = 1, NM = 2 };

struct TGlobalProps {
    bool FisUTC = false;
    QString FGridSquare;
    double FLatitude = 0;
    double FLongitude = 0;
    TDisType FDisType = TDisType::SM;

    bool IsUTC(const TSettings& s);
    void setIsUTC(TSettings& s, bool value);
    QString GridSquare(const TSettings& s);
    void setGridSquare(TSettings& s, const QString& value);
    double Latitude(const TSettings& s);
    void setLatitude(TSettings& s, double value);
    double Longitude(const TSettings& s);
    void setLongitude(TSettings& s, double value);
    TDisType DisType(const TSettings& s);
    void setDisType(TSettings& s, TDisType value);

    // A stored coordinate outside the range Setup accepts (±90, ±180) reads as the default, as if
    // the key were missing, so no calculation sees it; the file keeps it until the user saves.
    // Each such key is told once per run: the texts not yet taken, for the status bar.
    QStringList takeSettingNotices();

private:
    double checkedCoordinate(const TSettings& s, const QString& key, double def, double limit);
    QStringList m_notices;
    QStringList m_noticed;   // keys already told
};
