#pragma once
// A full disk for tests: a small tmpfs mounted on a fresh folder, which only
// root may do and only where mounting is allowed (not in every container).
// Where it cannot be had, tests skip with the reason; the write limit
// (RLIMIT_FSIZE) tests of the safe writer run everywhere.

#include <QString>
#include <QTemporaryDir>

namespace brevanta::testsupport {

class SmallDisk {
public:
    // `bytes` of room (rounded to pages by the kernel); `readOnly` mounts it read-only.
    explicit SmallDisk(qint64 bytes, bool readOnly = false);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Why it is not mounted, for the skip message.
    const QString& whyNot() const { return whyNot_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }
    // Fills what room is left with a file of its own; answers the bytes written.
    qint64 fill(qint64 leave = 0) const;
    // Remounts read-only (or writable again).
    bool setReadOnly(bool readOnly) const;

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
    QString whyNot_;
};

}  // namespace brevanta::testsupport

// Skips the test with the reason when the disk could not be mounted.
#define BREVANTA_NEEDS_SMALL_DISK(disk)                                                           \
    do {                                                                                          \
        if (!(disk).mounted()) GTEST_SKIP() << "no small tmpfs: " << (disk).whyNot().toStdString(); \
    } while (0)
