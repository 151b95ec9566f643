#pragma once
#include "tracking/tick_engine.h"

class WindowsClock : public Clock {
  public:
    int64_t MonotonicMs() override;
    LocalDay Today() override;
};
