#include "frame/app_title.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace brevanta::frame {

QString titleFromProductTitle(const QString& productTitle) {
    QString title = productTitle;
    while (title.size() > 40) {
        const int blank = title.lastIndexOf(QLatin1Char(' '));
        title = blank > 0 ? title.left(blank) : title.left(40);
    }
    return title;
}

namespace {
QString gAppTitle;
}

void setAppTitle() {
    gAppTitle = titleFromProductTitle(QString::fromLatin1(kProductTitle));
    QCoreApplication::setApplicationName(gAppTitle);
    QGuiApplication::setApplicationDisplayName(gAppTitle);
}

QString appTitle() { return gAppTitle.isEmpty() ? titleFromProductTitle(QString::fromLatin1(kProductTitle)) : gAppTitle; }

}  // namespace brevanta::frame
