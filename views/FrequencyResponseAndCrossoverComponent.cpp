#include "views/FrequencyResponseAndCrossoverComponent.h"

int FrequencyResponseAndCrossoverComponent::mydisplayMode = 0;
int FrequencyResponseAndCrossoverComponent::mydisplayModeAll = 0;

FrequencyResponseAndCrossoverComponent::FrequencyResponseAndCrossoverComponent() = default;
FrequencyResponseAndCrossoverComponent::~FrequencyResponseAndCrossoverComponent() = default;

void FrequencyResponseAndCrossoverComponent::setIsPrepared (bool b)
{
    prepared = b;
}

void FrequencyResponseAndCrossoverComponent::setCurrentPosRed (int) {}
void FrequencyResponseAndCrossoverComponent::setCurrentPosGreen (int) {}
void FrequencyResponseAndCrossoverComponent::setCurrentPosBlue (int) {}
