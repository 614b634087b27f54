#pragma once
// writeZipArchive: packs files into a zip archive with the members at its root, as the
// download servers deliver them. libzip streams each member from its file while the archive
// is written, so a member of hundreds of megabytes is never held in memory. Member dates are
// fixed, so the same files give a byte-identical archive.
// Collaborators: SampleGenerator.

#include <QString>

#include <ctime>
#include <utility>
#include <vector>

namespace sampledata {

struct ArchiveMember {
    QString name;       // name inside the archive
    QString filePath;   // file on disk
};

// Throws std::runtime_error with libzip's message when the archive cannot be written.
void writeZipArchive(const QString& zipPath, const std::vector<ArchiveMember>& members, std::time_t memberTime,
                     int compressionLevel = 1);

} // namespace sampledata
