#pragma once
// Whole generations on the embedded engine, in a private temporary folder,
// with windows that keep what a generation hands them: what the tests of
// generations on the engine share.

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "engine/embedded/embedded_host.h"
#include "tests/support/xls_files.h"
#include "engine/paint/picture_file.h"
#include "frame/failure.h"
#include "generate/generation_windows.h"
#include "generate/palette.h"
#include "host/host_factory.h"
#include "tests/support/recording.h"

namespace brevanta::testsupport {

class KeptWindows final : public generate::GenerationWindows {
public:
    void setMainPointer(int) override {}
    void hideMain() override {}
    void loadPreviewPicture(const QString& path) override {
        picture = paint::loadPictureFile(path);
        if (!picture) throw frame::Failure(QStringLiteral("Invalid picture"));
    }
    void setPreviewExcelFile(const QString& path) override { excelFile = path; }
    void showPreview() override {}
    void tell(const QString& text) override { told << text; }
    bool pictureThroughClipboard() const override { return throughClipboard; }
    bool throughClipboard = true;
    paint::SharedPicture picture;
    QStringList told;
    QString excelFile;
};

// The engine is the host and TEMP a folder of the test's own while a test runs.
class EngineGeneration : public ::testing::Test {
protected:
    void SetUp() override {
        host::setHostFactory(&factory_);
        savedTemp_ = qgetenv("TEMP");
        qputenv("TEMP", temp_.path().toLocal8Bit());
    }
    void TearDown() override {
        qputenv("TEMP", savedTemp_);
        host::setHostFactory(nullptr);
    }

    SeamGuard seams_;
    engine::EmbeddedHostFactory factory_{testsupport::xlsFiles()};
    QTemporaryDir temp_;
    QByteArray savedTemp_;
    KeptWindows windows_;
};

}  // namespace brevanta::testsupport
