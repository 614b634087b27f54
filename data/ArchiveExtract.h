#pragma once
// extractArchive: unpacks every member of a zip archive into a folder with libzip, streaming
// each member to disk in chunks (members of hundreds of MB never sit in memory). Folders are
// made as needed; a member replaces a file of the same name only once it has been written
// whole, so a failed extraction never leaves a half-written file under a real name. Names that
// are absolute or lead outside the folder, and members larger than a bound, stop the extraction
// before anything is written. Failures throw ArchiveError with plain words naming the archive.
// Collaborators: libzip, QSaveFile; the update workflow (caller), tests.

#include <QString>
#include <QtGlobal>
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

// Extracts every member; returns the number of files written. Throws ArchiveError.
int extractArchive(const QString& zipFile, const QString& targetFolder, quint64 maxMemberSize = kMaxArchiveMemberSize);

// Where a member of that name goes, relative to the target folder, with '/' separators
// ('\' counts as a separator too; "." parts are dropped, ".." parts resolved). An empty text
// means the target folder itself. No value when the name is absolute (leading separator or
// drive letter) or climbs out of the target folder.
std::optional<QString> archiveMemberPath(const QString& name);
