// A full parameter file (about 84,000 elements, both power spectra present):
// the save and the load as the application does them, against the same
// document built, written, read and walked with pugixml. The pugixml runs
// carry the ratio "app/pugixml" of the mean times. The save plus load is also
// measured on documents of twice and four times the size (longer power
// spectra), whose time per element shows whether it grows linearly.

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "link/Command.h"
#include "panels/ParameterDocument.h"

#include <cstdlib>
#include <map>
#include <string>

namespace
{
    constexpr int measuredPoints = 5;

    // The cache files live in the Music folder of a home folder of our own,
    // so the user's are never touched.
    class PrivateHome
    {
    public:
        PrivateHome()
        {
            char pattern[] = "/tmp/veld72-bench-home-XXXXXX";
            if (const char* made = mkdtemp (pattern))
            {
                if (const char* old = std::getenv ("HOME"))
                    previous = old;
                home = made;
                setenv ("HOME", made, 1);
                unsetenv ("XDG_MUSIC_DIR");
                unsetenv ("XDG_CONFIG_HOME");
            }
        }

        ~PrivateHome()
        {
            if (home.isNotEmpty())
                juce::File (home).deleteRecursively();
            if (previous.isNotEmpty())
                setenv ("HOME", previous.toRawUTF8(), 1);
        }

    private:
        juce::String home, previous;
    };

    void writeWords (const juce::String& path, std::size_t count, std::uint32_t seed)
    {
        std::vector<std::uint32_t> words (count);
        for (std::size_t i = 0; i < count; ++i)
            words[i] = CacheFiles::floatAsWord ((float) (seed + i) * -0.37f);
        CacheFiles::writeWords (path, words.data(), words.size());
    }

    // Cache files as after a measurement of five points, and the panel settings.
    struct FullState
    {
        PrivateHome home;
        ParameterDocument::PanelSettings settings;
        juce::File appFile, pugiFile;

        FullState()
        {
            CacheFiles::ensureCacheDirectory();
            writeWords (CacheFiles::path (CacheFiles::reg), 14, 1);
            writeWords (CacheFiles::path (CacheFiles::cross), 216, 2);
            writeWords (CacheFiles::path (CacheFiles::amplitude), 8192, 3);
            writeWords (CacheFiles::path (CacheFiles::lmt), 8, 4);
            for (int n : { 1, 2, 3, 4, 5, 11, 12 })
                writeWords (CacheFiles::spectrumPath (n), 1402, (std::uint32_t) n);
            writeWords (CacheFiles::path (CacheFiles::psdL), 32772, 5);
            writeWords (CacheFiles::path (CacheFiles::psdR), 32772, 6);

            settings.circles = { { 100, 50 }, { 200, 80 }, { 300, 120 } };
            settings.maxNum = measuredPoints;
            settings.textNote = "benchmark";

            const auto dir = CacheFiles::getCacheDirectory();
            appFile = dir.getChildFile ("app.parameter");
            pugiFile = dir.getChildFile ("pugixml.parameter");
        }
    };

    FullState& state()
    {
        static FullState s;
        return s;
    }

    std::map<std::string, double>& appTimes()
    {
        static std::map<std::string, double> times;
        return times;
    }

    double meanSeconds (const benchmark::State& s, std::chrono::steady_clock::time_point start)
    {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        return elapsed.count() / (double) juce::jmax<benchmark::IterationCount> (1, s.iterations());
    }

    void reportRatio (benchmark::State& s, const std::string& name, double pugiSeconds)
    {
        if (const auto it = appTimes().find (name); it != appTimes().end() && pugiSeconds > 0)
            s.counters["app/pugixml"] = it->second / pugiSeconds;
    }

