#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <unistd.h>

// Each test process gets a home folder of its own, so the cache files of the
// user's Music folder are never touched by a test.
int main (int argc, char** argv)
{
    char homeTemplate[] = "/tmp/veld72-test-home-XXXXXX";
    const char* home = mkdtemp (homeTemplate);
    if (home == nullptr)
        return 2;

    setenv ("HOME", home, 1);

    // Without a display the framework tries ":0.0", where another program
    // may have started an X server: point it at a display that never exists,
    // so the tests run headless for certain. A DISPLAY that is set (a test
    // run under Xvfb) is kept.
    if (const char* display = getenv ("DISPLAY"); display == nullptr || *display == 0)
        setenv ("DISPLAY", "unix:65000", 1);
    unsetenv ("XDG_MUSIC_DIR");
    unsetenv ("XDG_CONFIG_HOME");

    int result = 0;
    {
        const juce::ScopedJuceInitialiser_GUI juceInit;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }

    juce::File (home).deleteRecursively();
    return result;
}
