#pragma once
// Moved to the engine, which schedules its own deadlines; kept so older includes build.
#include "wake/DelayedCall.h"
