#pragma once
// Whole generations on the embedded engine, in a private temporary folder,
// with windows that keep what a generation hands them: what the tests of
// generations on the engine share.

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "engine/embedded/embedded_host.h"
#include "picture/picture_file.h"
#include "frame/failure.h"
#include "generate/generation_windows.h"
#include "generate/palette.h"
#include "host/host_factory.h"
#include "tests/support/recording.h"
#include "tests/support/xls_files.h"

namespace brevanta::testsupport {

// What the user sees of the two windows: the main window's pointers in
// turn, and the preview as it was when it was shown.
class KeptWindows final : public generate::GenerationWindows {
public:
    void setMainPointer(int pointer) override { pointers.push_back(pointer); }
    void hideMain() override { mainHiddenAfterPreview = previewShown; mainHidden = true; }
    void loadPreviewPicture(const QString& path) override {
        picture = paint::loadPictureFile(path);
        if (!picture) throw frame::Failure(QStringLiteral("Invalid picture"));
    }
    void setPreviewExcelFile(const QString& path) override { excelFile = path; }
    void showPreview() override {
        previewShown = true;
        shownWithPicture = picture != nullptr;
        shownWithFile = excelFile;
    }
    void tell(const QString& text) override { told << text; }
    bool pictureThroughClipboard() const override { return throughClipboard; }
    bool throughClipboard = true;
    paint::SharedPicture picture;
    QStringList told;
    QString excelFile;
    std::vector<int> pointers;
    bool previewShown = false;
    bool shownWithPicture = false;
    QString shownWithFile;
    bool mainHidden = false;
    bool mainHiddenAfterPreview = false;
};

// The .xls files, or a save or open that fails for the test: refused with
// the system's words, as a full disk or a vanished file would be.
class RefusingFiles final : public model::WorkbookFiles {
public:
    void save(const model::Workbook& workbook, const QString& path) override {
        if (refuseSave) throw frame::Failure(QStringLiteral("No space left on device"));
        xlsFiles().save(workbook, path);
    }
    std::unique_ptr<model::Workbook> open(const QString& path) override { return xlsFiles().open(path); }
    bool refuseSave = false;
};

// Engine hosts, counted and watched: how many a generation made and whether
// any outlived it; or none at all, as on a machine without a host.
class WatchedHosts final : public host::HostFactory {
public:
    explicit WatchedHosts(model::WorkbookFiles& files) : engine_(files) {}
    host::ApplicationPtr create() override {
        if (refuseToCreate) throw host::HostError(QStringLiteral("ActiveX component can't create object"));
        host::ApplicationPtr app = engine_.create();
        made_.push_back(app);
        return app;
    }
    host::ApplicationPtr attachRunning() override { return nullptr; }
    int created() const { return int(made_.size()); }
    bool anyAlive() const {
        return std::any_of(made_.begin(), made_.end(), [](const auto& app) { return !app.expired(); });
    }
    bool refuseToCreate = false;

private:
    engine::EmbeddedHostFactory engine_;
    std::vector<std::weak_ptr<host::Application>> made_;
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
    RefusingFiles files_;
    WatchedHosts factory_{files_};
    QTemporaryDir temp_;
    QByteArray savedTemp_;
    KeptWindows windows_;
};

}  // namespace brevanta::testsupport
