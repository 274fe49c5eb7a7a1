#pragma once
// The compound-file container around the workbook stream. It knows nothing
// of the records inside.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace brevanta::xls {

// A whole compound file holding `stream` as its "Workbook" stream, packed
// in libgsf's memory and read from there: saving writes it out without
// first copying megabytes into a QByteArray of its own.
class PackedCompoundFile {
public:
    explicit PackedCompoundFile(const QByteArray& stream) : PackedCompoundFile(std::vector<QByteArray>{stream}) {}
    // The stream given in consecutive pieces, each dropped once it is packed.
    explicit PackedCompoundFile(std::vector<QByteArray> stream);
    ~PackedCompoundFile();
    PackedCompoundFile(const PackedCompoundFile&) = delete;
    PackedCompoundFile& operator=(const PackedCompoundFile&) = delete;
    const char* data() const;
    qsizetype size() const;

private:
    struct Sink;
    std::unique_ptr<Sink> sink_;
};

// A whole compound file holding `stream` as its "Workbook" stream.
QByteArray wrapInCompoundFile(const QByteArray& stream);

// Packs the stream, given in consecutive pieces, straight into the file
// open for writing as `descriptor` (at its start), dropping each piece once
// written: saving holds no second copy of a file of megabytes. Returns why
// writing failed, or an empty text.
#if defined(Q_OS_UNIX)
QString writeCompoundFile(std::vector<QByteArray> stream, int descriptor);
#endif

// The "Workbook" stream of a compound file held in memory. frame::Failure when
// the bytes are not a compound file, hold no workbook stream, or hold an
// older (BIFF5 "Book") workbook only.
QByteArray workbookStreamOf(const QByteArray& file);

}  // namespace brevanta::xls
