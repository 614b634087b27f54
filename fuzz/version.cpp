// The update rule (isUpdateAvailable) on any two texts and on well-formed version numbers.
// Properties: no version is newer than itself; for four numbers on each side the answer is
// "some published number is greater than the own one at its place".

#include "FuzzSupport.h"
#include "core/Services.h"

namespace {

QString text(std::string_view bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    auto number = [&in] {
        const uint16_t high = in.byte();
        return uint16_t(high << 8 | in.byte());
    };
    uint16_t published[4], own[4];
    for (uint16_t& v : published)
        v = number();
    for (uint16_t& v : own)
        v = number();
    auto dotted = [](const uint16_t* v) {
        return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
    };
    bool greaterSomewhere = false;
    for (int i = 0; i < 4; ++i)
        greaterSomewhere = greaterSomewhere || published[i] > own[i];
    QM_FUZZ_CHECK(isUpdateAvailable(dotted(published), dotted(own)) == greaterSomewhere);

    const QString a = text(in.field());
    const QString b = text(in.rest());
    QM_FUZZ_CHECK(!isUpdateAvailable(a, a));
    QM_FUZZ_CHECK(!isUpdateAvailable(b, b));
    isUpdateAvailable(a, b);
    isUpdateAvailable(b, a);
    return 0;
}
