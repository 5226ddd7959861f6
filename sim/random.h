// SPDX-License-Identifier: GPL-3.0-or-later
// A small random source whose sequence depends only on its seed, on every platform and
// standard library, so that a run of the simulator is reproducible from --seed.
#pragma once

#include <cstdint>

namespace sim {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    // splitmix64
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform integer in [lo, hi].
    std::uint64_t between(std::uint64_t lo, std::uint64_t hi) {
        return lo + next() % (hi - lo + 1);
    }

    // Close to a standard normal: the sum of twelve uniforms, centred. Plain arithmetic keeps
    // it identical everywhere, unlike std::normal_distribution.
    double gaussian() {
        double sum = 0.0;
        for (int i = 0; i < 12; ++i) {
            sum += uniform();
        }
        return sum - 6.0;
    }

  private:
    std::uint64_t state_;
};

} // namespace sim
