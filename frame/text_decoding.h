#pragma once
// Text files from elsewhere (bank statements, CSV files of other programs)
// come in whatever encoding their writer used. One rule reads them all: a
// UTF-8 or UTF-16 byte-order mark decides (and is dropped); otherwise bytes
// that are valid UTF-8 are UTF-8, and anything else is Windows-1252.

#include <QByteArray>
#include <QString>

namespace brevanta::frame {

// Never fails: every byte sequence gives a text.
QString decodeText(const QByteArray& bytes);

}  // namespace brevanta::frame
