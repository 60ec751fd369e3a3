// Random variates that are the same bits on every platform the project
// builds for. The C++ standard fixes what std::mt19937_64 outputs for a seed,
// but not what its distributions make of that output (each standard library
// has its own algorithms), and libm's exp and log may differ in the last bit
// between platforms, which a rejection test or a Box-Muller transform would
// turn into different samples. So the variates are made here from the
// engine's bits with + - * / and comparisons only, which IEEE 754 rounds
// exactly: the same inputs give the same doubles everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <random>

namespace zorvane::host {

// e^-t for 0 <= t <= 4.5, within a few ulps, the same bits everywhere:
// t = k/2 + r with 0 <= r < 1/2 (the subtraction is exact), e^-(k/2) from a
// table of the doubles nearest it (written as bits, so no compiler or libm
// computes them), e^-r by its Taylor series to the 17th power (the first
// term left out is below 1e-22), summed by Horner's rule. The coefficients
// 1/k! are constants the compiler rounds once, correctly, whatever the
// target.
constexpr std::array<double, 18> INVERSE_FACTORIALS = [] {
    std::array<double, 18> c{};
    c[0] = 1.0;
    for (std::size_t k = 1; k < c.size(); ++k) c[k] = c[k - 1] / static_cast<double>(k);
    return c;
}();
constexpr std::array<double, 10> EXP_MINUS_HALVES = {
    0x1.0000000000000p+0, 0x1.368b2fc6f960ap-1, 0x1.78b56362cef38p-2, 0x1.c8f87724b5c1dp-3,
    0x1.152aaa3bf81ccp-3, 0x1.50385c094f425p-4, 0x1.97db0ccceb0afp-5, 0x1.eec1018e4ff66p-6,
    0x1.2c155b8213cf4p-6, 0x1.6c0504695c417p-7};

inline double exp_minus(double t) {
    const auto k = static_cast<std::size_t>(t * 2.0);  // t <= 4.5: k <= 9
    const double r = t - 0.5 * static_cast<double>(k);
    double sum = INVERSE_FACTORIALS.back();
    for (std::size_t n = INVERSE_FACTORIALS.size() - 1; n-- > 0;) {
        sum = INVERSE_FACTORIALS[n] - r * sum;
    }
    return EXP_MINUS_HALVES[k] * sum;
}

class Variates {
   public:
    explicit Variates(std::uint64_t seed) : engine_(seed) {}

    // [0, 1): the engine's top 53 bits times 2^-53, exactly.
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-53; }

    // [-1, 1), uniform.
    double symmetric() { return 2.0 * uniform() - 1.0; }

    // Gaussian with sigma 1 truncated to [-3, 3], by rejection from the
    // uniform on [-3, 3]: z is kept with probability e^(-z²/2), decided by
    // 1 - t <= e^-t <= 1 - t + t²/2 where that suffices, else by exp_minus.
    // About 2.4 tries per variate.
    double truncated_normal() {
        for (;;) {
            const double z = 6.0 * uniform() - 3.0;
            const double u = uniform();
            const double t = 0.5 * (z * z);
            if (u <= 1.0 - t) return z;
            if (u > 1.0 - t + 0.5 * (t * t)) continue;
            if (u < exp_minus(t)) return z;
        }
    }

   private:
    std::mt19937_64 engine_;
};

}  // namespace zorvane::host
