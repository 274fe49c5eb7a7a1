#include "frame/program_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>

#include "frame/failure.h"
#include "frame/ini_text.h"
#include "frame/safe_file.h"

namespace brevanta::frame {
namespace {

const QString kApplication = QStringLiteral("Halvorn");
const QString kSection = QStringLiteral("Brevanta");

// Where the user's settings live as an INI file (Linux and the other
// Unix-like systems but macOS); empty where they are kept otherwise.
// Named as QSettings names it, without making a QSettings: that reads the
// file at once, and the file must be looked at first.
QString userSettingsFile() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + kApplication +
           QStringLiteral(".conf");
#else
    return {};
#endif
}

QByteArray currentContent(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile()) return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read ") + path + QStringLiteral(": ") + file.errorString());
    return file.readAll();
}

}  // namespace

QString ProgramSettings::file() const {
    if (!iniFile_.isEmpty()) return iniFile_;
    if (resolvedUserFile_.isEmpty()) resolvedUserFile_ = userSettingsFile();
    return resolvedUserFile_;
}

// Looked at without being opened.
bool ProgramSettings::isSomethingButARegularFile() const {
    const QString path = file();
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

std::unique_ptr<QSettings> ProgramSettings::open() const {
    auto settings = iniFile_.isEmpty()
                        ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kApplication)
                        : std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
    settings->beginGroup(kSection);
    return settings;
}

QString ProgramSettings::readText(const QString& key) const {
    if (isSomethingButARegularFile()) return {};
    const QVariant value = open()->value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void ProgramSettings::writeText(const QString& key, const QString& value) const {
    const QString path = file();
    if (path.isEmpty()) {
        const auto settings = open();
        settings->setValue(key, value);
        settings->sync();
        if (settings->status() != QSettings::NoError) throw Failure(QStringLiteral("Permission denied"));
        return;
    }
    // QSettings would write the file in place of the old one without
    // checking that every byte reached the disk; the file is rather replaced
    // whole, keeping whatever else it holds.
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFileSafely(path, withIniTextValue(currentContent(path), kSection, key, value));
}

}  // namespace brevanta::frame
