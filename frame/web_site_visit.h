#pragma once
// The occasional visit to our web site at start-up.

#include <QString>
#include <functional>

namespace brevanta::frame {

inline constexpr char kWebSite[] = "https://brevanta.app/";

// On one start in a hundred (a draw of 7 from 1..100) opens the web site.
// The draw and the opener are replaceable so tests never open a browser.
struct WebSiteVisit {
    std::function<int()> drawOneToHundred;            // default: seeded from the time of day
    std::function<void(const QString& url)> open;     // default: QDesktopServices::openUrl
};
void maybeOpenWebSite(const WebSiteVisit& visit = {});

}  // namespace brevanta::frame
