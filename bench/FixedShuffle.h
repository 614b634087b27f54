#pragma once
// A fixed shuffle (splitmix64), so every run of a benchmark uses the same items in the same order.

#include <QStringList>
#include <cstdint>

inline void fixedShuffle(QStringList& items)
{
    std::uint64_t state = 0x5eed;
    for (qsizetype i = items.size() - 1; i > 0; --i) {
        state += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        items.swapItemsAt(i, qsizetype(z % std::uint64_t(i + 1)));
    }
}
