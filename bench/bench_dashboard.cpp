// Cost of a dashboard update, offscreen: value changes plus a repaint of the
// whole page into an image (what the screen would get).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "protocol/components.h"
#include "ui/widgets/dashboard.h"

using namespace kalvex;

namespace {

struct Page {
  Page() {
    dashboard.resize(681, 389);
    dashboard.applyMakeDefault(0);
    dashboard.applyEcuType(0, 0);
    image.fill(Qt::white);
    dashboard.render(&image);  // builds the cached faces
  }
  Dashboard dashboard;
  QImage image{681, 389, QImage::Format_ARGB32_Premultiplied};
};

// One gauge moves, the whole page is repainted.
void BM_OneValueAndRepaint(benchmark::State& state) {
  Page page;
  float v = 0;
  for (auto _ : state) {
    v = v >= 60 ? 0 : v + 1;
    page.dashboard.setValue(Component::VS_Nmot, v);
    page.dashboard.render(&page.image);
    benchmark::DoNotOptimize(page.image.constBits());
  }
}
BENCHMARK(BM_OneValueAndRepaint)->Unit(benchmark::kMicrosecond);

// A full decoder reply: every gauge gets a new value, then one repaint.
void BM_AllValuesAndRepaint(benchmark::State& state) {
  Page page;
  float v = 0;
  for (auto _ : state) {
    v = v >= 60 ? 0 : v + 1;
    for (int i = 0; i < kComponentCount; ++i)
      page.dashboard.setValue(static_cast<Component>(i), v + static_cast<float>(i));
    page.dashboard.render(&page.image);
    benchmark::DoNotOptimize(page.image.constBits());
  }
}
BENCHMARK(BM_AllValuesAndRepaint)->Unit(benchmark::kMicrosecond);

// A value change alone, for comparison (no painting).
void BM_ValueChangeOnly(benchmark::State& state) {
  Page page;
  float v = 0;
  for (auto _ : state) {
    v = v >= 60 ? 0 : v + 1;
    page.dashboard.setValue(Component::VS_Nmot, v);
  }
}
BENCHMARK(BM_ValueChangeOnly);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
