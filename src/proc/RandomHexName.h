#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// Milliseconds from some fixed moment, wrapping at 2^32 like the system tick counter.
using TickSource = std::function<uint32_t()>;

// Monotonic milliseconds (steady clock), truncated to 32 bits.
uint32_t SystemTicks();

// The C run-time library's rand(): seed := seed * 22695477 + 1 (mod 2^32), result bits 16..30.
// A fresh generator starts at seed 1, as an unseeded run-time library does.
class RunTimeRandom {
  public:
    explicit RunTimeRandom(uint32_t seed = 1) : seed_(seed) {}

    // Next number in 0..32767.
    int Next();
    uint32_t Seed() const { return seed_; }
    void SetSeed(uint32_t seed) { seed_ = seed; }

    // The one generator of the process that the two-argument RandomHexName draws from.
    static RunTimeRandom& Process();

  private:
    uint32_t seed_;
};

// count upper-case hex digits: count / 8 groups of eight, then the first count % 8 digits of one
// more group (always drawn, even when count % 8 is 0). A group is a random number times the tick
// count, wrapped to 32 bits. A negative count gives an empty text.
QString RandomHexName(int count, RunTimeRandom& random, const TickSource& ticks);

// The same on the process-wide generator.
QString RandomHexName(int count, const TickSource& ticks = SystemTicks);