    // Loads send nothing: no unit is selected.
    struct IgnoringTarget : ParameterDocument::LoadTarget
    {
        void clearCurvePoints() override {}
        void addCurvePoint (int, int) override {}
        void setEndPointLevel (int, int) override {}
        void setCurrentPos (float) override {}
        void setCurrentPosH (float) override {}
        void setCursor (char, int) override {}
        void setMlValue (float) override {}
        void setNlValue (float) override {}
        void setM48v (bool) override {}
        void setEnable48vState (bool) override {}
        void setMuteStatus1 (bool) override {}
        void setByPassStatus (bool) override {}
        void setMasterSliderValue (float) override {}
        void setAnalogComboValue (int) override {}
        void setComboCSValue (int) override {}
        void setLabelSL (const juce::String&) override {}
        void setComboSFValue (int) override {}
        void setComboSubValue (int) override {}
        void setComboFilterValue (int) override {}
        void setBandMute (int, bool) override {}
        void setFreq (int, int) override {}
        void setBandLevel (int, float) override {}
        void setTextNote (const juce::String&) override {}
        void setLmtValue (int, float) override {}
        void setComboLmtValue (int) override {}
        void setLmtBypass (bool) override {}
        void setResponseNotPrepared() override {}
        void wakeResponseView (int) override {}
        void repaintViews() override {}
    };

    //==========================================================================
    void appSave (const FullState& st)
    {
        juce::XmlElement root ("allValue");
        ParameterDocument::appendChildren (root, ParameterDocument::makePanelElements (st.settings));
        ParameterDocument::finishSave (root, st.appFile, st.settings.maxNum);
    }

    // The same document with pugixml: the panel elements from the app's own
    // builder, the device data read from the same cache files.
    void pugiSave (const FullState& st)
    {
        pugi::xml_document doc;
        auto root = doc.append_child ("allValue");

        for (const auto& e : ParameterDocument::makePanelElements (st.settings))
        {
            auto node = root.append_child (e->getTagName().toRawUTF8());
            for (int i = 0; i < e->getNumAttributes(); ++i)
                node.append_attribute (e->getAttributeName (i).toRawUTF8()) = e->getAttributeValue (i).toRawUTF8();
        }

        const auto addWords = [&] (const std::string& prefix, const char* attribute, const std::vector<std::uint32_t>& words)
        {
            for (std::size_t i = 0; i < words.size(); ++i)
                root.append_child ((prefix + std::to_string (i)).c_str()).append_attribute (attribute) = (int) (std::int32_t) words[i];
        };

        addWords ("reg", "regValue", *CacheFiles::readWords (CacheFiles::path (CacheFiles::reg), 14));
        addWords ("cross", "crossValue", *CacheFiles::readWords (CacheFiles::path (CacheFiles::cross), 216));
        addWords ("amp", "ampValue", *CacheFiles::readWords (CacheFiles::path (CacheFiles::amplitude), 8192));
        addWords ("lmtt", "lmtPara", *CacheFiles::readWords (CacheFiles::path (CacheFiles::lmt), 8));
        for (int n = 1; n <= st.settings.maxNum; ++n)
            addWords ("fft" + std::to_string (n), "fftValue", *CacheFiles::readAllWords (CacheFiles::spectrumPath (n)));
        for (int n : { 11, 12 })
            addWords ("lrfft" + std::to_string (n), "fftValue", *CacheFiles::readAllWords (CacheFiles::spectrumPath (n)));
        addWords ("psdl", "psdlValue", *CacheFiles::readAllWords (CacheFiles::path (CacheFiles::psdL)));
        addWords ("psdr", "psdrValue", *CacheFiles::readAllWords (CacheFiles::path (CacheFiles::psdR)));

        doc.save_file (st.pugiFile.getFullPathName().toRawUTF8(), "  ", pugi::format_default, pugi::encoding_utf8);
    }

    void appLoad (const FullState& st, Command& command)
    {
        IgnoringTarget target;
        ParameterDocument::loadFile (st.appFile, target, command);
    }

    // Parses the same file and reads every element's value once.
    std::int64_t pugiLoad (const FullState& st)
    {
        pugi::xml_document doc;
        doc.load_file (st.appFile.getFullPathName().toRawUTF8());

        std::int64_t sum = 0;
        for (auto node : doc.document_element().children())
            sum += node.first_attribute().as_int();
        return sum;
    }

