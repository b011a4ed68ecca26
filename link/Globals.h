#pragma once

#include <juce_core/juce_core.h>

#include "link/Command.h"

// The objects that exist before the main window: the parameter document and
// its target file, the command channel, and the two auto-reset wait events
// ("OK" wakes the network status thread, "MN" and parameter loads wake the
// fft thread).
extern juce::XmlElement allValue;
extern juce::File chosenSave;
extern Command sendCommand;
extern juce::WaitableEvent waitAbleEvent;
extern juce::WaitableEvent waitFftEvent;
