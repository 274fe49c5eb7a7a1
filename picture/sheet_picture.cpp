#include "picture/sheet_picture.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace brevanta::paint {
namespace {

// Picture pixels to device pixels. Every edge is rounded on its own, so
// rectangles that share an edge in the picture share it on the device too:
// fills tile without gaps or overlaps at any scale.
class DeviceGrid {
public:
    DeviceGrid(double scaleX, double scaleY) : scaleX_(scaleX), scaleY_(scaleY) {}

    int x(int pictureX) const { return int(std::lround(pictureX * scaleX_)); }
    int y(int pictureY) const { return int(std::lround(pictureY * scaleY_)); }

    QRect rect(const QRect& picture) const {
        const int left = x(picture.left()), top = y(picture.top());
        return QRect(left, top, x(picture.left() + picture.width()) - left, y(picture.top() + picture.height()) - top);
    }

    // A one-pixel rule keeps one device pixel, on the last pixel of its span.
    QRect rule(const QRect& picture) const {
        QRect device = rect(picture);
        if (picture.width() == 1) {
            device.setLeft(x(picture.left() + 1) - 1);
            device.setWidth(1);
        }
        if (picture.height() == 1) {
            device.setTop(y(picture.top() + 1) - 1);
            device.setHeight(1);
        }
        return device;
    }

private:
    double scaleX_;
    double scaleY_;
};

QFont scaledFont(const PictureFont& font, double scale, int deviceDpi) {
    QFont qfont(font.family);
    // A point size in the device's own resolution lands on the exact pixel
    // size, fractions included, where a pixel size would be rounded.
    qfont.setPointSizeF(std::max(0.1, font.pixelSize * scale * 72.0 / std::max(1, deviceDpi)));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeOut);
    return qfont;
}

}  // namespace

struct SheetPicture::Pending {
    std::shared_ptr<BandSource> source;
    std::vector<bool> recorded;
    size_t recordedCount = 0;
    // The recorded bands are the first recordedCount, recorded top to bottom:
    // the tables hold what recording at once would have put there so far.
    bool inOrder = true;
};

SheetPicture::SheetPicture(const SheetPicture& other) { *this = other; }

SheetPicture& SheetPicture::operator=(const SheetPicture& other) {
    if (this == &other) return *this;
    other.whole();
    width = other.width;
    height = other.height;
    fonts = other.fonts;
    texts = other.texts;
    bands = other.bands;
    reachBelow_ = other.reachBelow_;
    pending_.reset();
    return *this;
}

SheetPicture::SheetPicture() = default;
SheetPicture::SheetPicture(SheetPicture&&) noexcept = default;
SheetPicture& SheetPicture::operator=(SheetPicture&&) noexcept = default;
SheetPicture::~SheetPicture() = default;

SheetPicture SheetPicture::onDemand(int width, int height, std::vector<PictureBand> bands,
                                    std::shared_ptr<BandSource> source) {
    SheetPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bands = std::move(bands);
    picture.finish();
    if (source && !picture.bands.empty()) {
        picture.pending_ = std::make_unique<Pending>();
        picture.pending_->source = std::move(source);
        picture.pending_->recorded.assign(picture.bands.size(), false);
    }
    return picture;
}

void SheetPicture::recordBands(size_t first, size_t last) const {
    if (!pending_) return;
    Pending& pending = *pending_;
    last = std::min(last, bands.size());
    for (size_t b = first; b < last; ++b) {
        if (pending.recorded[b]) continue;
        pending.source->record(b, bands[b], fonts, texts);
        pending.recorded[b] = true;
        if (b != pending.recordedCount) pending.inOrder = false;
        ++pending.recordedCount;
    }
}

const SheetPicture& SheetPicture::whole() const {
    if (!pending_) return *this;
    if (!pending_->inOrder) {
        // Bands were looked at out of order: record again from the top, so
        // the whole picture is the same whichever parts were seen first.
        fonts.clear();
        texts.clear();
        for (PictureBand& band : bands) {
            band.fills.clear();
            band.rules.clear();
            band.texts.clear();
            band.images.clear();
        }
        pending_->source->restart();
        pending_->recorded.assign(bands.size(), false);
        pending_->recordedCount = 0;
        pending_->inOrder = true;
    }
    recordBands(0, bands.size());
    pending_.reset();
    computeReach();
    return *this;
}

bool SheetPicture::operator==(const SheetPicture& other) const {
    whole();
    other.whole();
    return width == other.width && height == other.height && fonts == other.fonts && texts == other.texts &&
           bands == other.bands;
}

SheetPicture SheetPicture::fromImage(const QImage& image) {
    SheetPicture picture;
    if (image.isNull()) return picture;
    picture.width = image.width();
    picture.height = image.height();
    PictureBand band;
    band.top = 0;
    band.bottom = image.height();
    band.images.push_back({image.rect(), image});
    picture.bands.push_back(std::move(band));
    picture.finish();
    return picture;
}

