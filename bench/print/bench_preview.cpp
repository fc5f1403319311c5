// The print preview's work: the page model of the sample waybill (layout, text
// cells, caption sizes) and one repaint of the page at the zoom that fits an
// ordinary window and at actual size on a 96 dpi screen.
#include "print/WaybillPage.h"
#include "print/waybill_sample.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace hoxa;

namespace {

// A4 with an 18-point border at 180 dpi; half the fields empty, so that the
// captions are fitted and drawn too.
WaybillPage SamplePage()
{
    WaybillRecord rec = test::SampleWaybill();
    rec.zip.clear();
    rec.add2.clear();
    rec.myZip.clear();
    rec.g2.clear();
    rec.g3.clear();
    rec.prnTop = "10";
    rec.prnLeft = "-5";
    return ComputeWaybillPage(rec, {180, 180}, PageGeometry{595, 842, 18, 18, 559, 806});
}

void BM_PreviewPageModel(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(SamplePage());
}
BENCHMARK(BM_PreviewPageModel)->Unit(benchmark::kMicrosecond);

// state.range(0): screen pixels per 100 printer dots (30: fitted to ~700 px, 53: actual size at 96 dpi).
void BM_PreviewRepaint(benchmark::State& state)
{
    const WaybillPage page = SamplePage();
    const double scale = state.range(0) / 100.0;
    QImage image(static_cast<int>(page.extent.width * scale) + 1, static_cast<int>(page.extent.height * scale) + 1,
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.translate(-page.extent.x, -page.extent.y);
        DrawWaybillPage(p, page);
    }
    state.counters["pixels"] = static_cast<double>(image.width()) * image.height();
}
BENCHMARK(BM_PreviewRepaint)->Arg(30)->Arg(53)->Unit(benchmark::kMillisecond);

}  // namespace
