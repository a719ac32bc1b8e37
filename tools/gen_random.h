#pragma once
// A small deterministic random source (splitmix64). The standard library's
// distributions give different values on different implementations, and the
// shipped sample must be reproducible anywhere.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace velmar::tools {

class GenRandom final {
  public:
    explicit GenRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform integer in [lo, hi].
    int between(int lo, int hi) {
        if (hi <= lo)
            return lo;
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // Standard normal (Box-Muller).
    double normal() {
        double u1 = unit();
        double u2 = unit();
        if (u1 < 1e-12)
            u1 = 1e-12;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    template <class T> const T& pick(const std::vector<T>& v) {
        return v[static_cast<size_t>(between(0, static_cast<int>(v.size()) - 1))];
    }
    // A new independent source, e.g. one per line, so adding a field to one
    // line does not change every later line.
    GenRandom fork(std::uint64_t salt) {
        return GenRandom(next() ^ (salt * 0xD1B54A32D192ED03ULL));
    }

  private:
    std::uint64_t state_;
};

} // namespace velmar::tools
