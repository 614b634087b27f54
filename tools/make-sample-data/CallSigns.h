#pragma once
// CallSignPool: hands out call signs of the shapes each service uses, never the same one twice
// (a per-shape counter run through a permutation of that shape's space, so consecutive licences
// get scattered calls). Amateur shapes: 1x2, 2x1, 2x2, 1x3, 2x3 with K/N/W and AA-AL prefixes;
// GMRS: three letters and four digits, or four letters and three digits; Canadian: VA/VE/VO/VY
// areas with two- or three-letter suffixes.
// Collaborators: UlsWriter, CanadianWriter.

#include "Random.h"

#include <array>
#include <cstdint>
#include <string>

namespace sampledata {

enum class CallShape { OneByTwo, TwoByOne, TwoByTwo, OneByThree, TwoByThree, GmrsNew, GmrsOld, Count };

class CallSignPool {
public:
    explicit CallSignPool(std::uint64_t seed);
    // A fresh call of the shape; falls back to 2x3 (or the new GMRS shape) when a small shape runs out.
    std::string take(CallShape shape);
    // Calls from the far end of the 2x3 space: never handed out by take(), so a station's former
    // call that nobody holds any more.
    std::string takeRetired();

    static std::uint64_t capacity(CallShape shape);
    static std::string format(CallShape shape, std::uint64_t index);

private:
    std::array<Permutation, std::size_t(CallShape::Count)> m_perm;
    std::array<std::uint64_t, std::size_t(CallShape::Count)> m_used {};
    std::uint64_t m_retired = 0;
};

// Canadian calls: one pool per call area prefix ("VE3", "VA7", "VO1", ...).
class CanadianCallPool {
public:
    explicit CanadianCallPool(std::uint64_t seed) : m_seed(seed) {}
    // Empty when the prefix's space (two- and three-letter suffixes) is used up.
    std::string take(const std::string& prefix);

private:
    struct Area {
        std::string prefix;
        Permutation perm;
        std::uint64_t used = 0;
    };
    std::uint64_t m_seed;
    std::array<Area, 24> m_areas;
    std::size_t m_count = 0;
};

} // namespace sampledata
