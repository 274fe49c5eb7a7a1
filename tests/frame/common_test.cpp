#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "frame/common.h"
#include "frame/failure.h"

using namespace brevanta;

namespace {
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : saved_(QLocale()) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocaleScope() { QLocale::setDefault(saved_); }
private:
    QLocale saved_;
};
}  // namespace

TEST(CommonRoutines, FileExistsAndQuietDeletes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.xls"));
    EXPECT_FALSE(frame::fileExists(QString()));
    EXPECT_FALSE(frame::fileExists(path));
    QFile(path).open(QIODevice::WriteOnly);
    EXPECT_TRUE(frame::fileExists(path));

    frame::deleteFileQuietly(dir.filePath(QStringLiteral("missing")));  // returns quietly

    QFile::setPermissions(path, QFileDevice::ReadOwner);  // read-only: the forced delete removes it
    frame::deleteFileQuietly(path);
    EXPECT_FALSE(frame::fileExists(path));
    EXPECT_THROW(frame::forceDeleteFile(path), frame::Failure);
}

TEST(CommonRoutines, DecimalTextFollowsTheLocale) {
    {
        LocaleScope german("de_DE");
        EXPECT_EQ(frame::decimalSeparator(), QLatin1Char(','));
        EXPECT_EQ(frame::localizeDecimalText(QStringLiteral("16.0")), QStringLiteral("16,0"));
    }
    LocaleScope american("en_US");
    EXPECT_EQ(frame::localizeDecimalText(QStringLiteral("16.0")), QStringLiteral("16.0"));
    EXPECT_EQ(frame::localizeDecimalText(QStringLiteral("1,5")), QStringLiteral("1.5"));
}

TEST(CommonRoutines, AppTitleIsCutBackByWholeWords) {
    EXPECT_EQ(frame::titleFromProductTitle(QStringLiteral("Brevanta")), QStringLiteral("Brevanta"));
    const QString longTitle = QStringLiteral("Brevanta Checkbook Register For Households And Small Offices");
    const QString cut = frame::titleFromProductTitle(longTitle);
    EXPECT_LE(cut.size(), 40);
    EXPECT_TRUE(longTitle.startsWith(cut + QLatin1Char(' ')));
}

TEST(CommonRoutines, WebSiteOpensOnlyOnSeven) {
    QStringList opened;
    for (int draw = 1; draw <= 100; ++draw)
        frame::maybeOpenWebSite({[draw] { return draw; }, [&](const QString& url) { opened << url; }});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("https://")));
}

TEST(CommonRoutines, ClipboardPictureComesBackOrNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    EXPECT_FALSE(frame::getClipboardPicture());
    // A bitmap another program copied comes back as a picture of that bitmap.
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    const auto back = frame::getClipboardPicture();
    ASSERT_TRUE(back);
    EXPECT_EQ(QSize(back->width, back->height), QSize(4, 3));
    ASSERT_EQ(back->bands.size(), 1u);
    ASSERT_EQ(back->bands[0].images.size(), 1u);
    EXPECT_EQ(back->bands[0].images[0].image.convertToFormat(QImage::Format_RGB32), picture);
    clipboard->clear();
}

TEST(CommonRoutines, SkinIsOptionalAndAppliedWhenPresent) {
    QTemporaryDir dir;
    QWidget window;
    frame::applySkin(&window, dir.path());
    EXPECT_TRUE(window.styleSheet().isEmpty());
    QDir(dir.path()).mkpath(QStringLiteral("x"));
    QFile skin(dir.filePath(QStringLiteral("x/o.cjs")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QWidget { color: navy; }");
    skin.close();
    frame::applySkin(&window, dir.path());
    EXPECT_EQ(window.styleSheet(), QStringLiteral("QWidget { color: navy; }"));
}
