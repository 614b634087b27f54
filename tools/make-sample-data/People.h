#pragma once
// PersonMaker: the licensee behind a generated licence (name, mailing address, FRN). A person
// is a pure function of (seed, person number), so an amateur licensee who also holds a GMRS
// licence comes out identical in both files without keeping anyone in memory.
// Addresses take a real zip row (city and state agree with the zip); some zips are nine
// digits, some are missing from the table, a few are short or empty; some people use a PO box,
// some of them without a street.
// Collaborators: ZipTable, UlsWriter.

#include "Random.h"
#include "ZipTable.h"

#include <cstdint>
#include <string>

namespace sampledata {

struct Person {
    std::string given, mi, surname, suffix;
    std::string street, poBox, city, state, zip;
    std::string frn, licenseeId, attention;
    bool club = false;
    std::string clubName;

    // "Surname, Given M Suffix" as the entity name field carries it, or the club's name.
    std::string entityName() const;
    std::string fullName() const;   // "GIVEN M SURNAME", for trustee and attention lines
};

class PersonMaker {
public:
    PersonMaker(const ZipTable& zips, std::uint64_t seed) : m_zips(zips), m_seed(seed) {}

    Person make(std::uint64_t personNumber, bool club) const;
    // Whether an amateur licensee is a club: decided by the number alone, so the GMRS side can
    // avoid sharing a club's FRN.
    bool isClub(std::uint64_t personNumber) const;

private:
    void makeAddress(Rng& rng, Person& p) const;

    const ZipTable& m_zips;
    std::uint64_t m_seed;
};

} // namespace sampledata
