#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/XmlFiles.h"

class CurveComponent;

// Target curve files (".curve"): the curve editor's points, end points and
// markers as pixel positions, in an XML document with the root "circles".
// The parameter file embeds the same elements in its own document.

// Adds "circle0", "circle1", ... (each point's top-left corner, in list
// order), "p1", "p2", "currentPos" and "currentPosH" to the children of a
// document being built.
void appendCurveElements (XmlFiles::ChildList& children, const CurveComponent& editor);

// The whole curve document.
std::unique_ptr<juce::XmlElement> createCurveDocument (const CurveComponent& editor);

// Which tags become points when the editor is rebuilt from a document: the
// curve file takes any tag but the four named ones, the parameter file only
// tags that contain "circle".
enum class CurvePointTags { anyOther, containingCircle };

// Applies one child element of a document to the editor: an end point level,
// a marker or a new point. False when the element is none of these.
bool applyCurveElement (CurveComponent& editor, const juce::XmlElement& element, CurvePointTags pointTags);

// Removes the editor's points and rebuilds them from the root's children, in
// document order, then repaints the editor.
void applyCurveDocument (CurveComponent& editor, const juce::XmlElement& root);

// Writes the editor's curve to the file, replacing it only once the new
// document is completely on disk. The error message is the text for the
// user's alert.
juce::Result saveCurveFile (const CurveComponent& editor, const juce::File& file);

// Rebuilds the editor from the file. A file that is missing or is not a
// well-formed document leaves the editor as it was; the error message is the
// text for the user's alert and names the file.
juce::Result loadCurveFile (CurveComponent& editor, const juce::File& file);

// The menu items "Save Target Curve File" and "Load Target Curve File": ask
// for a file (starting in the cache directory) and save or load it, showing
// a warning alert when that fails.
void chooseAndSaveCurveFile (CurveComponent& editor);
void chooseAndLoadCurveFile (CurveComponent& editor);

// Titles of the alerts.
juce::String curveLoadFailedTitle();
juce::String curveSaveFailedTitle();
