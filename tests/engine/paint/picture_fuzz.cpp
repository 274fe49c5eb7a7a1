// The picture file reader on arbitrary bytes: it never reads outside them,
// and whatever it accepts encodes back to a picture that decodes the same
// and paints without trouble.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

#include "picture/picture_codec.h"

using namespace brevanta::paint;

// Painting text makes fontconfig build its font patterns, which it keeps
// for the life of the process by design.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "picture_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;

    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<SheetPicture> picture = decodePicture(bytes);
    if (!picture) return 0;
    const std::optional<SheetPicture> again = decodePicture(encodePicture(*picture));
    if (!again || !(encodePicture(*again) == encodePicture(*picture))) std::abort();
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture->paint(painter, image.rect(), 0.5, 0.5);
    return 0;
}
