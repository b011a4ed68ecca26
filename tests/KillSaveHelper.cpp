// Saves a large document over the file named on the command line, again and
// again, until it is killed. Round n writes <allValue round="n"> with
// KillSaveHelper::elementCount children that all carry v="n".
#include "app/XmlFiles.h"
#include "KillSaveHelper.h"

int main (int argc, char** argv)
{
    if (argc < 2)
        return 2;

    const juce::File target (juce::String::fromUTF8 (argv[1]));

    for (int round = 1; round <= 100000; ++round)
    {
        const auto document = KillSaveHelper::makeDocument (round);
        if (XmlFiles::writeDocumentSafely (*document, target).failed())
            return 1;
    }
    return 0;
}
