#include "frame/common.h"

#include "engine/paint/picture_mime.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QRadioButton>
#include <QTime>
#include <QUrl>
#include <QWidget>
#include <random>

#include "frame/failure.h"
#include "frame/temporary_files.h"

namespace brevanta::frame {

QString programFolder() { return QCoreApplication::applicationDirPath(); }

bool fileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void deleteFileQuietly(const QString& path) {
    QCoreApplication::processEvents();
    try {
        if (path.isEmpty()) return;
        if (!QFile::remove(path)) forceDeleteFile(path);
        forgetTemporaryFile(path);
    } catch (...) {
        // a file that cannot be deleted stays where it is (a temporary one still goes at the end)
    }
}

void forceDeleteFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) throw Failure(QStringLiteral("File not found"));
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (!file.remove()) throw Failure(QStringLiteral("Permission denied"));
}

void useButtonFaceColors(QWidget* window) {
    const QColor face = window->palette().color(QPalette::Button);
    auto paint = [&face](QWidget* widget) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, face);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    };
    paint(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QRadioButton*>(child))
            paint(child);
    }
}

void applySkin(QWidget* mainWindow) { applySkin(mainWindow, programFolder()); }

void applySkin(QWidget* mainWindow, const QString& folder) {
    const QString skinPath = folder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skinPath).isFile()) return;
    useButtonFaceColors(mainWindow);
    QFile skin(skinPath);
    if (!skin.open(QIODevice::ReadOnly)) throw Failure(QStringLiteral("File not found: ") + skinPath);
    mainWindow->setStyleSheet(QString::fromUtf8(skin.readAll()));
}

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

paint::SharedPicture getClipboardPicture(int format) {
    Q_UNUSED(format);  // every picture format the clipboard offers is read
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return {};
    for (int attempt = 0; attempt < 1000; ++attempt)
        if (paint::SharedPicture picture = paint::pictureFromMimeData(clipboard->mimeData())) return picture;
    return {};
}

QChar decimalSeparator() {
    const QString half = QLocale().toString(0.5).trimmed();
    if (half.size() < 2) throw Failure(failures::kTypeMismatch);
    return half.at(1);
}

QString localizeDecimalText(const QString& text) {
    const QChar separator = decimalSeparator();
    QString result = text;
    result.replace(QLatin1Char('.'), separator);
    result.replace(QLatin1Char(','), separator);
    return result;
}

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