    //==========================================================================
    void BM_SaveApp (benchmark::State& s)
    {
        auto& st = state();
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : s)
            appSave (st);
        appTimes()["save"] = meanSeconds (s, start);
        s.counters["bytes"] = (double) st.appFile.getSize();
    }

    void BM_SavePugixml (benchmark::State& s)
    {
        auto& st = state();
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : s)
            pugiSave (st);
        reportRatio (s, "save", meanSeconds (s, start));
        s.counters["bytes"] = (double) st.pugiFile.getSize();
    }

    void BM_LoadApp (benchmark::State& s)
    {
        auto& st = state();
        appSave (st);
        Command command;   // no unit selected: the uploads are dropped
        appLoad (st, command);   // the tag names are pooled from here on
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : s)
            appLoad (st, command);
        appTimes()["load"] = meanSeconds (s, start);

        const auto document = XmlFiles::readDocument (st.appFile);
        int elements = 0;
        if (document)
            for (auto* e : document.document->getChildIterator())
                elements += e != nullptr ? 1 : 0;
        s.counters["elements"] = elements;
    }

    // The framework's parser keeps every tag name in its global string pool
    // (a sorted array): a load whose tags are not pooled yet, as the first
    // load of a session, inserts some 84,000 names there.
    void BM_LoadAppUnpooled (benchmark::State& s)
    {
        auto& st = state();
        appSave (st);
        Command command;
        double seconds = 0;
        for (auto _ : s)
        {
            s.PauseTiming();
            juce::StringPool::getGlobalPool().garbageCollect();
            s.ResumeTiming();

            const auto start = std::chrono::steady_clock::now();
            appLoad (st, command);
            seconds += std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
        }
        appTimes()["load, tags not pooled"] = seconds / (double) juce::jmax<benchmark::IterationCount> (1, s.iterations());
    }

    void BM_LoadPugixml (benchmark::State& s)
    {
        auto& st = state();
        appSave (st);
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : s)
            benchmark::DoNotOptimize (pugiLoad (st));
        const auto seconds = meanSeconds (s, start);
        reportRatio (s, "load", seconds);
        if (const auto it = appTimes().find ("load, tags not pooled"); it != appTimes().end() && seconds > 0)
            s.counters["unpooled/pugixml"] = it->second / seconds;
    }
}

namespace
{
    constexpr std::size_t psdWords = 32772;

    // A save and a load of a document `factor` times the full one: the two
    // power spectra grow by half the full document's elements each.
    void BM_SaveAndLoadScaled (benchmark::State& s)
    {
        auto& st = state();
        const auto factor = (std::size_t) s.range (0);
        const std::size_t fullElements = 83830;
        const auto psd = psdWords + (factor - 1) * fullElements / 2;
        writeWords (CacheFiles::path (CacheFiles::psdL), psd, 5);
        writeWords (CacheFiles::path (CacheFiles::psdR), psd, 6);

        Command command;
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : s)
        {
            appSave (st);
            appLoad (st, command);
        }
        const auto seconds = meanSeconds (s, start);

        std::size_t elements = 0;
        if (const auto document = XmlFiles::readDocumentFile (st.appFile))
            elements = document.document->size() - 1;
        s.counters["elements"] = (double) elements;
        s.counters["ns/element"] = elements > 0 ? seconds * 1.0e9 / (double) elements : 0.0;

        writeWords (CacheFiles::path (CacheFiles::psdL), psdWords, 5);
        writeWords (CacheFiles::path (CacheFiles::psdR), psdWords, 6);
    }
}

BENCHMARK (BM_SaveApp)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_SavePugixml)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_LoadApp)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_LoadAppUnpooled)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_LoadPugixml)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_SaveAndLoadScaled)->Arg (1)->Arg (2)->Arg (4)->Unit (benchmark::kMillisecond);
