// Runs a fuzz target once on each file given, or on each file of each folder given, in name
// order: how the corpora and the inputs of past crashes are checked in an ordinary build, where
// libFuzzer is not linked. Arguments starting with "-" (libFuzzer options) are ignored.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int runFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = f.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1Char('-')))
            continue;
        const QFileInfo info(arg);
        if (info.isDir()) {
            const QDir dir(arg);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                failures += runFile(dir.filePath(name));
                ++inputs;
            }
        } else if (info.exists()) {
            failures += runFile(arg);
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return failures == 0 && inputs > 0 ? 0 : 1;
}
