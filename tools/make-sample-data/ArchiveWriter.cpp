#include "ArchiveWriter.h"

#include <QFile>

#include <stdexcept>
#include <string>
#include <zip.h>

namespace sampledata {

namespace {

[[noreturn]] void fail(zip_t* archive, const QString& zipPath, const char* what)
{
    const std::string message = "cannot write " + zipPath.toStdString() + " (" + what + "): " + zip_strerror(archive);
    zip_discard(archive);
    throw std::runtime_error(message);
}

} // namespace

void writeZipArchive(const QString& zipPath, const std::vector<ArchiveMember>& members, std::time_t memberTime,
                     int compressionLevel)
{
    QFile::remove(zipPath);
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const std::string message = "cannot create " + zipPath.toStdString() + ": " + zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw std::runtime_error(message);
    }
    for (const ArchiveMember& member : members) {
        // Length 0: the whole file, read when the archive is closed.
        zip_source_t* source = zip_source_file(archive, QFile::encodeName(member.filePath).constData(), 0, 0);
        if (!source)
            fail(archive, zipPath, "source");
        const zip_int64_t index = zip_file_add(archive, member.name.toUtf8().constData(), source,
                                               ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail(archive, zipPath, "add");
        }
        if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, zip_uint32_t(compressionLevel)) != 0)
            fail(archive, zipPath, "compression");
        if (zip_file_set_mtime(archive, zip_uint64_t(index), memberTime, 0) != 0)
            fail(archive, zipPath, "date");
    }
    if (zip_close(archive) != 0)
        fail(archive, zipPath, "close");
}

} // namespace sampledata
