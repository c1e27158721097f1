// The stand-in host's work per edit, without the bus and the GPU: reading and
// applying one state command, answering a query, and the ground track the map
// draws for the new orbit. Every figure is a ratio against the floor in the
// same run: a snapshot copy, the least an accepted edit costs.
#include "standin/astro/groundtrack.h"
#include "standin/model/interpreter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace {

using namespace zep;

const QString kState = QStringLiteral(
    "SetState Scenario/Velmora/Satellite/Satellite Classical TwoBody \"1 Jul 2005 12:00:00.00\" "
    "\"4 Jul 2005 12:00:00.00\" 60 J2000 \"1 Jul 2005 12:00:00.00\" %1 0.01 45 90 30 10");

// A store holding the toolbar's scenario and satellite.
struct PreparedHost {
    ScenarioStore store;
    CommandInterpreter interpreter{store};
    PreparedHost()
    {
        interpreter.execute(QStringLiteral("New / Scenario Velmora"));
        interpreter.execute(QStringLiteral("New / Scenario/Velmora/Satellite Satellite"));
    }
};

void BM_SnapshotCopyFloor(benchmark::State &state)
{
    PreparedHost host;
    host.interpreter.execute(kState.arg(7000000));
    for (auto _ : state) {
        auto copy = std::make_shared<const Snapshot>(*host.store.snapshot());
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_SnapshotCopyFloor);

void BM_StateCommand(benchmark::State &state)
{
    PreparedHost host;
    int a = 7000000;
    for (auto _ : state) {
        // A new orbit every time, as a dragged thumb sends.
        const CommandOutcome outcome = host.interpreter.execute(kState.arg(a));
        benchmark::DoNotOptimize(outcome.ok);
        a = a < 8000000 ? a + 1000 : 7000000;
        host.store.takeChange();
    }
}
BENCHMARK(BM_StateCommand);

void BM_Query(benchmark::State &state)
{
    PreparedHost host;
    const QString query = QStringLiteral("GetEpoch Scenario/Velmora");
    for (auto _ : state)
        benchmark::DoNotOptimize(host.interpreter.execute(query).reply);
}
BENCHMARK(BM_Query);

// One revolution either side of now, as the map draws it: low, highly
// elliptical and geostationary orbits (a in km).
void BM_GroundTrack(benchmark::State &state)
{
    astro::Elements el;
    el.a = double(state.range(0)) * 1000;
    el.e = state.range(0) == 26554 ? 0.72 : 0.001;
    el.i = 63.4 * astro::kPi / 180;
    const astro::Instant now{0};
    const astro::TimeSpan span = astro::groundTrackSpan(el, now);
    for (auto _ : state)
        benchmark::DoNotOptimize(astro::groundTrack(el, now, span.begin, span.end));
}
BENCHMARK(BM_GroundTrack)->Arg(7000)->Arg(26554)->Arg(42164)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
