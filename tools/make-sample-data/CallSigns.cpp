#include "CallSigns.h"

namespace sampledata {

namespace {

// Two-letter amateur prefixes: AA-AL, then KA-KZ, NA-NZ, WA-WZ.
constexpr std::uint64_t kTwoLetterPrefixes = 12 + 26 * 3;
constexpr char kOneLetter[] = {'K', 'N', 'W'};

void appendTwoLetterPrefix(std::string& out, std::uint64_t i)
{
    if (i < 12) {
        out += 'A';
        out += char('A' + i);
        return;
    }
    i -= 12;
    out += kOneLetter[i / 26];
    out += char('A' + i % 26);
}

void appendLetters(std::string& out, std::uint64_t value, int count)
{
    char buf[4];
    for (int k = count - 1; k >= 0; --k) {
        buf[k] = char('A' + value % 26);
        value /= 26;
    }
    out.append(buf, std::size_t(count));
}

void appendDigits(std::string& out, std::uint64_t value, int count)
{
    char buf[8];
    for (int k = count - 1; k >= 0; --k) {
        buf[k] = char('0' + value % 10);
        value /= 10;
    }
    out.append(buf, std::size_t(count));
}

} // namespace

std::uint64_t CallSignPool::capacity(CallShape shape)
{
    switch (shape) {
    case CallShape::OneByTwo: return 3 * 10 * 676;
    case CallShape::TwoByOne: return kTwoLetterPrefixes * 10 * 26;
    case CallShape::TwoByTwo: return kTwoLetterPrefixes * 10 * 676;
    case CallShape::OneByThree: return 3 * 10 * 17576;
    case CallShape::TwoByThree: return 52 * 10 * 17576;   // K and W prefixes only, as issued
    case CallShape::GmrsNew: return 676 * 10000;
    case CallShape::GmrsOld: return 3 * 676 * 1000;
    case CallShape::Count: break;
    }
    return 1;
}

std::string CallSignPool::format(CallShape shape, std::uint64_t i)
{
    std::string s;
    s.reserve(8);
    switch (shape) {
    case CallShape::OneByTwo:
        s += kOneLetter[i / 6760];
        appendDigits(s, (i / 676) % 10, 1);
        appendLetters(s, i % 676, 2);
        break;
    case CallShape::TwoByOne:
        appendTwoLetterPrefix(s, i / 260);
        appendDigits(s, (i / 26) % 10, 1);
        appendLetters(s, i % 26, 1);
        break;
    case CallShape::TwoByTwo:
        appendTwoLetterPrefix(s, i / 6760);
        appendDigits(s, (i / 676) % 10, 1);
        appendLetters(s, i % 676, 2);
        break;
    case CallShape::OneByThree:
        s += kOneLetter[i / 175760];
        appendDigits(s, (i / 17576) % 10, 1);
        appendLetters(s, i % 17576, 3);
        break;
    case CallShape::TwoByThree: {
        const std::uint64_t p = i / 175760;   // 0-25 K?, 26-51 W?
        s += p < 26 ? 'K' : 'W';
        s += char('A' + p % 26);
        appendDigits(s, (i / 17576) % 10, 1);
        appendLetters(s, i % 17576, 3);
        break;
    }
    case CallShape::GmrsNew:
        s += 'K';
        appendLetters(s, i / 10000, 2);
        appendDigits(s, i % 10000, 4);
        break;
    case CallShape::GmrsOld:
        s += 'W';
        s += "QRS"[i / 676000];
        appendLetters(s, (i / 1000) % 676, 2);
        appendDigits(s, i % 1000, 3);
        break;
    case CallShape::Count:
        break;
    }
    return s;
}

CallSignPool::CallSignPool(std::uint64_t seed)
{
    for (std::size_t k = 0; k < m_perm.size(); ++k)
        m_perm[k] = Permutation(capacity(CallShape(k)), hashKeys({seed, 0xCA11, k}));
}

std::string CallSignPool::take(CallShape shape)
{
    auto k = std::size_t(shape);
    if (m_used[k] >= capacity(shape)) {
        shape = (shape == CallShape::GmrsOld || shape == CallShape::GmrsNew) ? CallShape::GmrsNew
                                                                             : CallShape::TwoByThree;
        k = std::size_t(shape);
    }
    return format(shape, m_perm[k](m_used[k]++));
}

std::string CallSignPool::takeRetired()
{
    const auto k = std::size_t(CallShape::TwoByThree);
    return format(CallShape::TwoByThree, m_perm[k](capacity(CallShape::TwoByThree) - 1 - m_retired++));
}

std::string CanadianCallPool::take(const std::string& prefix)
{
    std::size_t k = 0;
    while (k < m_count && m_areas[k].prefix != prefix)
        ++k;
    if (k == m_count) {
        if (m_count == m_areas.size())
            return {};
        m_areas[k].prefix = prefix;
        m_areas[k].perm = Permutation(676 + 17576, hashKeys({m_seed, 0xCA, std::uint64_t(k), prefix.size(),
                                                              std::uint64_t((unsigned char)prefix.back())}));
        ++m_count;
    }
    Area& area = m_areas[k];
    if (area.used >= area.perm.size())
        return {};
    const std::uint64_t i = area.perm(area.used++);
    std::string call = prefix;
    if (i < 676)
        appendLetters(call, i, 2);
    else
        appendLetters(call, i - 676, 3);
    return call;
}

} // namespace sampledata
