#include "data/ArchiveExtract.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <QStringList>
#include <memory>
#include <vector>
#include <zip.h>

namespace {

constexpr zip_uint64_t kChunk = 256 * 1024;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
    void operator()(zip_file_t* member) const { zip_fclose(member); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;
using MemberPtr = std::unique_ptr<zip_file_t, MemberCloser>;

struct Member {
    zip_uint64_t index = 0;
    QString name;
    QString path;   // relative to the target folder
    bool folder = false;
    zip_uint64_t size = 0;
};

[[noreturn]] void fail(const QString& message) { throw ArchiveError(message); }

// libzip's codes in words a user can act on; libzip's own text for the rare rest.
QString zipReason(int code) {
    switch (code) {
    case ZIP_ER_NOZIP: return QStringLiteral("it is not a zip archive");
    case ZIP_ER_CRC: return QStringLiteral("its data fails the archive's checksum");
    case ZIP_ER_EOF:
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_ZLIB: return QStringLiteral("its data is cut short or damaged");
    case ZIP_ER_INCONS: return QStringLiteral("its table of contents does not match its contents");
    case ZIP_ER_MULTIDISK: return QStringLiteral("it is one part of an archive split over several files");
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP: return QStringLiteral("it is encrypted");
    case ZIP_ER_COMPNOTSUPP: return QStringLiteral("it is packed with a compression method this program cannot read");
    case ZIP_ER_MEMORY: return QStringLiteral("there is not enough memory");
    default: break;
    }
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString reason = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return reason;
}

QString openError(const QString& zipFile, int code) {
    switch (code) {
    case ZIP_ER_NOZIP: return QStringLiteral("%1 is not a zip archive.").arg(zipFile);
    case ZIP_ER_NOENT: return QStringLiteral("The archive %1 does not exist.").arg(zipFile);
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK: return QStringLiteral("Cannot open the archive %1: %2.").arg(zipFile, zipReason(code));
    default: return QStringLiteral("The archive %1 cannot be used: %2.").arg(zipFile, zipReason(code));
    }
}

QString memberError(const QString& zipFile, const QString& member, int code) {
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
        return QStringLiteral("The archive %1 is encrypted: its member \"%2\" cannot be read without a password.").arg(zipFile, member);
    return QStringLiteral("The archive %1 is damaged: its member \"%2\" cannot be read (%3).").arg(zipFile, member, zipReason(code));
}

QString megabytes(quint64 bytes) { return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1); }

qint64 diskFree(const QString& folder) {
    // The target folder may not exist yet: ask about the nearest folder above it that does.
    QDir dir(folder);
    while (!dir.exists() && !dir.isRoot())
        if (!dir.cdUp())
            break;
    const QStorageInfo storage(dir.absolutePath());
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

ArchivePtr openArchive(const QString& zipFile) {
    const QFileInfo info(zipFile);
    if (!info.exists())
        fail(QStringLiteral("The archive %1 does not exist.").arg(zipFile));
    if (info.isDir())
        fail(QStringLiteral("%1 is a folder, not a zip archive.").arg(zipFile));
    // libzip takes an empty file for an empty archive; a download that delivered nothing is not one.
    if (info.isFile() && info.size() == 0)
        fail(QStringLiteral("%1 is empty; it is not a zip archive.").arg(zipFile));
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipFile).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive)
        fail(openError(zipFile, code));
    return ArchivePtr(archive);
}

