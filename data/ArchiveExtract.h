#pragma once
// extractArchive: unpacks every member of a zip archive into a folder with libzip, streaming
// each member to disk in chunks (members of hundreds of MB never sit in memory). Folders are
// made as needed; a member replaces a file of the same name only once it has been written
// whole, so a failed extraction never leaves a half-written file under a real name. Before
// anything is written the whole directory is checked: names that are absolute or lead outside
// the folder, encrypted members, a member larger than its bound, more members or more bytes in
// all than the archive may hold (and more than a data archive ever expands to), and more bytes
// than the disk has free all stop the extraction. Failures throw ArchiveError with plain words
// naming the archive.
// Collaborators: libzip, QSaveFile, QStorageInfo; the update workflow (caller), tests.

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <stdexcept>

class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Far above any real member (the largest is a few hundred MB); a lying or hostile archive
// stops here instead of filling the disk.
inline constexpr quint64 kMaxArchiveMemberSize = quint64(4) * 1024 * 1024 * 1024;

struct ArchiveLimits {
    quint64 maxMemberSize = kMaxArchiveMemberSize;
    // All members together: the real archives unpack to under 2 GB from about a dozen members.
    quint64 maxTotalSize = quint64(16) * 1024 * 1024 * 1024;
    int maxMembers = 256;
    // Text data compresses about ten to one; a thousand to one is a bomb. Below the floor the
    // ratio is not asked, so small archives of anything pass.
    quint64 maxExpansion = 100;
    quint64 expansionFloor = quint64(64) * 1024 * 1024;
    // Kept free beside what the members need.
    quint64 spaceReserve = quint64(64) * 1024 * 1024;
    // Free bytes for a folder (the nearest existing one above it); the disk's own figure when empty.
    std::function<qint64(const QString& folder)> freeSpace;
};

// Extracts every member; returns the number of files written. Throws ArchiveError.
int extractArchive(const QString& zipFile, const QString& targetFolder, const ArchiveLimits& limits);
int extractArchive(const QString& zipFile, const QString& targetFolder, quint64 maxMemberSize = kMaxArchiveMemberSize);

// Where a member of that name goes, relative to the target folder, with '/' separators
// ('\' counts as a separator too; "." parts are dropped, ".." parts resolved). An empty text
// means the target folder itself. No value when the name is absolute (leading separator or
// drive letter) or climbs out of the target folder.
std::optional<QString> archiveMemberPath(const QString& name);
