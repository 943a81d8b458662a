#pragma once
// The file operations backup and restore are made of: the copy routine, the free space of the
// file system holding a folder, the room check, the identity check, and taking a catalogue table
// for exclusive use.
#include <QString>
#include <functional>
#include <memory>

namespace backup {

// The size of one read and one write of the copy routine.
inline constexpr qint64 kCopyBlock = 2048;

struct CopyResult {
    bool ok = false;
    QString error; // the system's reason when !ok
};

// Copies source to destination in blocks of 2,048 bytes. The bytes go to a new file beside the
// destination, which is made durable and only then renamed over the destination: a failure at
// any point (the source cannot be read, the folder cannot be written, a write that writes fewer
// bytes than were read because the disk is full) leaves an existing destination as it was and
// no partial file behind. A destination that is a symbolic link is replaced at its target.
// beforeRename, when given, may change the complete copy (its path is passed) before it takes
// the destination's place; returning false fails the copy.
CopyResult copyFile(const QString& source, const QString& destination,
                    const std::function<bool(const QString& copyPath)>& beforeRename = {});

// The free bytes available to the program on the file system holding folder (statvfs); -1 when
// it cannot be asked.
qint64 freeSpace(const QString& folder);

// The room check: the copy may go ahead when the free space of the destination's file system
// plus the size of an existing destination file is at least the size of the source.
bool hasRoom(qint64 free, qint64 sourceSize, qint64 existingDestinationSize);

// The identity check: true when both paths name one file, compared ignoring letter case, or when
// both exist and are the same file on disk (a link, a folder reached two ways).
bool sameFile(const QString& a, const QString& b);

// The path of fileName in folder: an existing file whose name matches ignoring letter case,
// else folder/fileName. A root folder gives "/NAME", never "//NAME".
QString fileInFolder(const QString& folder, const QString& fileName);

// A catalogue table taken for exclusive use for as long as the object lives, so that no other
// program or copy of this one can open it meanwhile.
class ExclusiveUse {
public:
    ExclusiveUse();
    ~ExclusiveUse();
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;

    enum class Result {
        Taken,
        HeldElsewhere, // another program or copy has the table open
        Unopenable,    // the engine cannot open the file (no table, or a damaged one)
    };
    Result take(const QString& tablePath);
    void release();

private:
    struct Held;
    std::unique_ptr<Held> held_;
};

} // namespace backup
