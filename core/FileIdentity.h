#pragma once
// Which file a name stands for just now (device and inode): a database that Update Data swapped
// in under the same name is another file, and a connection kept on the old one must be reopened.
// Collaborators: the search readers' kept connections, the look-up service's workers.

#include <QFile>
#include <QString>

#include <sys/stat.h>

struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    bool exists = false;
    bool operator==(const FileIdentity&) const = default;

    static FileIdentity of(const QString& file) {
        struct stat st {};
        if (::stat(QFile::encodeName(file).constData(), &st) != 0)
            return {};
        return {st.st_dev, st.st_ino, true};
    }
};
