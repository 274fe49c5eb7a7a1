// make_hand_cursor OUT.CUR: writes the hand pointer as a Windows cursor file.

#include <QFile>
#include <cstdio>

#include "data/tools/hand_cursor.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_hand_cursor OUT.CUR\n", stderr);
        return 2;
    }
    using namespace brevanta::data;
    QFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray bytes = encodeCursorFile(drawHandCursor(), kHandHotSpot);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "make_hand_cursor: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