// Reads the whole directory and vets it, so that a hostile archive writes nothing at all.
std::vector<Member> listMembers(zip_t* archive, const QString& zipFile, const QString& targetFolder, const ArchiveLimits& limits) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count > limits.maxMembers)
        fail(QStringLiteral("The archive %1 holds %2 members, more than the %3 a data archive may hold. Nothing was extracted.")
                 .arg(zipFile)
                 .arg(count)
                 .arg(limits.maxMembers));
    quint64 total = 0;
    std::vector<Member> members;
    members.reserve(size_t(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            fail(QStringLiteral("The archive %1 is damaged: member %2 cannot be read (%3).")
                     .arg(zipFile)
                     .arg(i + 1)
                     .arg(zipReason(zip_error_code_zip(zip_get_error(archive)))));
        Member m;
        m.index = zip_uint64_t(i);
        m.name = QString::fromUtf8(st.name);
        m.folder = m.name.endsWith(QLatin1Char('/')) || m.name.endsWith(QLatin1Char('\\'));
        m.size = st.size;
        const std::optional<QString> path = archiveMemberPath(m.name);
        if (!path || (path->isEmpty() && !m.folder))
            fail(QStringLiteral("The archive %1 holds a member named \"%2\", which would be written outside %3. "
                                "Nothing was extracted.")
                     .arg(zipFile, m.name, QDir::toNativeSeparators(targetFolder)));
        m.path = *path;
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            fail(QStringLiteral("The archive %1 is encrypted: its member \"%2\" cannot be read without a password. "
                                "Nothing was extracted.")
                     .arg(zipFile, m.name));
        if (!m.folder && (st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))
            fail(QStringLiteral("The archive %1 is packed with a compression method this program cannot read (member \"%2\"). "
                                "Nothing was extracted.")
                     .arg(zipFile, m.name));
        if (m.size > limits.maxMemberSize)
            fail(QStringLiteral("The archive %1 holds the member \"%2\" of %3 bytes, more than the %4 bytes allowed. "
                                "Nothing was extracted.")
                     .arg(zipFile, m.name)
                     .arg(m.size)
                     .arg(limits.maxMemberSize));
        total += m.size;
        if (total > limits.maxTotalSize)
            fail(QStringLiteral("The archive %1 would unpack to more than the %2 bytes allowed. Nothing was extracted.")
                     .arg(zipFile)
                     .arg(limits.maxTotalSize));
        members.push_back(std::move(m));
    }
    const quint64 packed = quint64(std::max<qint64>(QFileInfo(zipFile).size(), 1));
    if (total > limits.expansionFloor && total > packed * limits.maxExpansion)
        fail(QStringLiteral("The archive %1 of %2 bytes would unpack to %3 bytes, more than %4 times its size; it is not a data "
                            "archive. Nothing was extracted.")
                 .arg(zipFile)
                 .arg(packed)
                 .arg(total)
                 .arg(limits.maxExpansion));
    const qint64 freeBytes = limits.freeSpace ? limits.freeSpace(targetFolder) : diskFree(targetFolder);
    if (freeBytes >= 0 && total + limits.spaceReserve > quint64(freeBytes))
        fail(QStringLiteral("There is not enough free disk space to extract %1: it unpacks to %2 MB, and %3 has %4 MB free. "
                            "Nothing was extracted.")
                 .arg(zipFile, megabytes(total), QDir::toNativeSeparators(targetFolder), megabytes(quint64(freeBytes))));
    return members;
}

void makeFolder(const QString& folder, const QString& zipFile) {
    if (!QDir().mkpath(folder))
        fail(QStringLiteral("Cannot create the folder %1 while extracting %2.").arg(QDir::toNativeSeparators(folder), zipFile));
}

void extractMember(zip_t* archive, const Member& m, const QString& zipFile, const QString& target, std::vector<char>& buffer) {
    makeFolder(QFileInfo(target).absolutePath(), zipFile);
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot write %1 while extracting %2: %3.").arg(QDir::toNativeSeparators(target), zipFile, out.errorString()));

    MemberPtr member(zip_fopen_index(archive, m.index, 0));
    if (!member)
        fail(memberError(zipFile, m.name, zip_error_code_zip(zip_get_error(archive))));
    zip_uint64_t written = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(member.get(), buffer.data(), buffer.size());
        if (n < 0)
            fail(memberError(zipFile, m.name, zip_error_code_zip(zip_file_get_error(member.get()))));
        if (n == 0)
            break;
        written += zip_uint64_t(n);
        // The declared size passed the bound; the data must not grow past it.
        if (written > m.size)
            fail(QStringLiteral("The archive %1 is damaged: its member \"%2\" holds more than the %3 bytes it declares.")
                     .arg(zipFile, m.name)
                     .arg(m.size));
        if (out.write(buffer.data(), n) != n)
            fail(QStringLiteral("Cannot write %1 while extracting %2: %3.").arg(QDir::toNativeSeparators(target), zipFile, out.errorString()));
    }
    if (written != m.size)
        fail(QStringLiteral("The archive %1 is damaged: its member \"%2\" holds %3 of the %4 bytes it declares.")
                 .arg(zipFile, m.name)
                 .arg(written)
                 .arg(m.size));
    QString reason;
    if (!commitSaveFile(out, reason))
        fail(QStringLiteral("Cannot write %1 while extracting %2: %3.").arg(QDir::toNativeSeparators(target), zipFile, reason));
}

} // namespace

ArchiveError::ArchiveError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

std::optional<QString> archiveMemberPath(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (n.startsWith(QLatin1Char('/')))
        return std::nullopt;
    if (n.size() >= 2 && n.at(1) == QLatin1Char(':') && n.at(0).isLetter())
        return std::nullopt;
    QStringList parts;
    for (const QString& part : n.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return std::nullopt;
            parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

int extractArchive(const QString& zipFile, const QString& targetFolder, quint64 maxMemberSize) {
    ArchiveLimits limits;
    limits.maxMemberSize = maxMemberSize;
    return extractArchive(zipFile, targetFolder, limits);
}

int extractArchive(const QString& zipFile, const QString& targetFolder, const ArchiveLimits& limits) {
    ArchivePtr archive = openArchive(zipFile);
    const std::vector<Member> members = listMembers(archive.get(), zipFile, targetFolder, limits);
    const QDir target(targetFolder);
    makeFolder(target.absolutePath(), zipFile);
    std::vector<char> buffer(kChunk);
    int files = 0;
    for (const Member& m : members) {
        const QString path = m.path.isEmpty() ? target.absolutePath() : target.absoluteFilePath(m.path);
        if (m.folder) {
            makeFolder(path, zipFile);
        } else {
            extractMember(archive.get(), m, zipFile, path, buffer);
            ++files;
        }
    }
    return files;
}
