#include "picture/picture_codec.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <cstring>
#include <string>

namespace brevanta::paint {
namespace {

constexpr uint8_t kVersion = 1;
constexpr size_t kMagicSize = sizeof(kPictureMagic) - 1;
// Larger coordinates than any sheet can reach are taken as damage.
constexpr uint64_t kLargestCoordinate = uint64_t(1) << 30;

enum StyleBits : uint8_t { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8 };

// ---------------------------------------------------------------- writing

// A long register's picture is millions of small values: they go into a
// plain byte string, copied into a QByteArray once at the end.
class Writer {
public:
    void raw(const char* bytes, size_t size) { out_.append(bytes, size); }
    void unsignedValue(uint64_t value) {
        while (value >= 0x80) {
            out_.push_back(char(uint8_t(value) | 0x80));
            value >>= 7;
        }
        out_.push_back(char(value));
    }
    void signedValue(int64_t value) { unsignedValue((uint64_t(value) << 1) ^ uint64_t(value >> 63)); }
    void text(const QString& text) {
        unsignedValue(uint64_t(text.size()));
        const size_t at = out_.size();
        out_.resize(at + size_t(text.size()) * 2);
        char* to = out_.data() + at;
        for (const QChar c : text) {
            *to++ = char(c.unicode() & 0xFF);
            *to++ = char(c.unicode() >> 8);
        }
    }
    const std::string& bytes() const { return out_; }

private:
    std::string out_;
};

// Rectangles relative to the previous one of their kind.
class RectWriter {
public:
    void write(Writer& out, const QRect& rect) {
        out.signedValue(int64_t(rect.left()) - previous_.x());
        out.signedValue(int64_t(rect.top()) - previous_.y());
        out.unsignedValue(uint64_t(std::max(0, rect.width())));
        out.unsignedValue(uint64_t(std::max(0, rect.height())));
        previous_ = rect.topLeft();
    }

private:
    QPoint previous_;
};

class ColorTable {
public:
    uint32_t indexOf(QRgb color) {
        const auto found = index_.constFind(color);
        if (found != index_.constEnd()) return *found;
        const uint32_t index = uint32_t(colors_.size());
        colors_.push_back(color);
        index_.insert(color, index);
        return index;
    }
    const std::vector<QRgb>& colors() const { return colors_; }

private:
    std::vector<QRgb> colors_;
    QHash<QRgb, uint32_t> index_;
};

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

// ---------------------------------------------------------------- reading

// Every read checks the bytes that remain; the first failure sticks.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : data_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool ok() const { return ok_; }
    size_t remaining() const { return size_t(end_ - data_); }
    bool fail() { return ok_ = false; }

    uint64_t unsignedValue() {
        uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (data_ == end_) return fail(), 0;
            const uint8_t byte = uint8_t(*data_++);
            value |= uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return value;
        }
        return fail(), 0;
    }
    int64_t signedValue() {
        const uint64_t value = unsignedValue();
        return int64_t(value >> 1) ^ -int64_t(value & 1);
    }
    // A count of items each taking at least `smallestItem` bytes.
    size_t count(size_t smallestItem) {
        const uint64_t value = unsignedValue();
        if (value > remaining() / smallestItem) return fail(), 0;
        return size_t(value);
    }
    int coordinate() {
        const uint64_t value = unsignedValue();
        if (value > kLargestCoordinate) return fail(), 0;
        return int(value);
    }
    QString text() {
        const size_t length = count(2);
        QString text(qsizetype(length), Qt::Uninitialized);
        for (size_t i = 0; i < length && ok_; ++i) {
            text[qsizetype(i)] = QChar(uint16_t(uint8_t(data_[0]) | uint8_t(data_[1]) << 8));
            data_ += 2;
        }
        return ok_ ? text : QString();
    }
    QByteArrayView bytes(size_t size) {
        if (size > remaining()) return fail(), QByteArrayView();
        const QByteArrayView view(data_, qsizetype(size));
        data_ += size;
        return view;
    }

private:
    const char* data_;
    const char* end_;
    bool ok_ = true;
};

class RectReader {
public:
    QRect read(Reader& in) {
        const int64_t left = previous_.x() + in.signedValue();
        const int64_t top = previous_.y() + in.signedValue();
        const int width = in.coordinate();
        const int height = in.coordinate();
        if (std::abs(left) > int64_t(kLargestCoordinate) || std::abs(top) > int64_t(kLargestCoordinate)) {
            in.fail();
            return {};
        }
        previous_ = QPoint(int(left), int(top));
        return QRect(int(left), int(top), width, height);
    }

private:
    QPoint previous_;
};

QImage imageFromPng(QByteArrayView bytes) {
    QByteArray copy = bytes.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

}  // namespace

