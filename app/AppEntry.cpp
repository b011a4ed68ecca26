#include "app/Main.h"

START_JUCE_APPLICATION (VELD72Application)
