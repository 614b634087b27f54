#pragma once
// IncidentSchedule: where the rare oddities of the real licence files go. Each kind gets an
// exact number of licences, spread evenly over the file (one per slot of the file, kinds
// shuffled), so that even a file of a few hundred licences carries every kind at least once and
// the counts are known to the tests. A reassigned call needs an older licence that gave the
// call up; it is placed a fixed gap before its incident, inside the same slot.
// Collaborators: UlsWriter.

#include "Random.h"

#include <array>
#include <cstdint>
#include <vector>

namespace sampledata {

enum class Incident {
    None,
    SplitRecord,       // a CR LF inside a field: the record continues on the next line
    StrayCr,           // a lone CR at the end of a field
    StrayQuote,        // a nickname in double quotes
    StrayPipe,         // a "|" inside the attention line: one field too many
    ShortEn,           // EN line cut after field 12
    ShortHd,           // HD line cut after field 10
    ShortAm,           // AM line cut after field 10
    DuplicateEntity,   // a second EN row (licensee contact) for the same licence
    ReassignedCall,    // the call of an older, inactive licence given to this one
    Count
};

using IncidentCounts = std::array<std::uint64_t, std::size_t(Incident::Count)>;

class IncidentSchedule {
public:
    IncidentSchedule(std::uint64_t licences, IncidentCounts wanted, std::uint64_t key);

    Incident at(std::uint64_t licence) const;
    // Licence that gives its call up to the licence reassignGap() places after it.
    bool isReassignSource(std::uint64_t licence) const;
    std::uint64_t reassignGap() const { return m_gap; }

private:
    std::uint64_t position(std::uint64_t slot) const;

    std::vector<Incident> m_slots;
    std::uint64_t m_period = 0;
    std::uint64_t m_gap = 1;
    std::uint64_t m_key;
};

inline IncidentSchedule::IncidentSchedule(std::uint64_t licences, IncidentCounts wanted, std::uint64_t key)
    : m_key(key)
{
    for (std::size_t k = 1; k < wanted.size(); ++k)
        for (std::uint64_t n = 0; n < wanted[k]; ++n)
            m_slots.push_back(Incident(k));
    // Each slot needs room for a reassigned call's source before its incident.
    if (m_slots.size() > licences / 2)
        m_slots.resize(licences / 2);
    if (m_slots.empty())
        return;
    Rng rng({key, 0x5107});
    for (std::size_t i = m_slots.size() - 1; i > 0; --i)
        std::swap(m_slots[i], m_slots[rng.below(i + 1)]);
    m_period = licences / m_slots.size();
    m_gap = m_period / 2;
}

inline std::uint64_t IncidentSchedule::position(std::uint64_t slot) const
{
    return slot * m_period + m_gap + hashKeys({m_key, slot}) % (m_period - m_gap);
}

inline Incident IncidentSchedule::at(std::uint64_t licence) const
{
    if (m_period == 0)
        return Incident::None;
    const std::uint64_t slot = licence / m_period;
    if (slot >= m_slots.size() || position(slot) != licence)
        return Incident::None;
    return m_slots[slot];
}

inline bool IncidentSchedule::isReassignSource(std::uint64_t licence) const
{
    if (m_period == 0)
        return false;
    const std::uint64_t slot = licence / m_period;
    return slot < m_slots.size() && m_slots[slot] == Incident::ReassignedCall
           && position(slot) - m_gap == licence;
}

} // namespace sampledata