QByteArray encodePicture(const SheetPicture& picture) {
    picture.whole();
    ColorTable colors;
    Writer body;
    body.unsignedValue(picture.fonts.size());
    for (const PictureFont& font : picture.fonts) {
        body.text(font.family);
        body.unsignedValue(uint64_t(std::llround(std::max(0.0, font.pixelSize) * 64)));
        body.unsignedValue((font.bold ? kBold : 0) | (font.italic ? kItalic : 0) | (font.underline ? kUnderline : 0) |
                           (font.strikeOut ? kStrikeOut : 0));
    }
    body.unsignedValue(picture.texts.size());
    for (const QString& text : picture.texts) body.text(text);

    body.unsignedValue(picture.bands.size());
    RectWriter fills, rules, texts, images;
    for (const PictureBand& band : picture.bands) {
        body.unsignedValue(uint64_t(std::max(0, band.top)));
        body.unsignedValue(uint64_t(std::max(0, band.bottom - band.top)));
        body.unsignedValue(band.fills.size());
        body.unsignedValue(band.rules.size());
        body.unsignedValue(band.texts.size());
        body.unsignedValue(band.images.size());
        for (const FillCommand& fill : band.fills) {
            fills.write(body, fill.rect);
            body.unsignedValue(colors.indexOf(fill.color));
        }
        for (const RuleCommand& rule : band.rules) {
            rules.write(body, rule.rect);
            body.unsignedValue(colors.indexOf(rule.color));
        }
        for (const TextCommand& text : band.texts) {
            texts.write(body, text.box);
            if (text.clip.isEmpty()) {
                for (int i = 0; i < 4; ++i) body.unsignedValue(0);
            } else {
                body.signedValue(int64_t(text.clip.left()) - text.box.left());
                body.signedValue(int64_t(text.clip.top()) - text.box.top());
                body.unsignedValue(uint64_t(text.clip.width()));
                body.unsignedValue(uint64_t(text.clip.height()));
            }
            body.unsignedValue(text.text);
            body.unsignedValue(text.font);
            body.unsignedValue(text.flags);
            body.unsignedValue(colors.indexOf(text.color));
        }
        for (const ImageCommand& image : band.images) {
            images.write(body, image.rect);
            const QByteArray png = pngBytes(image.image);
            body.unsignedValue(uint64_t(png.size()));
            body.raw(png.constData(), size_t(png.size()));
        }
    }

    Writer head;
    head.raw(kPictureMagic, kMagicSize);
    head.unsignedValue(kVersion);
    head.unsignedValue(uint64_t(std::max(0, picture.width)));
    head.unsignedValue(uint64_t(std::max(0, picture.height)));
    head.unsignedValue(colors.colors().size());
    for (const QRgb color : colors.colors()) head.unsignedValue(color);
    QByteArray bytes;
    bytes.reserve(qsizetype(head.bytes().size() + body.bytes().size()));
    bytes.append(head.bytes().data(), qsizetype(head.bytes().size()));
    bytes.append(body.bytes().data(), qsizetype(body.bytes().size()));
    return bytes;
}

bool looksLikePicture(QByteArrayView bytes) {
    return size_t(bytes.size()) >= kMagicSize && std::memcmp(bytes.data(), kPictureMagic, kMagicSize) == 0;
}

std::optional<SheetPicture> decodePicture(QByteArrayView bytes) {
    if (!looksLikePicture(bytes)) return std::nullopt;
    Reader in(bytes.sliced(qsizetype(kMagicSize)));
    if (in.unsignedValue() != kVersion) return std::nullopt;
    SheetPicture picture;
    picture.width = in.coordinate();
    picture.height = in.coordinate();

    std::vector<QRgb> colors(in.count(1));
    for (QRgb& color : colors) color = QRgb(in.unsignedValue());
    auto color = [&](uint64_t index) {
        if (index >= colors.size()) return in.fail(), QRgb(0);
        return colors[size_t(index)];
    };

    picture.fonts.resize(in.count(3));
    for (PictureFont& font : picture.fonts) {
        font.family = in.text();
        font.pixelSize = double(in.unsignedValue() % (uint64_t(1) << 24)) / 64;
        const uint64_t style = in.unsignedValue();
        font.bold = style & kBold;
        font.italic = style & kItalic;
        font.underline = style & kUnderline;
        font.strikeOut = style & kStrikeOut;
    }
    picture.texts.resize(in.count(1));
    for (QString& text : picture.texts) text = in.text();

    picture.bands.resize(in.count(6));
    RectReader fills, rules, texts, images;
    int previousTop = 0;
    for (PictureBand& band : picture.bands) {
        band.top = in.coordinate();
        band.bottom = band.top + in.coordinate();
        if (band.top < previousTop) return std::nullopt;
        previousTop = band.top;
        band.fills.resize(in.count(5));
        band.rules.resize(in.count(5));
        band.texts.resize(in.count(12));
        band.images.resize(in.count(5));
        for (FillCommand& fill : band.fills) {
            fill.rect = fills.read(in);
            fill.color = color(in.unsignedValue());
        }
        for (RuleCommand& rule : band.rules) {
            rule.rect = rules.read(in);
            rule.color = color(in.unsignedValue());
        }
        for (TextCommand& text : band.texts) {
            text.box = texts.read(in);
            const int64_t clipLeft = in.signedValue(), clipTop = in.signedValue();
            const int clipWidth = in.coordinate(), clipHeight = in.coordinate();
            if (clipWidth > 0 && clipHeight > 0) {
                if (std::abs(clipLeft) > int64_t(kLargestCoordinate) || std::abs(clipTop) > int64_t(kLargestCoordinate))
                    return std::nullopt;
                text.clip = QRect(text.box.left() + int(clipLeft), text.box.top() + int(clipTop), clipWidth, clipHeight);
            }
            const uint64_t textIndex = in.unsignedValue(), fontIndex = in.unsignedValue();
            if (textIndex >= picture.texts.size() || fontIndex >= picture.fonts.size()) return std::nullopt;
            text.text = uint32_t(textIndex);
            text.font = uint16_t(fontIndex);
            text.flags = uint16_t(in.unsignedValue());
            text.color = color(in.unsignedValue());
        }
        for (ImageCommand& image : band.images) {
            image.rect = images.read(in);
            const QByteArrayView png = in.bytes(size_t(in.unsignedValue()));
            if (!in.ok()) return std::nullopt;
            image.image = imageFromPng(png);
            if (image.image.isNull()) return std::nullopt;
        }
        if (!in.ok()) return std::nullopt;
    }
    if (!in.ok() || in.remaining() != 0) return std::nullopt;
    picture.finish();
    return picture;
}

}  // namespace brevanta::paint
