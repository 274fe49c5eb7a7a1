// The sheet picture as SVG, written from its own drawing commands: one path
// per colour of each band for the fills and for the rules, one <text> per
// laid-out line, and the fonts and colours as shared classes. A register of
// tens of thousands of rows stays a file of tens of megabytes, and any SVG
// reader draws it the way SheetPicture::paint draws it at scale 1.

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <map>

#include "picture/picture_output.h"
#include "frame/text_safety.h"

namespace brevanta::paint {
namespace {

// Text is laid out for a device of the picture's own resolution.
constexpr int kPictureDpi = 96;

QByteArray colorText(QRgb color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", qRed(color), qGreen(color), qBlue(color));
    return QByteArray(text, 7);
}

QByteArray number(double value) { return QByteArray::number(value, 'f', 2).replace(".00", ""); }

// Text as SVG holds it: what no format holds mapped as everywhere, the
// control characters XML 1.0 cannot hold (SVG has no escape for them) as
// U+FFFD, and markup characters escaped.
void appendEscaped(QByteArray& out, QStringView text) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : frame::textSafeFor(text.toString(), frame::TextFormat::Unicode)) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) safe += QChar::ReplacementCharacter;
        else if (u == '&') safe += QLatin1String("&amp;");
        else if (u == '<') safe += QLatin1String("&lt;");
        else if (u == '>') safe += QLatin1String("&gt;");
        else safe += c;
    }
    out += safe.toUtf8();
}

QFont layoutFont(const PictureFont& font) {
    QFont qfont(font.family);
    qfont.setPointSizeF(std::max(0.1, font.pixelSize * 72.0 / kPictureDpi));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeOut);
    return qfont;
}

QByteArray fontStyle(const PictureFont& font) {
    QByteArray style = "font-family:'";
    QByteArray family;
    appendEscaped(family, font.family);
    // Quoted in the style sheet: a name from a workbook must not end the quote or escape out of it.
    style += family.replace('\'', ' ').replace('\\', ' ') + "';font-size:" + number(font.pixelSize) + "px";
    if (font.bold) style += ";font-weight:bold";
    if (font.italic) style += ";font-style:italic";
    if (font.underline || font.strikeOut)
        style += QByteArray(";text-decoration:") + (font.underline ? "underline" : "") +
                 (font.underline && font.strikeOut ? " " : "") + (font.strikeOut ? "line-through" : "");
    return style;
}

class SvgWriter {
public:
    explicit SvgWriter(const SheetPicture& picture) : picture_(picture), device_(1, 1, QImage::Format_RGB32) {
        const int dotsPerMeter = int(std::lround(kPictureDpi / 0.0254));
        device_.setDotsPerMeterX(dotsPerMeter);
        device_.setDotsPerMeterY(dotsPerMeter);
        for (const PictureFont& font : picture.fonts) {
            fonts_.push_back(layoutFont(font));
            metrics_.emplace_back(fonts_.back(), &device_);
        }
    }

