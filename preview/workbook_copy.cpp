#include "preview/workbook_copy.h"

#include "frame/safe_file.h"

namespace brevanta::preview {

void copyFileReplacing(const QString& source, const QString& destination) {
    frame::copyFileSafely(source, destination);
}

}  // namespace brevanta::preview
