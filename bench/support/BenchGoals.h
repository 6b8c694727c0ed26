// What the benchmark programs share: paired timing of two paths in one run,
// and goals checked against the figures of that run.
//
// Paired(state, now, subject, base) calls both paths once per iteration,
// alternating which goes first, and times each with now(): both see the
// same background load, so their ratio holds on a busy machine where
// absolute times do not.  It sets the counters "subject_us", "base_us" and
// "ratio" (subject / base).
//
// GoalReporter prints the usual table and records every run's counters;
// PrintGoals then prints each figure named by a goal with its goal, and
// answers false when one is missed or was not measured, so that a program
// can exit non-zero.  With --benchmark_repetitions the medians count.
//
// ShortRun(argc, argv) takes the option --short: every benchmark then runs
// for a moment only, and PrintGoals checks that each figure was measured but
// compares none with its goal.  The test suite runs every program so, to keep
// them working; no speed is asserted there.
//
// Header only, plain C++ and Google Benchmark: both trees use it.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <iomanip>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace lumo_bench {

// Nanoseconds on the steady clock.
inline double wallNs()
{
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// True when argv holds --short, which it replaces with a minimal
// --benchmark_min_time; call before benchmark::Initialize.
inline bool ShortRun(int argc, char** argv)
{
    static char minimalTime[] = "--benchmark_min_time=0.000001";
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--short") {
            argv[i] = minimalTime;
            return true;
        }
    return false;
}

template <class Now, class Subject, class Base>
void Paired(benchmark::State& state, Now now, Subject subject, Base base)
{
    double subjectNs = 0, baseNs = 0;
    bool baseFirst = true;
    for (auto _ : state) {
        const double t0 = now();
        const bool ok1 = baseFirst ? base() : subject();
        const double t1 = now();
        const bool ok2 = baseFirst ? subject() : base();
        const double t2 = now();
        if (!ok1 || !ok2) state.SkipWithError("a call failed");
        (baseFirst ? baseNs : subjectNs) += t1 - t0;
        (baseFirst ? subjectNs : baseNs) += t2 - t1;
        baseFirst = !baseFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["subject_us"] = subjectNs / n / 1000;
    state.counters["base_us"] = baseNs / n / 1000;
    state.counters["ratio"] = baseNs > 0 ? subjectNs / baseNs : 0;
}

// One figure of a run, with or without a goal.
struct Goal {
    std::string label;    // what the figure is
    std::string run;      // the run's name as the table shows it
    std::string counter;  // "ratio", "items_per_second", ...
    enum Kind { kNone, kAtMost, kAtLeast } kind = kNone;
    double limit = 0;
};

inline Goal AtMost(std::string label, std::string run, std::string counter, double limit)
{
    return Goal{std::move(label), std::move(run), std::move(counter), Goal::kAtMost, limit};
}
inline Goal AtLeast(std::string label, std::string run, std::string counter, double limit)
{
    return Goal{std::move(label), std::move(run), std::move(counter), Goal::kAtLeast, limit};
}
inline Goal Shown(std::string label, std::string run, std::string counter)
{
    return Goal{std::move(label), std::move(run), std::move(counter), Goal::kNone, 0};
}

class GoalReporter : public benchmark::ConsoleReporter {
public:
    explicit GoalReporter(std::vector<Goal> goals) : ConsoleReporter(OO_None), m_goals(std::move(goals)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            for (const auto& [name, counter] : run.counters) m_figures[NameOf(run)][name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The figure of a run (its median when there are repetitions); NaN when
    // it was not measured.
    double Figure(const std::string& run, const std::string& counter) const
    {
        for (const std::string& name : {run + "_median", run}) {
            const auto figures = m_figures.find(name);
            if (figures == m_figures.end()) continue;
            const auto figure = figures->second.find(counter);
            if (figure != figures->second.end()) return figure->second;
        }
        return std::numeric_limits<double>::quiet_NaN();
    }

    // checkLimits false (a short run): only whether each figure was measured.
    bool PrintGoals(std::ostream& out, bool checkLimits = true) const
    {
        bool met = true;
        out << "\n";
        for (const Goal& goal : m_goals) {
            const double value = Figure(goal.run, goal.counter);
            out << "  " << std::left << std::setw(64) << goal.label << std::right << std::setw(12) << std::fixed
                << std::setprecision(value >= 100 ? 0 : 3) << value;
            if (value != value) met = false;  // NaN: not measured
            if (goal.kind != Goal::kNone && checkLimits) {
                const bool ok = goal.kind == Goal::kAtMost ? value <= goal.limit : value >= goal.limit;
                out << "   goal " << (goal.kind == Goal::kAtMost ? "<= " : ">= ") << std::setprecision(goal.limit >= 100 ? 0 : 2)
                    << goal.limit << (ok ? "  met" : "  MISSED");
                met = met && ok;
            }
            out << "\n";
        }
        if (!checkLimits)
            out << (met ? "every figure measured (a short run checks no goal)\n" : "a figure was not measured\n");
        else
            out << (met ? "every goal met\n" : "a goal was missed\n");
        return met;
    }

private:
    // The run's name without a "/min_time:..." part, which goals leave out.
    static std::string NameOf(const Run& run)
    {
        std::string name = run.benchmark_name();
        const std::size_t begin = name.find("/min_time:");
        if (begin != std::string::npos) name.erase(begin, name.find('/', begin + 1) - begin);
        return name;
    }

    std::vector<Goal> m_goals;
    std::map<std::string, std::map<std::string, double>> m_figures;
};

}  // namespace lumo_bench
