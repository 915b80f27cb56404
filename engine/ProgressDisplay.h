// Turns a step's position in seconds into the share of the whole file shown on its row:
// the encode step fills the bar to 90, the four short steps share the rest.
#pragma once

#include "StepCommands.h"

namespace tarv {

// The bar value 0 to 99 for a position of a step. A file of unknown or zero length shows the
// step's base value (0, 90, 93, 95, 97) instead of dividing by its length.
int ShownProgress(int positionSeconds, int durationSeconds, StepType step);

}  // namespace tarv
