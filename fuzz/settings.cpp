// The settings reader and writer on any settings file, followed by a series of saves.
// Properties: what is saved reads back the same (text within what the file can hold: one line,
// no blanks at the ends; integers and Booleans exactly; floating-point numbers as their written
// text); a save leaves every other key's value as it was; no read of any kind fails except a
// floating-point read of text that is no number.

#include "FuzzSupport.h"
#include "core/Settings.h"

#include <QFile>
#include <cmath>
#include <cstring>

namespace {

const char* const kKeys[] = {"Form1_Top", "Form1_Left", "FontName", "FontCharSet", "FontColor", "FontSize", "FontStyle",
                             "Color",     "Theme",      "GridSquare", "Latitude",  "Longitude", "ISUTC",     "DisType"};
constexpr int kKeyCount = int(sizeof kKeys / sizeof kKeys[0]);

QString key(int i) { return QString::fromLatin1(kKeys[i]); }

// The raw text of every key, or "<none>" when missing.
QStringList snapshot(const TSettings& s) {
    QStringList out;
    const QString none = QStringLiteral("\x01none");
    for (int i = 0; i < kKeyCount; ++i)
        out << s.GetSetting(key(i), none);
    return out;
}

void readEveryKind(const TSettings& s, int i) {
    s.GetSetting(key(i), 7);
    s.GetSetting(key(i), true);
    try {
        const double v = s.GetSetting(key(i), 1.5);
        QM_FUZZ_CHECK(std::isfinite(v));
    } catch (const SettingsError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString file = scratchFile("Quillmarsh.cfg");
    QFile::remove(file);
    const std::string_view initial = in.field();
    if (!initial.empty() || in.byte() % 2)
        writeScratch(file, initial);
    TSettings settings(file);
    for (int i = 0; i < kKeyCount; ++i)
        readEveryKind(settings, i);

    for (int step = 0; step < 4 && !in.empty(); ++step) {
        const uint8_t op = in.byte();
        const int k = op % kKeyCount;
        // Key names are matched without regard to case: save under a differently cased name.
        QString name = key(k);
        if (op & 0x80)
            name = name.toLower();
        const QStringList before = snapshot(settings);
        QString expected;
        switch ((op >> 4) % 4) {
        case 0: {
            const std::string_view bytes = in.field();
            const QString value = QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
            if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) || value.trimmed() != value)
                continue;
            settings.SaveSetting(name, value);
            QM_FUZZ_CHECK(settings.GetSetting(key(k), QStringLiteral("\x01none")) == value);
            expected = value;
            break;
        }
        case 1: {
            int32_t value = 0;
            const std::string_view bytes = in.field();
            std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
            settings.SaveSetting(name, int(value));
            QM_FUZZ_CHECK(settings.GetSetting(key(k), value == 0 ? 1 : 0) == value);
            expected = QString::number(value);
            break;
        }
        case 2: {
            const bool value = in.byte() & 1;
            settings.SaveSetting(name, value);
            QM_FUZZ_CHECK(settings.GetSetting(key(k), !value) == value);
            expected = value ? QStringLiteral("1") : QStringLiteral("0");
            break;
        }
        default: {
            double value = 0;
            const std::string_view bytes = in.field();
            std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
            if (!std::isfinite(value))
                continue;
            settings.SaveSetting(name, value);
            const double back = settings.GetSetting(key(k), value == 0 ? 1.0 : 0.0);
            QM_FUZZ_CHECK(TSettings::formatFloat(back) == TSettings::formatFloat(value));
            expected = TSettings::formatFloat(value);
            break;
        }
        }
        QStringList after = snapshot(settings);
        QM_FUZZ_CHECK(after.at(k) == expected);
        after[k] = before.at(k);
        QM_FUZZ_CHECK(after == before);
    }
    return 0;
}
