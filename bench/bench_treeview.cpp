// The tree control's Qt view with a million items: filling the store,
// building and showing the view, selecting a deep item, paging to the end.
// Memory is the heap the step leaves allocated (mallinfo2), in MB.
#include "platform/processheap.h"
#include "platform/qt/treeview.h"
#include "platform/treectrl.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <charconv>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr int kItems = 1'000'000;

enum EShape {
    // 100 sections of 100 groups of 99 types; the first section open.
    shapeSections,
    // One level of a million items, every one of them a row of the view.
    shapeFlat,
    // 1000 groups of 999 types, all open: a million visible rows.
    shapeAllOpen,
};

const char* ShapeName(int nShape) {
    switch (nShape) {
    case shapeSections:
        return "sections";
    case shapeFlat:
        return "flat";
    default:
        return "all_open";
    }
}

double HeapMB() {
    const struct mallinfo2 mi = mallinfo2();
    return static_cast<double>(mi.uordblks + mi.hblkhd) / (1024.0 * 1024.0);
}

// "Ту-<n>" in a reused buffer: the viewer's build hands the store a view of
// the caption where the file's cache holds it, with no string of its own.
std::string_view Caption(int i) {
    static char buffer[16] = "\xD2\xF3-";
    char* pEnd = std::to_chars(buffer + 3, buffer + sizeof buffer, i).ptr;
    return {buffer, static_cast<std::size_t>(pEnd - buffer)};
}

void Fill(CTreeCtrl& ctl, int nShape) {
    // Reserved from the item count, as the type tree's build reserves it
    // from the record count.
    ctl.Reserve(kItems, 0);
    int n = 0;
    switch (nShape) {
    case shapeSections:
        while (n < kItems) {
            const HTREEITEM hSection = ctl.InsertItem(Caption(n++));
            for (int g = 0; g < 100 && n < kItems; ++g) {
                const HTREEITEM hGroup = ctl.InsertItem(Caption(n++), hSection);
                for (int t = 0; t < 99 && n < kItems; ++t, ++n)
                    ctl.SetItemData(ctl.InsertItem(Caption(n), hGroup), n);
            }
        }
        ctl.Expand(ctl.GetRootItem(), TVE_EXPAND);
        break;
    case shapeFlat:
        for (; n < kItems; ++n)
            ctl.SetItemData(ctl.InsertItem(Caption(n)), n);
        break;
    default:
        while (n < kItems) {
            const HTREEITEM hGroup = ctl.InsertItem(Caption(n++));
            ctl.Expand(hGroup, TVE_EXPAND);
            for (int t = 0; t < 999 && n < kItems; ++t, ++n)
                ctl.SetItemData(ctl.InsertItem(Caption(n), hGroup), n);
        }
        break;
    }
}

// What the dialog does at start: the view over the built store, shown and painted.
std::unique_ptr<CTreeView> BuildAndShow(CTreeCtrl& ctl) {
    auto pView = std::make_unique<CTreeView>(ctl);
    pView->resize(215, 405);
    pView->Reset();
    pView->show();
    QApplication::processEvents();
    pView->viewport()->grab();
    return pView;
}

void BM_StoreFill(benchmark::State& state) {
    const int nShape = static_cast<int>(state.range(0));
    double dMB = 0;
    for (auto _ : state) {
        const double dBefore = HeapMB();
        CTreeCtrl ctl;
        Fill(ctl, nShape);
        dMB = HeapMB() - dBefore;
        benchmark::DoNotOptimize(ctl.GetCount());
    }
    state.SetLabel(ShapeName(nShape));
    state.counters["store_MB"] = dMB;
}

void BM_ViewBuildAndShow(benchmark::State& state) {
    const int nShape = static_cast<int>(state.range(0));
    CTreeCtrl ctl;
    Fill(ctl, nShape);
    double dMB = 0;
    for (auto _ : state) {
        const double dBefore = HeapMB();
        auto pView = BuildAndShow(ctl);
        dMB = HeapMB() - dBefore;
        state.PauseTiming();
        pView.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(ShapeName(nShape));
    state.counters["view_MB"] = dMB;
}

// Store and view together, from nothing to the first painted frame.
void BM_FillBuildAndShow(benchmark::State& state) {
    const int nShape = static_cast<int>(state.range(0));
    double dMB = 0;
    for (auto _ : state) {
        const double dBefore = HeapMB();
        auto pCtl = std::make_unique<CTreeCtrl>();
        Fill(*pCtl, nShape);
        auto pView = BuildAndShow(*pCtl);
        dMB = HeapMB() - dBefore;
        state.PauseTiming();
        pView.reset();
        pCtl.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(ShapeName(nShape));
    state.counters["total_MB"] = dMB;
}

// The last item: its branches open, it scrolls into view and is painted.
void BM_SelectLastItem(benchmark::State& state) {
    const int nShape = static_cast<int>(state.range(0));
    CTreeCtrl ctl;
    Fill(ctl, nShape);
    auto pView = BuildAndShow(ctl);
    for (auto _ : state) {
        pView->SelectItem(ctl.GetCount());
        pView->viewport()->grab();
        state.PauseTiming();
        pView->SelectItem(1);
        state.ResumeTiming();
    }
    state.SetLabel(ShapeName(nShape));
}

// Holding Page Down: one page further and a repaint, from the top.
void BM_PageDown(benchmark::State& state) {
    const int nShape = static_cast<int>(state.range(0));
    CTreeCtrl ctl;
    Fill(ctl, nShape);
    auto pView = BuildAndShow(ctl);
    QScrollBar* pBar = pView->verticalScrollBar();
    for (auto _ : state) {
        pBar->setValue(pBar->value() + pBar->pageStep() > pBar->maximum()
                           ? 0
                           : pBar->value() + pBar->pageStep());
        pView->viewport()->grab();
    }
    state.SetLabel(ShapeName(nShape));
}

BENCHMARK(BM_StoreFill)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ViewBuildAndShow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillBuildAndShow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SelectLastItem)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PageDown)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // The viewer's heap, which the view's time depends on.
    SetProcessHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
