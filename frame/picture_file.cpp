#include "frame/picture_file.h"

#include <QFile>
#include <QtGlobal>
#include <cstdint>

// Mapping the picture file instead of copying it is a POSIX matter; on other
// systems the copying reader serves (and a mapped file could not be deleted there).
#if defined(Q_OS_UNIX)
#define BREVANTA_MAP_PICTURES 1
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace brevanta::frame {

namespace {

// BITMAPFILEHEADER, BITMAPINFOHEADER and the three colour masks of BI_BITFIELDS,
// then two unused bytes, so the pixels start on a 4-byte boundary and a mapped
// file can be an image's buffer as it is.
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kPixelOffset = kFileHeaderSize + kInfoHeaderSize + 12 + 2;
constexpr quint32 kBitFields = 3;
constexpr quint32 kRedMask = 0x00FF0000u;
constexpr quint32 kGreenMask = 0x0000FF00u;
constexpr quint32 kBlueMask = 0x000000FFu;
constexpr qint64 kLargestFile = 0xFFFFFFFFll;  // the header keeps sizes in 32 bits

constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
// Reading in pieces that stay in the cache while their alpha is set.
constexpr qint64 kReadPiece = qint64(1) << 20;

void put16(uchar* at, quint16 value) {
    at[0] = uchar(value);
    at[1] = uchar(value >> 8);
}

void put32(uchar* at, quint32 value) {
    for (int i = 0; i < 4; ++i) at[i] = uchar(value >> (8 * i));
}

quint16 get16(const uchar* at) { return quint16(at[0] | (at[1] << 8)); }

quint32 get32(const uchar* at) {
    return quint32(at[0]) | (quint32(at[1]) << 8) | (quint32(at[2]) << 16) | (quint32(at[3]) << 24);
}

// The size of the picture the header describes, when it is exactly the layout
// savePictureFile writes; otherwise an empty size.
QSize ownLayoutSize(const uchar* header, qint64 fileSize) {
    if (header[0] != 'B' || header[1] != 'M') return {};
    const uchar* info = header + kFileHeaderSize;
    if (get32(header + 10) != quint32(kPixelOffset) || get32(info) != quint32(kInfoHeaderSize)) return {};
    const auto width = qint32(get32(info + 4));
    const auto height = qint32(get32(info + 8));
    if (width <= 0 || height >= 0 || height == INT32_MIN) return {};
    if (get16(info + 12) != 1 || get16(info + 14) != 32 || get32(info + 16) != kBitFields) return {};
    if (get32(info + 40) != kRedMask || get32(info + 44) != kGreenMask || get32(info + 48) != kBlueMask) return {};
    if (get32(info + 32) != 0) return {};  // no colour table
    if (kPixelOffset + qint64(width) * qint64(-height) * 4 > fileSize) return {};
    return QSize(width, -height);
}

#if BREVANTA_MAP_PICTURES
struct Mapping {
    void* start;
    size_t length;
};

void unmapPicture(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->start, mapping->length);
    delete mapping;
}

#endif

void setResolution(QImage& image, const uchar* header) {
    const auto dotsX = qint32(get32(header + kFileHeaderSize + 24));
    const auto dotsY = qint32(get32(header + kFileHeaderSize + 28));
    if (dotsX > 0) image.setDotsPerMeterX(dotsX);
    if (dotsY > 0) image.setDotsPerMeterY(dotsY);
}

// The file's pixels as the image's buffer, mapped: nothing is copied. Null when the file cannot be
// mapped or a pixel's unused byte is not 0xFF (a Format_RGB32 image needs that;
// the copying reader sets it).
QImage mappedPicture(QFile& file, QSize size, const uchar* header) {
#if !BREVANTA_MAP_PICTURES
    Q_UNUSED(file);
    Q_UNUSED(size);
    Q_UNUSED(header);
    return {};
#else
    const qint64 pixelBytes = qint64(size.width()) * size.height() * 4;
    const auto length = size_t(kPixelOffset + pixelBytes);
    // Read-only: an image over it copies itself before anything paints on it.
#ifdef MAP_POPULATE
    constexpr int kFlags = MAP_PRIVATE | MAP_POPULATE;  // read it in now, in one go
#else
    constexpr int kFlags = MAP_PRIVATE;
#endif
    void* start = mmap(nullptr, length, PROT_READ, kFlags, file.handle(), 0);
    if (start == MAP_FAILED) return {};
    auto* mapping = new Mapping{start, length};
    const uchar* bits = static_cast<const uchar*>(start) + kPixelOffset;
    const auto* pixel = reinterpret_cast<const quint32*>(bits);
    quint32 all = 0xFFFFFFFFu;
    for (qint64 i = 0, n = pixelBytes / 4; i < n; ++i) all &= pixel[i];
    if ((all & 0xFF000000u) != 0xFF000000u) {
        unmapPicture(mapping);
        return {};
    }
    QImage image(bits, size.width(), size.height(), size.width() * 4, QImage::Format_RGB32, unmapPicture, mapping);
    if (image.isNull()) {
        unmapPicture(mapping);
        return {};
    }
    setResolution(image, header);
    return image;
#endif
}

}  // namespace

