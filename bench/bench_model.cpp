// SPDX-License-Identifier: GPL-3.0-or-later
// The model's four operations, one call per iteration with the argument walking through its whole
// range, and a sweep over every scroll value 0..500 as the window would classify it.
#include "fractions.h"
#include "temperature.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

using namespace varnelo;

constexpr std::int16_t Max = 500;
constexpr std::size_t Values = Max + 1;

TempLimitTable filledTable()
{
    TempLimitTable table;
    table.fill();
    return table;
}

// The arguments each operation meets in the program: the 501 scroll values, the levels and
// temperatures they give, and the six fractions.
struct Inputs {
    std::array<std::int16_t, Values> values{};
    std::array<double, Values> levels{};
    std::array<double, Values> temperatures{};
    std::array<int, Fractions.size()> fractions{};

    Inputs()
    {
        for (std::size_t v = 0; v < Values; ++v) {
            values[v] = static_cast<std::int16_t>(v);
            levels[v] = LevelFromValue(values[v], Max);
            temperatures[v] = TemperatureOf(levels[v], Max);
        }
        for (std::size_t i = 0; i < fractions.size(); ++i)
            fractions[i] = static_cast<int>(i);
    }
};

const Inputs &inputs()
{
    static const Inputs instance;
    return instance;
}

// One call of `operation` per iteration, on the arguments in turn.
template<typename Arguments, typename Operation>
void walk(benchmark::State &state, const Arguments &arguments, Operation operation)
{
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(operation(arguments[i]));
        i = i + 1 == arguments.size() ? 0 : i + 1;
    }
}

void LevelFromValueBench(benchmark::State &state)
{
    walk(state, inputs().values, [](std::int16_t v) { return LevelFromValue(v, Max); });
}

void TemperatureOfBench(benchmark::State &state)
{
    walk(state, inputs().levels, [](double level) { return TemperatureOf(level, Max); });
}

void FractionOfBench(benchmark::State &state)
{
    const TempLimitTable table = filledTable();
    walk(state, inputs().temperatures, [&](double t) { return FractionOf(t, table); });
}

void ValueForFractionBench(benchmark::State &state)
{
    const TempLimitTable table = filledTable();
    walk(state, inputs().fractions, [&](int index) { return ValueForFraction(index, Max, table); });
}

void SweepBench(benchmark::State &state)
{
    const TempLimitTable table = filledTable();
    for (auto _ : state) {
        for (std::int16_t v = 0; v <= Max; ++v) {
            const double level = LevelFromValue(v, Max);
            benchmark::DoNotOptimize(FractionOf(TemperatureOf(level, Max), table));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Values));
}

} // namespace

BENCHMARK(LevelFromValueBench)->Name("LevelFromValue");
BENCHMARK(TemperatureOfBench)->Name("TemperatureOf");
BENCHMARK(FractionOfBench)->Name("FractionOf");
BENCHMARK(ValueForFractionBench)->Name("ValueForFraction");
BENCHMARK(SweepBench)->Name("sweep 0..500")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
