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

void setAppTitle() {
    const QString title = appTitle();
    QCoreApplication::setApplicationName(title);
    QGuiApplication::setApplicationDisplayName(title);
}

// Always the product title cut to size: nothing to remember between calls.
QString appTitle() { return titleFromProductTitle(QString::fromLatin1(kProductTitle)); }

}  // namespace brevanta::frame
