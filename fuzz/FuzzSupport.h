#pragma once
// What the fuzz targets share: a property check that stops the run (libFuzzer then keeps the
// input), a reader that takes pieces off the front of the input, and one scratch folder per
// process for the targets whose code under test reads files.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define QM_FUZZ_CHECK(cond)                                                                      \
    do {                                                                                         \
        if (!(cond)) {                                                                           \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);   \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_rest(reinterpret_cast<const char*>(data), size) {}

    bool empty() const { return m_rest.empty(); }
    // The next byte, 0 when the input is used up.
    uint8_t byte();
    // The bytes up to the next separator (or the end), the separator dropped.
    std::string_view field(char separator = '\0');
    // Everything not taken yet.
    std::string_view rest();

private:
    std::string_view m_rest;
};

// A file in this process's scratch folder (created once, removed at exit).
QString scratchFile(const char* name);
// Replaces the file's contents; aborts when it cannot.
void writeScratch(const QString& file, std::string_view bytes);
