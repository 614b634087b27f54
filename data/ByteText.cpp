#include "data/ByteText.h"

#include <cstring>

namespace bytetext {

namespace {

// Windows-1252 0x80..0x9F; the undefined 0x81, 0x8D, 0x8F, 0x90, 0x9D keep their value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void appendCodePoint(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

bool isAscii(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    // Eight bytes at a time: the records are long and almost always ASCII.
    for (; i + 8 <= n; i += 8) {
        unsigned long long w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ULL)
            return false;
    }
    for (; i < n; ++i)
        if (p[i] & 0x80)
            return false;
    return true;
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + size_t(extra) >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = p[i + size_t(k)];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += size_t(extra) + 1;
    }
    return true;
}

void appendCp1252AsUtf8(std::string_view s, std::string& out) {
    out.reserve(out.size() + s.size() * 2);
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            appendCodePoint(kCp1252High[c - 0x80], out);
        else
            appendCodePoint(c, out);
    }
}

std::string_view toUtf8(std::string_view s, std::string& scratch) {
    if (isAscii(s) || isValidUtf8(s))
        return s;
    scratch.clear();
    appendCp1252AsUtf8(s, scratch);
    return scratch;
}

QString decodeRecord(std::string_view s) {
    std::string scratch;
    return toQString(toUtf8(s, scratch));
}

void appendProperCase(std::string_view s, std::string& out) {
    const size_t start = out.size();
    out.append(s);
    char* d = out.data() + start;
    const auto* src = reinterpret_cast<const unsigned char*>(s.data());
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = src[i];
        if (!isAsciiLetter(c))
            continue;
        const bool lower = i > 0 && isAsciiLetter(src[i - 1]);
        d[i] = lower ? char(c | 0x20) : char(c & ~0x20);
    }
}

std::string_view trimControl(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.substr(b, e - b);
}

std::string_view utf8Prefix(std::string_view s, int n) {
    size_t i = 0;
    int chars = 0;
    while (i < s.size()) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == n)
                break;
            ++chars;
        }
        ++i;
    }
    return s.substr(0, i);
}

int utf8Length(std::string_view s) {
    int chars = 0;
    for (const char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    return chars;
}

} // namespace bytetext
