#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class Command;

// The parameter file: the panels' settings (elements 1-42) followed by the
// unit's data blocks copied from the cache files, one element per word.
namespace ParameterDocument
{
    // Everything the panels contribute to a save, in element order.
    struct PanelSettings
    {
        std::vector<juce::Point<int>> circles;   // top-left corners, point-list order
        int p1x = 0, p1y = 0, p2x = 0, p2y = 0;
        int currentPos = 0, currentPosH = 0;
        double ml = 0, nl = 0;
        bool m48v = false, en48v = false;
        bool mute = false, bypass = false;
        double masterValue = 0;
        int anaAes = 0;
        int clockSource = 0;
        juce::String sampleClock;
        int stereoFormat = 0, with = 0, amptitude = 0;
        int red = 0, green = 0, blue = 0;
        std::array<bool, 4> bandMutes {};
        std::array<int, 3> freqs {};
        std::array<double, 4> levels {};          // bands 1, 3, 5, 7
        int maxNum = 0;
        juce::String textNote;
        std::array<double, 6> lmt {};             // threshold, ratio, knee, attack, release, make-up gain
        int comid = 0;
        bool lmtbypass = false;
    };

    // Builds elements 1-42, in order, ready to go at the end of the document.
    std::vector<std::unique_ptr<juce::XmlElement>> makePanelElements (const PanelSettings&);

    // Appends elements to the end of `root` in one linear pass (JUCE's
    // addChildElement walks the whole child list on every call).
    void appendChildren (juce::XmlElement& root, std::vector<std::unique_ptr<juce::XmlElement>> elements);

    //==========================================================================
    // Device data, as the snapshot task copies it from the cache files:
    // one element per word. `progress` is told the task's steps: 0, 0.1,
    // 0.2, 0.3, 0.4, 0.5/0.6, 0.7, 0.8/0.9.
    using Progress = std::function<void (double)>;
    std::vector<std::unique_ptr<juce::XmlElement>> makeDeviceDataElements (int spectrumCount, const Progress& progress = {});

    // The document as the file holds it: the root and its children as the
    // framework's writer puts them, in the file's layout
    // (XmlFiles::documentFormat()), followed by the device data read from the
    // cache files. Written as text as the files are read, so a full document
    // (some 84,000 elements) never exists as elements.
    void writeDocument (juce::OutputStream& out, const juce::XmlElement& root, int spectrumCount,
                        const Progress& progress = {});

    // The second half of a save: writes the document (which holds the panel
    // elements) with the device data (writeDocument) to the target with
    // XmlFiles::writeBytesSafely, so that an existing file is replaced only
    // by a complete new one, and empties the document in every case, so that
    // the next save starts from nothing. The error message is the text for
    // the user's alert and names the file.
    juce::Result finishSave (juce::XmlElement& root, const juce::File& target,
                             int spectrumCount, const Progress& progress = {});

    //==========================================================================
    // What a load does to the rest of the system, in document order.
    class LoadTarget
    {
    public:
        virtual ~LoadTarget() = default;

        virtual void clearCurvePoints() = 0;
        virtual void addCurvePoint (int x, int y) = 0;
        virtual void setEndPointLevel (int which, int y) = 0;     // which: 1 = p1, 2 = p2
        virtual void setCurrentPos (float) = 0;
        virtual void setCurrentPosH (float) = 0;
        virtual void setCursor (char colour, int position) = 0;   // 'r', 'g', 'b'

        virtual void setMlValue (float) = 0;
        virtual void setNlValue (float) = 0;
        virtual void setM48v (bool) = 0;
        virtual void setEnable48vState (bool) = 0;
        virtual void setMuteStatus1 (bool) = 0;
        virtual void setByPassStatus (bool) = 0;
        virtual void setMasterSliderValue (float) = 0;
        virtual void setAnalogComboValue (int) = 0;
        virtual void setComboCSValue (int) = 0;
        virtual void setLabelSL (const juce::String&) = 0;
        virtual void setComboSFValue (int) = 0;
        virtual void setComboSubValue (int) = 0;
        virtual void setComboFilterValue (int) = 0;
        virtual void setBandMute (int band, bool) = 0;            // 1..4
        virtual void setFreq (int which, int) = 0;                // 1..3
        virtual void setBandLevel (int band, float) = 0;          // 1, 3, 5, 7
        virtual void setTextNote (const juce::String&) = 0;
        virtual void setLmtValue (int which, float) = 0;          // 1..6
        virtual void setComboLmtValue (int) = 0;
        virtual void setLmtBypass (bool) = 0;

        virtual void setResponseNotPrepared() = 0;
        virtual void wakeResponseView (int displayMode) = 0;      // sets the display mode, signals the fft thread
        virtual void repaintViews() = 0;
    };

    // The largest point count a document may give: point numbers of 10 and
    // more cannot be told apart in the spectrum tags.
    inline constexpr int maxPointCount = 9;

    // Applies a parsed document: panel setters, curve points, cache file
    // rewrites ("//lmt", the spectrum files) and the uploads to the unit.
    // Words for positions outside their table, and a "maxNum" outside
    // 0..maxPointCount, come from documents written elsewhere and are not used.
    void load (const juce::XmlElement& root, LoadTarget& target, Command& command);

    // Reads the file and loads it. A missing file or one that is not a
    // well-formed document changes nothing; the error message is then the
    // text for the user's alert and names the file.
    juce::Result loadFile (const juce::File& file, LoadTarget& target, Command& command);

    // Titles of the alerts.
    juce::String loadFailedTitle();
    juce::String saveFailedTitle();

    //==========================================================================
    // The blocks of the uploads, each one data block of 32-bit little-endian words.
    std::vector<juce::MemoryBlock> spectrumUploadBlocks (int pointNumber, const std::vector<std::uint32_t>& spectrumTable);

    struct DeviceTables
    {
        std::vector<std::uint32_t> reg = std::vector<std::uint32_t> (14),
                                   cross = std::vector<std::uint32_t> (216),
                                   amp = std::vector<std::uint32_t> (8192),
                                   lmt = std::vector<std::uint32_t> (8),
                                   psdl = std::vector<std::uint32_t> (32772),
                                   psdr = std::vector<std::uint32_t> (32772);
    };

    std::vector<juce::MemoryBlock> deviceDataUploadBlocks (const DeviceTables&);
}