QImage SheetPicture::bitmap() const {
    if (pending_ || bands.size() != 1) return {};
    const PictureBand& band = bands.front();
    if (band.images.size() != 1 || !band.fills.empty() || !band.rules.empty() || !band.texts.empty()) return {};
    const ImageCommand& image = band.images.front();
    if (image.rect != QRect(0, 0, width, height) || image.image.size() != image.rect.size()) return {};
    return image.image;
}

void SheetPicture::finish() { computeReach(); }

void SheetPicture::computeReach() const {
    reachBelow_.clear();
    reachBelow_.reserve(bands.size());
    int reach = 0;
    for (const PictureBand& band : bands) {
        reach = std::max(reach, band.bottom);
        reachBelow_.push_back(reach);
    }
}

std::pair<size_t, size_t> SheetPicture::bandsCrossing(double top, double bottom) const {
    // Bands before `first` end above the rectangle; tops only grow, so the
    // first band starting below it ends the run.
    const size_t first = size_t(std::upper_bound(reachBelow_.begin(), reachBelow_.end(), top,
                                                 [](double value, int reach) { return value < reach; }) -
                                reachBelow_.begin());
    size_t last = first;
    while (last < bands.size() && bands[last].top < bottom) ++last;
    return {first, last};
}

void SheetPicture::paint(QPainter& painter, const QRect& target, double scaleX, double scaleY) const {
    if (isNull() || scaleX <= 0 || scaleY <= 0 || target.isEmpty()) return;
    // One picture pixel of slack each way: rounding may move an edge by a pixel.
    const auto [first, last] = bandsCrossing(target.top() / scaleY - 1, (target.bottom() + 1) / scaleY + 1);
    if (first >= last) return;
    recordBands(first, last);
    const DeviceGrid grid(scaleX, scaleY);
    const QRect wanted = target.adjusted(-1, -1, 1, 1);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scaleX != 1.0 || scaleY != 1.0);
    for (size_t b = first; b < last; ++b)
        for (const ImageCommand& image : bands[b].images)
            painter.drawImage(QRectF(grid.rect(image.rect)), image.image, QRectF(image.image.rect()));
    // Neighbouring fills of one colour along a row go out as one rectangle:
    // the same pixels, and a fraction of the commands for a printer or PDF.
    QRect run;
    QRgb runColor = 0;
    auto flushRun = [&] {
        if (!run.isEmpty()) painter.fillRect(run, QColor::fromRgb(runColor));
        run = QRect();
    };
    for (size_t b = first; b < last; ++b)
        for (const FillCommand& fill : bands[b].fills) {
            const QRect rect = grid.rect(fill.rect);
            if (!rect.intersects(wanted)) continue;
            if (!run.isEmpty() && fill.color == runColor && rect.top() == run.top() &&
                rect.height() == run.height() && rect.left() == run.right() + 1) {
                run.setRight(rect.right());
                continue;
            }
            flushRun();
            run = rect;
            runColor = fill.color;
        }
    flushRun();
    for (size_t b = first; b < last; ++b)
        for (const RuleCommand& rule : bands[b].rules) {
            const QRect rect = grid.rule(rule.rect);
            if (rect.intersects(wanted)) painter.fillRect(rect, QColor::fromRgb(rule.color));
        }

    // Text last, so no band's fill covers the text of the band above it.
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    std::vector<QFont> scaled;
    scaled.reserve(fonts.size());
    for (const PictureFont& font : fonts) scaled.push_back(scaledFont(font, scaleY, dpi));
    int currentFont = -1;
    QRgb currentColor = 0;
    bool penSet = false;
    for (size_t b = first; b < last; ++b)
        for (const TextCommand& text : bands[b].texts) {
            if (text.font >= scaled.size() || text.text >= texts.size()) continue;
            const QRect reach = grid.rect(text.clip.isEmpty() ? text.box : text.clip);
            if (!reach.intersects(wanted)) continue;
            if (currentFont != text.font) {
                painter.setFont(scaled[text.font]);
                currentFont = text.font;
            }
            if (!penSet || currentColor != text.color) {
                painter.setPen(QColor::fromRgb(text.color));
                currentColor = text.color;
                penSet = true;
            }
            const QRect box = grid.rect(text.box);
            if (text.clip.isEmpty()) {
                painter.drawText(box, text.flags, texts[text.text]);
            } else {
                painter.save();
                painter.setClipRect(grid.rect(text.clip), Qt::IntersectClip);
                painter.drawText(box, text.flags, texts[text.text]);
                painter.restore();
            }
        }
    painter.restore();
}

}  // namespace brevanta::paint
