// Times one repaint of the live chart and of the graph with a full page of readings: the repaint
// rule (erase to the back colour, then draw the chart) on the chart areas. The reception handler
// repaints the live chart for every reading, so this must stay far below a millisecond.
//
//   QT_QPA_PLATFORM=offscreen build/bench/charts/chart_repaint_bench [runs]

#include "charts/ChartArea.h"
#include "charts/ChartGeometry.h"
#include "charts/ChartPainter.h"
#include "state/GVarMod.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void report(const char* name, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))];
    };
    std::printf("%-12s runs %zu  median %8.1f us  p99 %8.1f us  max %8.1f us\n", name,
                micros.size(), at(0.5), at(0.99), micros.back());
}

std::vector<double> time(ChartArea& area, const ChartGeometry& geometry, GVarMod& state, int runs) {
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        area.SetBackColor(kChartBackground);
        PaintChart(area, geometry, state);
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return micros;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;

    // A full page of readings that swing across the whole scale, so every line is drawn.
    GVarMod state;
    state.ChartScale = 40;
    for (int i = 0; i < 100; ++i)
        state.AppendRecord().Value = (i * 37) % 80;
    state.ApplyLivePage();

    ChartArea live(LiveChartGeometry());
    ChartArea graph(GraphChartGeometry());
    live.show();
    graph.show();
    QApplication::processEvents();

    time(live, LiveChartGeometry(), state, 100); // warm-up
    report("live chart", time(live, LiveChartGeometry(), state, runs));
    time(graph, GraphChartGeometry(), state, 100);
    report("graph", time(graph, GraphChartGeometry(), state, runs));
    GVarMod empty;
    report("live empty", time(live, LiveChartGeometry(), empty, runs));
    report("graph empty", time(graph, GraphChartGeometry(), empty, runs));
    return 0;
}
