// How long a zoom step takes to repaint register pictures of 100 and 1,000
// transactions (1,000 pixels wide, 100 pixels of header, 27 per row).

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "frame/error_report.h"
#include "frame/picture_file.h"
#include "preview/form2.h"

namespace {

QImage registerLikePicture(int transactions) {
    QImage picture(1000, 100 + 27 * transactions, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int row = 0; row < transactions; row += 2)
        for (int y = 0; y < 27; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(picture.scanLine(100 + row * 27 + y)), 1000, qRgb(221, 235, 247));
    return picture;
}

// Alternates Zoom Out and Zoom In, so every iteration repaints once.
void zoomStep(benchmark::State& state) {
    brevanta::preview::Form2 form;
    form.setPicture(registerLikePicture(int(state.range(0))));
    form.Form_Activate();
    bool out = true;
    for (auto _ : state) {
        if (out) form.PushButton2_Click();
        else form.PushButton1_Click();
        out = !out;
    }
}
BENCHMARK(zoomStep)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// A generation's hand-over: the picture file is loaded and the window gets its
// initial set-up and first repaint at zoom 1.0.
void loadAndSetUp(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    if (!brevanta::frame::savePictureFile(registerLikePicture(int(state.range(0))), path)) {
        state.SkipWithError("the picture file could not be written");
        return;
    }
    for (auto _ : state) {
        brevanta::preview::Form2 form;
        form.loadPicture(path);
        form.Form_Activate();
        state.PauseTiming();
        benchmark::DoNotOptimize(&form);
        state.ResumeTiming();
    }
}
BENCHMARK(loadAndSetUp)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