    QByteArray write() {
        const QByteArray width = QByteArray::number(picture_.width), height = QByteArray::number(picture_.height);
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                "version=\"1.1\" xml:space=\"preserve\" width=\"" +
                width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + ' ' + height + "\">\n";
        // The classes come first, so a reader that streams knows them before the first text.
        for (const PictureBand& band : picture_.bands)
            for (const TextCommand& text : band.texts)
                if (text.font < picture_.fonts.size()) styleClass(text.font, text.color);
        out_ += "<style>\n" + styles_ + "</style>\n";
        out_ += "<rect width=\"" + width + "\" height=\"" + height + "\" fill=\"#ffffff\"/>\n";
        // The painter's order: images, fills and rules of every band, then all text on top.
        for (const PictureBand& band : picture_.bands) writeImages(band);
        for (const PictureBand& band : picture_.bands) writeRectangles(band.fills);
        for (const PictureBand& band : picture_.bands) writeRectangles(band.rules);
        for (const PictureBand& band : picture_.bands)
            for (const TextCommand& text : band.texts) writeText(text);
        out_ += "</svg>\n";
        return std::move(out_);
    }

private:
    void writeImages(const PictureBand& band) {
        for (const ImageCommand& image : band.images) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.image.save(&buffer, "PNG");
            out_ += "<image x=\"" + QByteArray::number(image.rect.x()) + "\" y=\"" +
                    QByteArray::number(image.rect.y()) + "\" width=\"" + QByteArray::number(image.rect.width()) +
                    "\" height=\"" + QByteArray::number(image.rect.height()) +
                    "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," + png.toBase64() + "\"/>\n";
        }
    }

    // One path per colour: the band's rectangles of that colour as closed sub-paths.
    template <typename Command>
    void writeRectangles(const std::vector<Command>& commands) {
        std::map<QRgb, QByteArray> paths;
        for (const Command& command : commands) {
            const QRect& r = command.rect;
            if (r.isEmpty()) continue;
            paths[command.color] += 'M' + QByteArray::number(r.x()) + ' ' + QByteArray::number(r.y()) + 'h' +
                                    QByteArray::number(r.width()) + 'v' + QByteArray::number(r.height()) + 'h' +
                                    QByteArray::number(-r.width()) + 'z';
        }
        for (const auto& [color, path] : paths) out_ += "<path fill=\"" + colorText(color) + "\" d=\"" + path + "\"/>\n";
    }

    QByteArray styleClass(uint16_t font, QRgb color) {
        const quint64 key = (quint64(font) << 32) | color;
        auto found = classes_.constFind(key);
        if (found != classes_.constEnd()) return *found;
        const QByteArray name = 's' + QByteArray::number(classes_.size());
        styles_ += '.' + name + '{' + fontStyle(picture_.fonts[font]) + ";fill:" + colorText(color) + "}\n";
        classes_.insert(key, name);
        return name;
    }

    QByteArray clipReference(const QRect& clip) {
        const QByteArray key = QByteArray::number(clip.x()) + ' ' + QByteArray::number(clip.y()) + ' ' +
                               QByteArray::number(clip.width()) + ' ' + QByteArray::number(clip.height());
        auto found = clips_.constFind(key);
        if (found != clips_.constEnd()) return *found;
        const QByteArray id = 'c' + QByteArray::number(clips_.size());
        out_ += "<clipPath id=\"" + id + "\"><rect x=\"" + QByteArray::number(clip.x()) + "\" y=\"" +
                QByteArray::number(clip.y()) + "\" width=\"" + QByteArray::number(clip.width()) + "\" height=\"" +
                QByteArray::number(clip.height()) + "\"/></clipPath>\n";
        clips_.insert(key, id);
        return id;
    }

    // Lays the text out in its box as QPainter::drawText does (alignment,
    // word wrap, explicit line breaks) and writes one <text> per line.
    void writeText(const TextCommand& command) {
        if (command.font >= fonts_.size() || command.text >= picture_.texts.size()) return;
        QString text = picture_.texts[command.text];
        const QRect& box = command.box;
        // (start, length, top, ascent) of each line, the top relative to the first line's.
        struct Line {
            qsizetype start, length;
            double top, ascent;
        };
        std::vector<Line> lines;
        double height = 0;
        // Most cells hold one line: the recorder leaves the clip empty for
        // wrapped text it knows fits, and only a line break or wrapping makes more.
        const bool oneLine = !text.contains(QLatin1Char('\n')) && (!(command.flags & Qt::TextWordWrap) || command.clip.isEmpty());
        if (oneLine) {
            const QFontMetricsF& metrics = metrics_[command.font];
            lines.push_back({0, text.size(), 0, metrics.ascent()});
            height = metrics.height();
        } else {
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            QTextLayout layout(text, fonts_[command.font], &device_);
            QTextOption option;
            option.setWrapMode((command.flags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::ManualWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(box.width());
                lines.push_back({line.textStart(), line.textLength(), height, line.ascent()});
                height += line.height();
            }
            layout.endLayout();
        }

        double top = box.top();
        if (command.flags & Qt::AlignBottom) top = box.top() + box.height() - height;
        else if (command.flags & Qt::AlignVCenter) top = box.top() + (box.height() - height) / 2;
        QByteArray anchor;
        double x = box.left();
        if (command.flags & Qt::AlignRight) {
            anchor = " text-anchor=\"end\"";
            x = box.left() + box.width();
        } else if (command.flags & Qt::AlignHCenter) {
            anchor = " text-anchor=\"middle\"";
            x = box.left() + box.width() / 2.0;
        }

        const QByteArray style = styleClass(command.font, command.color);
        const QByteArray clip = command.clip.isEmpty() ? QByteArray()
                                                       : " clip-path=\"url(#" + clipReference(command.clip) + ")\"";
        for (const Line& line : lines) {
            QStringView part = QStringView(text).mid(line.start, line.length);
            while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace())) part.chop(1);
            if (part.isEmpty()) continue;
            out_ += "<text class=\"" + style + "\" x=\"" + number(x) + "\" y=\"" + number(top + line.top + line.ascent) +
                    '"' + anchor + clip + '>';
            appendEscaped(out_, part);
            out_ += "</text>\n";
        }
    }

    const SheetPicture& picture_;
    QImage device_;
    std::vector<QFont> fonts_;
    std::vector<QFontMetricsF> metrics_;
    QByteArray out_;
    QByteArray styles_;
    QHash<quint64, QByteArray> classes_;
    QHash<QByteArray, QByteArray> clips_;
};

}  // namespace

QByteArray pictureToSvg(const SheetPicture& picture) {
    if (picture.isNull()) return {};
    return SvgWriter(picture.whole()).write();
}

}  // namespace brevanta::paint
