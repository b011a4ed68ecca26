#include "views/CurveFile.h"

#include "app/NumberText.h"
#include "app/XmlFiles.h"
#include "link/CacheFiles.h"
#include "views/CurveComponent.h"

#include <cmath>

namespace
{
    // A curve file of 64 points is under 3 kB. The bound keeps a hand-made
    // file from burying the editor under thousands of points.
    constexpr juce::int64 maxCurveFileBytes = 64 * 1024;

    // Numbers from a file become pixel positions: keep them finite and sane.
    double toPosition (double v) noexcept
    {
        return std::isfinite (v) ? juce::jlimit (-1.0e6, 1.0e6, v) : 0.0;
    }

    enum class Action { load, save };

    juce::String describeFailure (Action action, const juce::File& file, const juce::String& reason)
    {
        const auto message = action == Action::load ? TRANS ("There was an error while trying to load the file: FLNM")
                                                    : TRANS ("There was an error while trying to save the file: FLNM");
        return message.replace ("FLNM", "\n" + file.getFullPathName()) + "\n\n" + reason;
    }
}

juce::String curveLoadFailedTitle() { return TRANS ("Failed to open file..."); }
juce::String curveSaveFailedTitle() { return TRANS ("Failed to save file..."); }

void appendCurveElements (XmlFiles::ChildList& children, const CurveComponent& editor)
{
    {
        const juce::ScopedLock sl (editor.getPointLock());
        int index = 0;
        for (const auto& topLeft : editor.getPointTopLefts())
        {
            auto& circle = children.add ("circle" + juce::String (index++));
            circle.setAttribute ("x", topLeft.x);
            circle.setAttribute ("y", topLeft.y);
        }
    }

    auto& p1 = children.add ("p1");
    p1.setAttribute ("p1x", editor.getP1().x);
    p1.setAttribute ("p1y", editor.getP1().y);

    auto& p2 = children.add ("p2");
    p2.setAttribute ("p2x", editor.getP2().x);
    p2.setAttribute ("p2y", editor.getP2().y);

    children.add ("currentPos").setAttribute ("currentPos", CurveComponent::getCurrentPos());
    children.add ("currentPosH").setAttribute ("currentPosH", CurveComponent::getCurrentPosH());
}

std::unique_ptr<juce::XmlElement> createCurveDocument (const CurveComponent& editor)
{
    auto root = std::make_unique<juce::XmlElement> ("circles");
    XmlFiles::ChildList children;
    appendCurveElements (children, editor);
    children.prependTo (*root);
    return root;
}

bool applyCurveElement (CurveComponent& editor, const juce::XmlElement& e, CurvePointTags pointTags)
{
    if (e.hasTagName ("p1"))
    {
        editor.setP1Level ((int) toPosition (NumberText::toDouble (e.getStringAttribute ("p1y"))));
        return true;
    }

    if (e.hasTagName ("p2"))
    {
        editor.setP2Level ((int) toPosition (NumberText::toDouble (e.getStringAttribute ("p2y"))));
        return true;
    }

    if (e.hasTagName ("currentPos"))
    {
        CurveComponent::setCurrentPos ((float) toPosition (NumberText::toDouble (e.getStringAttribute ("currentPos"))));
        return true;
    }

    if (e.hasTagName ("currentPosH"))
    {
        CurveComponent::setCurrentPosH ((float) toPosition (NumberText::toDouble (e.getStringAttribute ("currentPosH"))));
        return true;
    }

    if (pointTags == CurvePointTags::containingCircle && ! e.getTagName().contains ("circle"))
        return false;

    // The centre is what the editor keeps; the file holds the corner.
    const auto x = (float) (toPosition (NumberText::toDouble (e.getStringAttribute ("x"))) + 6.0) - 6.0f;
    const auto y = (float) (toPosition (NumberText::toDouble (e.getStringAttribute ("y"))) + 6.0) - 6.0f;
    editor.addPoint ({ (int) x, (int) y });
    return true;
}

void applyCurveDocument (CurveComponent& editor, const juce::XmlElement& root)
{
    editor.removeAllPoints();

    for (auto* child : root.getChildIterator())
        applyCurveElement (editor, *child, CurvePointTags::anyOther);

    editor.repaint();
}

juce::Result saveCurveFile (const CurveComponent& editor, const juce::File& file)
{
    const auto document = createCurveDocument (editor);
    const auto result = XmlFiles::writeDocumentSafely (*document, file);

    if (result.failed())
        return juce::Result::fail (describeFailure (Action::save, file, result.getErrorMessage()));

    return result;
}

juce::Result loadCurveFile (CurveComponent& editor, const juce::File& file)
{
    if (! file.existsAsFile())
        return juce::Result::fail (describeFailure (Action::load, file, TRANS ("The file doesn't exist")));

    // Parsed before anything of the editor changes, so that a broken file
    // leaves the curve as it was.
    const auto read = XmlFiles::readDocument (file, maxCurveFileBytes);
    if (! read)
        return juce::Result::fail (describeFailure (Action::load, file, read.error));

    applyCurveDocument (editor, *read.document);
    return juce::Result::ok();
}

void chooseAndSaveCurveFile (CurveComponent& editor)
{
    const juce::Component::SafePointer<CurveComponent> safeEditor (&editor);
    juce::FileChooser chooser ("Open From", CacheFiles::getCacheDirectory(), "*.curve");

    if (! chooser.browseForFileToSave (true) || safeEditor == nullptr)
        return;

    const auto result = saveCurveFile (*safeEditor, chooser.getResult());
    if (result.failed())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                                curveSaveFailedTitle(), result.getErrorMessage());
}

void chooseAndLoadCurveFile (CurveComponent& editor)
{
    const juce::Component::SafePointer<CurveComponent> safeEditor (&editor);
    juce::FileChooser chooser ("Open From", CacheFiles::getCacheDirectory(), "*.curve");

    if (! chooser.browseForFileToOpen() || safeEditor == nullptr)
        return;

    juce::MouseCursor::showWaitCursor();

    const auto result = loadCurveFile (*safeEditor, chooser.getResult());
    if (result.failed())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                                curveLoadFailedTitle(), result.getErrorMessage());
}
