#include "preview/workbook_copy.h"

#include "frame/app_title.h"

#include "frame/safe_file.h"
#include "xlsx/xlsx_file.h"

namespace brevanta::preview {

frame::Answer askToOverwrite(const QString& chosenName) {
    return frame::prompter().message(frame::appTitle(),
                                     QStringLiteral("Are you sure you wish to overwrite ") + chosenName +
                                         QStringLiteral(" ?"),
                                     frame::Buttons::YesNo, frame::Icon::None);
}

void copyFileReplacing(const QString& source, const QString& destination) {
    frame::copyFileSafely(source, destination);
}

bool wantsXlsx(const QString& chosenName, const QString& chosenFilter) {
    // A typed extension wins over the filter, so the file's format always matches its name.
    if (chosenName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) return true;
    if (chosenName.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive)) return false;
    return chosenFilter == kXlsxFilter;
}

void saveWorkbookAs(const QString& source, const QString& destination, bool asXlsx) {
    if (asXlsx) xlsx::convertXlsWorkbook(source, destination);
    else copyFileReplacing(source, destination);
}

}  // namespace brevanta::preview
