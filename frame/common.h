#pragma once
// The small routines every window uses: file tests and quiet deletes, the
// button-face colours and the optional skin, the application title, the
// clipboard picture, the locale's decimal separator, and the occasional
// visit to our web site at start-up.

#include <QImage>
#include <QString>
#include <functional>

#include "engine/paint/sheet_picture.h"

class QWidget;

namespace brevanta::frame {

inline constexpr char kProductTitle[] = "Brevanta";
inline constexpr char kWebSite[] = "https://brevanta.app/";

// The folder the program runs from.
QString programFolder();

// True when the path names something whose modification time can be read; never fails.
bool fileExists(const QString& path);

// Lets pending window events run once, then deletes the file, forcing it
// when the ordinary delete fails; a temporary file deleted is no longer
// remembered for the program's end. Never fails, shows nothing.
void deleteFileQuietly(const QString& path);

// Deletes a file even when it is read-only. Throws Failure when it cannot.
void forceDeleteFile(const QString& path);

// Gives the window, and its frames, labels, check boxes and option buttons, the button-face colour.
void useButtonFaceColors(QWidget* window);

// When the program folder holds "x/o.cjs", colours the window like
// useButtonFaceColors and applies the file as the window's style sheet.
// Throws Failure when the file exists but cannot be read.
void applySkin(QWidget* mainWindow);
void applySkin(QWidget* mainWindow, const QString& folder);

// The application title: the product title cut back by whole words to at most 40 characters.
void setAppTitle();
QString appTitle();
QString titleFromProductTitle(const QString& productTitle);

// A picture from the clipboard, tried up to 1000 times; null when none came.
// `format` 0 takes whatever picture the clipboard offers: a sheet picture as
// drawn, or a bitmap.
paint::SharedPicture getClipboardPicture(int format = 0);

// The locale's decimal separator, read from how it writes one half.
QChar decimalSeparator();
// Every "." and then every "," replaced by the locale's decimal separator.
QString localizeDecimalText(const QString& text);

// On one start in a hundred (a draw of 7 from 1..100) opens the web site.
// The draw and the opener are replaceable so tests never open a browser.
struct WebSiteVisit {
    std::function<int()> drawOneToHundred;            // default: seeded from the time of day
    std::function<void(const QString& url)> open;     // default: QDesktopServices::openUrl
};
void maybeOpenWebSite(const WebSiteVisit& visit = {});

}  // namespace brevanta::frame
