#pragma once
// A sheet's picture as drawing commands rather than pixels: fills, one-pixel
// rules, text and, for pictures that arrive as bitmaps, images, all in the
// picture's own pixels at 96 dpi. The commands are kept in horizontal bands
// that know how far down their drawing reaches, so painting one rectangle of
// a picture hundreds of thousands of pixels tall touches only the few bands
// that rectangle crosses, at whatever scale the painter asks for.
//
// A picture may also be recorded on demand: its bands' places are known from
// the start, their commands are recorded by a BandSource the first time
// something paints across them. Whatever reads the commands themselves
// (files, the clipboard's other formats, comparisons) asks for the whole
// picture first, which records the rest. Such a picture is used from one
// thread at a time.

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace brevanta::paint {

struct PictureFont {
    QString family;
    double pixelSize = 13;  // at scale 1
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const PictureFont&) const = default;
};

struct FillCommand {
    QRect rect;
    QRgb color = 0;
    bool operator==(const FillCommand&) const = default;
};

// A grid line along one edge of a cell: a rectangle one pixel wide or one
// pixel high. It stays one device pixel thick at every scale and keeps to the
// last pixel of the span it closes, as a spreadsheet draws its grid.
struct RuleCommand {
    QRect rect;
    QRgb color = 0;
    bool operator==(const RuleCommand&) const = default;
};

struct TextCommand {
    QRect box;     // the text is laid out in this rectangle with `flags`
    QRect clip;    // empty when the text stays inside its box
    uint32_t text = 0;   // index into SheetPicture::texts
    uint16_t font = 0;   // index into SheetPicture::fonts
    uint16_t flags = 0;  // Qt::Alignment and Qt::TextWordWrap
    QRgb color = 0;
    bool operator==(const TextCommand&) const = default;
};

struct ImageCommand {
    QRect rect;
    QImage image;
    bool operator==(const ImageCommand& other) const { return rect == other.rect && image == other.image; }
};

struct PictureBand {
    int top = 0;     // where the band's first row starts
    int bottom = 0;  // one past the lowest pixel anything in the band draws on
    std::vector<FillCommand> fills;
    std::vector<RuleCommand> rules;
    std::vector<TextCommand> texts;
    std::vector<ImageCommand> images;
    bool operator==(const PictureBand&) const = default;
};

// Records the commands of one band of a picture recorded on demand, adding
// the fonts and texts they name to the picture's tables.
class BandSource {
public:
    virtual ~BandSource() = default;
    // Fills `band`, whose top is set and whose bottom may be lowered to how
    // far its drawing really reaches (never raised).
    virtual void record(size_t index, PictureBand& band, std::vector<PictureFont>& fonts,
                        std::vector<QString>& texts) = 0;
    // The picture's tables were emptied: nothing recorded so far may be named again.
    virtual void restart() = 0;
};

class SheetPicture {
public:
    int width = 0;   // natural size in pixels at 96 dpi
    int height = 0;
    // Mutable: a picture recorded on demand fills them in as it is looked at.
    mutable std::vector<PictureFont> fonts;
    mutable std::vector<QString> texts;
    mutable std::vector<PictureBand> bands;  // in the order of their tops

    SheetPicture();
    // A copy is always whole: copying records whatever was still to record.
    SheetPicture(const SheetPicture& other);
    SheetPicture& operator=(const SheetPicture& other);
    SheetPicture(SheetPicture&&) noexcept;
    SheetPicture& operator=(SheetPicture&&) noexcept;
    ~SheetPicture();

    // A picture whose bands (tops set, bottoms no lower than their drawing
    // can reach, commands empty) `source` records as they are needed.
    static SheetPicture onDemand(int width, int height, std::vector<PictureBand> bands,
                                 std::shared_ptr<BandSource> source);

    bool isNull() const { return width <= 0 || height <= 0; }
    bool operator==(const SheetPicture& other) const;

    // True once every band is recorded (always, for a picture not recorded on demand).
    bool isWhole() const { return !pending_; }
    // Records every band still to record, so that the tables and commands
    // are the same as had the picture been recorded at once, top to bottom;
    // the source is let go.
    const SheetPicture& whole() const;
    // Records the bands [first, last) still to record.
    void recordBands(size_t first, size_t last) const;

    // A bitmap as a picture: one band holding one image at its natural size.
    static SheetPicture fromImage(const QImage& image);
    // The bitmap of a picture fromImage made; null for a drawn picture.
    QImage bitmap() const;

    // Checks the bands' order and reach and prepares the look-up of the
    // bands a rectangle crosses. Called once the picture is complete.
    void finish();

    // The index range [first, last) of the bands whose drawing may reach
    // into the rows from `top` to `bottom` (exclusive) of the picture.
    std::pair<size_t, size_t> bandsCrossing(double top, double bottom) const;

    // Paints what falls into `target`, a rectangle of the painter's device,
    // with the picture's top-left corner at the device's origin and the
    // picture scaled by (scaleX, scaleY). Text is laid out at the scaled size.
    void paint(QPainter& painter, const QRect& target, double scaleX, double scaleY) const;

private:
    struct Pending;
    void computeReach() const;
    mutable std::vector<int> reachBelow_;  // reachBelow_[i]: the lowest bottom of bands 0..i
    mutable std::unique_ptr<Pending> pending_;  // none once whole
};

using SharedPicture = std::shared_ptr<const SheetPicture>;

}  // namespace brevanta::paint
