#include "frame/web_site_visit.h"

#include <QDesktopServices>
#include <QTime>
#include <QUrl>
#include <random>

namespace brevanta::frame {

void maybeOpenWebSite(const WebSiteVisit& visit) {
    int draw;
    if (visit.drawOneToHundred) {
        draw = visit.drawOneToHundred();
    } else {
        std::mt19937 random(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()));
        draw = std::uniform_int_distribution<int>(1, 100)(random);
    }
    if (draw != 7) return;
    const QString url = QString::fromLatin1(kWebSite);
    if (visit.open) visit.open(url);
    else QDesktopServices::openUrl(QUrl(url));
}

}  // namespace brevanta::frame