QImage uninitialisedImage(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (image.isNull()) return image;
#ifdef MADV_HUGEPAGE
    const auto bytes = std::uintptr_t(image.sizeInBytes());
    if (bytes >= 4 * kHugePage) {
        const auto start = reinterpret_cast<std::uintptr_t>(image.bits());
        const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
        // Only advice: where huge pages are not to be had, small ones serve.
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    return image;
}

bool savePictureFile(const QImage& picture, const QString& path) {
    if (picture.isNull()) return false;
    const QImage image =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const qint64 pixelBytes = qint64(image.width()) * image.height() * 4;
    if (image.isNull() || image.bytesPerLine() != image.width() * 4 || kPixelOffset + pixelBytes > kLargestFile)
        return false;

    uchar header[kPixelOffset] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, quint32(kPixelOffset + pixelBytes));
    put32(header + 10, quint32(kPixelOffset));
    uchar* info = header + kFileHeaderSize;
    put32(info, quint32(kInfoHeaderSize));
    put32(info + 4, quint32(image.width()));
    put32(info + 8, quint32(-image.height()));  // negative: the top row comes first
    put16(info + 12, 1);
    put16(info + 14, 32);
    put32(info + 16, kBitFields);
    put32(info + 20, quint32(pixelBytes));
    put32(info + 24, quint32(image.dotsPerMeterX()));
    put32(info + 28, quint32(image.dotsPerMeterY()));
    put32(info + 40, kRedMask);
    put32(info + 44, kGreenMask);
    put32(info + 48, kBlueMask);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return false;
    // Rows of 32-bit pixels need no padding, so the image's buffer is the file's pixel array.
    return file.write(reinterpret_cast<const char*>(header), kPixelOffset) == kPixelOffset &&
           file.write(reinterpret_cast<const char*>(image.constBits()), pixelBytes) == pixelBytes;
}

QImage loadPictureFile(const QString& path) {
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return {};
        uchar header[kPixelOffset];
        const QSize size = file.read(reinterpret_cast<char*>(header), kPixelOffset) == kPixelOffset
                               ? ownLayoutSize(header, file.size())
                               : QSize();
        if (!size.isEmpty()) {
            QImage mapped = mappedPicture(file, size, header);
            if (!mapped.isNull()) return mapped;
            QImage image = uninitialisedImage(size.width(), size.height(), QImage::Format_RGB32);
            if (image.isNull()) return {};
            if (!file.seek(kPixelOffset)) return {};
            uchar* bits = image.bits();
            const qint64 total = image.sizeInBytes();
            for (qint64 done = 0; done < total;) {
                const qint64 piece = std::min(kReadPiece, total - done);
                if (file.read(reinterpret_cast<char*>(bits + done), piece) != piece) return {};
                // The fourth byte is unused in the file; in the image it is opaque.
                auto* pixel = reinterpret_cast<quint32*>(bits + done);
                for (qint64 i = 0, n = piece / 4; i < n; ++i) pixel[i] |= 0xFF000000u;
                done += piece;
            }
            setResolution(image, header);
            return image;
        }
    }
    QImage image;
    image.load(path);
    return image;
}

}  // namespace brevanta::frame
