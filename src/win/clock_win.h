#pragma once
#include "core/tick_engine.h"

class WindowsClock : public Clock {
  public:
    int64_t MonotonicMs() override;
    int64_t WallMs() override;
    LocalDay Today() override;
    LocalTime Now() override;
};
