#pragma once
// SplitMix64: a tiny generator whose output is fixed by its algorithm, so a seed gives the same
// files on every machine and library version (std distributions do not promise that).
// Collaborators: every sample-data writer draws from it; streams are derived per record from
// (seed, stream, index) so that records stay independent of the order they are written in.

#include <cstdint>
#include <initializer_list>

namespace sampledata {

constexpr std::uint64_t mix64(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Combines several keys into one well-mixed value (order matters).
inline std::uint64_t hashKeys(std::initializer_list<std::uint64_t> keys)
{
    std::uint64_t h = 0x9e3779b97f4a7c15ULL;
    for (std::uint64_t k : keys)
        h = mix64(h ^ mix64(k + 0x632be59bd9b4e019ULL));
    return h;
}

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    Rng(std::initializer_list<std::uint64_t> keys) : m_state(hashKeys(keys)) {}

    std::uint64_t next()
    {
        m_state += 0x9e3779b97f4a7c15ULL;
        return mix64(m_state);
    }
    // Uniform in [0, n); the modulo bias is far below anything the data could show.
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : next() % n; }
    std::int64_t between(std::int64_t lo, std::int64_t hi) { return lo + std::int64_t(below(std::uint64_t(hi - lo + 1))); }
    // True with probability perMillion / 1,000,000.
    bool chance(std::uint32_t perMillion) { return below(1000000) < perMillion; }
    char letter() { return char('A' + below(26)); }
    char digit() { return char('0' + below(10)); }

    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) { return items[below(N)]; }

private:
    std::uint64_t m_state;
};

// A bijection of [0, n) (an affine map with a multiplier prime to n), used to hand out call
// signs in a scattered but collision-free order.
class Permutation {
public:
    Permutation() = default;
    Permutation(std::uint64_t n, std::uint64_t key);
    std::uint64_t size() const { return m_n; }
    std::uint64_t operator()(std::uint64_t i) const { return (m_a * (i % m_n) + m_c) % m_n; }

private:
    std::uint64_t m_n = 1;
    std::uint64_t m_a = 1;
    std::uint64_t m_c = 0;
};

inline Permutation::Permutation(std::uint64_t n, std::uint64_t key) : m_n(n == 0 ? 1 : n)
{
    auto gcd = [](std::uint64_t a, std::uint64_t b) {
        while (b != 0) {
            const std::uint64_t t = a % b;
            a = b;
            b = t;
        }
        return a;
    };
    m_a = (mix64(key) % m_n) | 1;
    while (gcd(m_a, m_n) != 1)
        m_a = (m_a + 2) % m_n;
    if (m_a == 0)
        m_a = 1;
    m_c = mix64(key ^ 0x5bd1e995ULL) % m_n;
}

} // namespace sampledata
