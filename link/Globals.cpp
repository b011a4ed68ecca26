#include "link/Globals.h"

// Created in this order; destroyed at exit in the reverse order.
juce::XmlElement allValue ("allValue");
juce::File chosenSave;
Command sendCommand;
juce::WaitableEvent waitAbleEvent { false };
juce::WaitableEvent waitFftEvent { false };
