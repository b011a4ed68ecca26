// The benchmark program's main: JUCE's message manager on this thread, a
// private HOME (the cache files go to its Music folder), the usual console
// output, then the table of our figures beside the peers'.

#include "Comparisons.h"

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace
{
    struct Pair
    {
        std::string title, ours, peer;
        double maxRatio = 0.0;
        double budgetNs = 0.0;
    };

    std::vector<Pair>& registry()
    {
        static std::vector<Pair> pairs;
        return pairs;
    }

    double toNanoseconds (double value, benchmark::TimeUnit unit)
    {
        switch (unit)
        {
            case benchmark::kSecond:      return value * 1e9;
            case benchmark::kMillisecond: return value * 1e6;
            case benchmark::kMicrosecond: return value * 1e3;
            case benchmark::kNanosecond:  break;
        }
        return value;
    }

    std::string formatTime (double ns)
    {
        char text[32];
        if (ns < 1e3)       std::snprintf (text, sizeof (text), "%.1f ns", ns);
        else if (ns < 1e6)  std::snprintf (text, sizeof (text), "%.3f us", ns / 1e3);
        else                std::snprintf (text, sizeof (text), "%.3f ms", ns / 1e6);
        return text;
    }

    // The console output as usual, and each benchmark's CPU time per
    // iteration kept for the table (the median when repeated): the machine
    // is shared, and the time others take of it is not ours.
    class CollectingReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns (runs);

            for (const auto& run : runs)
            {
                if (run.error_occurred)
                    continue;

                const auto ns = toNanoseconds (run.GetAdjustedCPUTime(), run.time_unit);

                if (run.run_type == Run::RT_Iteration)
                    figures.emplace (run.run_name.str(), ns);
                else if (run.aggregate_name == "median")
                    figures[run.run_name.str()] = ns;
            }
        }

        std::map<std::string, double> figures;
    };

    bool printTable (const std::map<std::string, double>& figures)
    {
        bool allMet = true;
        bool header = false;

        for (const auto& p : registry())
        {
            const auto ours = figures.find (p.ours);
            if (ours == figures.end())
                continue;

            const auto peer = p.peer.empty() ? figures.end() : figures.find (p.peer);

            if (! header)
            {
                std::printf ("\n%-46s %12s %12s %8s  %s\n", "Our figure against the peer's (CPU time)", "ours", "peer", "ratio", "target");
                header = true;
            }

            const auto ratio = peer != figures.end() && peer->second > 0.0 ? ours->second / peer->second : 0.0;
            char ratioText[16] = "-";
            if (ratio > 0.0)
                std::snprintf (ratioText, sizeof (ratioText), "%.2fx", ratio);

            std::string target;
            bool met = true;
            if (p.budgetNs > 0.0)
            {
                target = "ours <= " + formatTime (p.budgetNs);
                met = ours->second <= p.budgetNs;
            }
            else if (p.maxRatio > 0.0)
            {
                char limit[32];
                std::snprintf (limit, sizeof (limit), "ratio <= %.1fx", p.maxRatio);
                target = limit;
                met = ratio > 0.0 && ratio <= p.maxRatio;
            }

            if (! target.empty())
                target += met ? "  met" : "  MISSED";
            allMet = allMet && met;

            std::printf ("%-46s %12s %12s %8s  %s\n", p.title.c_str(), formatTime (ours->second).c_str(),
                         peer != figures.end() ? formatTime (peer->second).c_str() : "-", ratioText, target.c_str());
        }

        return allMet;
    }

    struct PrivateHome
    {
        PrivateHome()
        {
            char pattern[] = "/tmp/veld72-bench-XXXXXX";
            if (const char* dir = ::mkdtemp (pattern))
            {
                path = dir;
                ::setenv ("HOME", dir, 1);
            }
        }

        ~PrivateHome()
        {
            if (path.isNotEmpty())
                juce::File (path).deleteRecursively();
        }

        juce::String path;
    };
}

bool BenchComparisons::addPair (const std::string& title, const std::string& ours, const std::string& peer, double maxRatio)
{
    registry().push_back ({ title, ours, peer, maxRatio, 0.0 });
    return true;
}

bool BenchComparisons::addBudget (const std::string& title, const std::string& ours, double budgetNs, const std::string& peer)
{
    registry().push_back ({ title, ours, peer, 0.0, budgetNs });
    return true;
}

// The parameter file benchmarks keep their own names.
VELD72_COMPARE ("Parameter file save vs pugixml", "BM_SaveApp", "BM_SavePugixml", 2.0);
VELD72_COMPARE ("Parameter file load vs pugixml", "BM_LoadApp", "BM_LoadPugixml", 0.0);

int main (int argc, char** argv)
{
    const PrivateHome home;
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();

    const bool allMet = printTable (reporter.figures);
    std::fflush (stdout);
    return allMet ? 0 : 3;
}
