// Random variates that are the same bits on every platform the project
// builds for. The C++ standard fixes what std::mt19937_64 outputs for a seed,
// but not what its distributions make of that output (each standard library
// has its own algorithms), and libm's exp and log may differ in the last bit
// between platforms, which a rejection test or a Box-Muller transform would
// turn into different samples. So the variates are made here from the
// engine's bits with + - * / and comparisons only, which IEEE 754 rounds
// exactly: the same inputs give the same doubles everywhere.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "ieee754.h"
#include "normal_layers.h"

// The small functions of the samples' loops, inlined into each build of
// those loops (statistics.cpp builds them for more than one vector width),
// so that each runs on its build's instructions.
#if defined(__GNUC__)
#define ZORVANE_INLINE inline __attribute__((always_inline))
#else
#define ZORVANE_INLINE inline
#endif

namespace zorvane::host {

// e^-t for 0 <= t <= 4.5, within a few ulps, the same bits everywhere:
// t = k/2 + r with 0 <= r < 1/2 (the subtraction is exact), e^-(k/2) from a
// table of the doubles nearest it (written as bits, so no compiler or libm
// computes them), e^-r by its Taylor series to the 17th power (the first
// term left out is below 1e-22), summed by Horner's rule. The coefficients
// 1/k! are constants the compiler rounds once, correctly, whatever the
// target.
constexpr std::array<double, 18> inverse_factorials() {
    std::array<double, 18> c{};
    double term = 1.0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        if (k > 0) term /= static_cast<double>(k);
        c[k] = term;
    }
    return c;
}
constexpr std::array<double, 18> INVERSE_FACTORIALS = inverse_factorials();
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

// Whether the point (x, height) of a layer's wedge (LAYER_END[layer + 1] <=
// x < LAYER_END[layer], height between the densities at those ends) lies
// under the density: height < exp_minus(x²/2), the same decision for every
// point, but mostly taken without the exponential's 17-step chain. Over a
// wedge the curve lies between the chord joining its ends and the tangent
// at its left end: e^(-x²/2) is concave below x = 1 (the chord below the
// curve, the tangent above it) and convex beyond (the other way round). A
// height below both lines by more than WEDGE_MARGIN is under the curve; one
// above both by more is over it; only the rest, a thin band about the
// curve, and the one wedge across x = 1 take exp_minus. The margin, a
// relative 2^-32, is far beyond what rounding moves the lines (a few ulps
// of their table values and operations) and exp_minus (four ulps): a
// decision the lines take is the one exp_minus would.
struct WedgeLines {
    double chord_slope = 0.0;    // the chord's rise per unit x leftwards
    double tangent_slope = 0.0;  // the tangent's at the left end: -x e^(-x²/2)
    bool bounded = false;        // the wedge lies on one side of x = 1
};
constexpr std::array<WedgeLines, 128> wedge_lines() {
    std::array<WedgeLines, 128> lines{};
    for (std::size_t i = 1; i < lines.size(); ++i) {  // the base layer has no wedge
        const double left = LAYER_END[i + 1];
        const double right = LAYER_END[i];
        lines[i].chord_slope = (LAYER_DENSITY[i + 1] - LAYER_DENSITY[i]) / (right - left);
        lines[i].tangent_slope = -left * LAYER_DENSITY[i + 1];
        lines[i].bounded = right <= 1.0 || left >= 1.0;
    }
    return lines;
}
constexpr std::array<WedgeLines, 128> WEDGE_LINES = wedge_lines();
constexpr double WEDGE_MARGIN = 0x1p-32;

inline bool under_density(std::size_t layer, double x, double height) {
    const WedgeLines& lines = WEDGE_LINES[layer];
    if (lines.bounded) {
        const double chord = LAYER_DENSITY[layer] + lines.chord_slope * (LAYER_END[layer] - x);
        const double tangent =
            LAYER_DENSITY[layer + 1] + lines.tangent_slope * (x - LAYER_END[layer + 1]);
        const double lower = chord < tangent ? chord : tangent;
        const double upper = chord < tangent ? tangent : chord;
        if (height < lower * (1.0 - WEDGE_MARGIN)) return true;
        if (height > upper * (1.0 + WEDGE_MARGIN)) return false;
    }
    return height < exp_minus(0.5 * (x * x));
}

// std::mt19937_64's outputs, a round of its state (312) at a time. The
// engine is the standard's (its recurrence and tempering are fixed by
// [rand.eng.mt], and a test checks the outputs against std::mt19937_64 for
// many seeds); what differs is that the whole round is twisted and then
// tempered in two plain loops over the state, which the compiler turns into
// vector code, instead of one call, one index check and one tempering per
// output: a third of the instructions a variate cost before.
class EngineRounds {
   public:
    static constexpr std::size_t SIZE = 312;  // n
    using Round = std::array<std::uint64_t, SIZE>;

    explicit EngineRounds(std::uint64_t seed) {
        state_[0] = seed;
        for (std::size_t i = 1; i < SIZE; ++i) {
            const std::uint64_t previous = state_[i - 1];
            state_[i] = 6364136223846793005ULL * (previous ^ (previous >> 62)) + i;
        }
    }

    // The next SIZE outputs, in the order the engine gives them.
    ZORVANE_INLINE void next(Round& out) {
        twist();
        for (std::size_t i = 0; i < SIZE; ++i) out[i] = tempered(state_[i]);
    }

    // The next SIZE outputs as Variates::symmetric makes them: 2 k 2^-53 - 1
    // for k the output's top 53 bits. 2 k 2^-53 is k 2^-52 exactly, and k
    // becomes a double exactly as the sum of its high 21 and low 32 bits,
    // each set into the significand of a double with the matching exponent
    // (2^84 + h 2^32 and 2^52 + l, less 2^84 + 2^52: no step rounds); so the
    // whole loop is integer and floating-point vector arithmetic, where a
    // conversion from 64-bit integers would take the scalar unit.
    ZORVANE_INLINE void next_symmetric(std::array<double, SIZE>& out) {
        twist();
        for (std::size_t i = 0; i < SIZE; ++i) {
            const std::uint64_t k = tempered(state_[i]) >> 11;
            const double high = ieee754::double_from_bits(0x4530000000000000ULL | (k >> 32));
            const double low =
                ieee754::double_from_bits(0x4330000000000000ULL | (k & 0xffffffffULL));
            const double exact = (high - 0x1.00000001p+84) + low;  // 2^84 + 2^52
            out[i] = exact * 0x1p-52 - 1.0;
        }
    }

   private:
    static constexpr std::size_t SHIFT = 156;  // m
    ZORVANE_INLINE static std::uint64_t tempered(std::uint64_t z) {
        z ^= (z >> 29) & 0x5555555555555555ULL;
        z ^= (z << 17) & 0x71d67fffeda60000ULL;
        z ^= (z << 37) & 0xfff7eee000000000ULL;
        return z ^ (z >> 43);
    }
    ZORVANE_INLINE static std::uint64_t mixed(std::uint64_t upper, std::uint64_t lower,
                                              std::uint64_t far) {
        const std::uint64_t y = (upper & 0xffffffff80000000ULL) | (lower & 0x000000007fffffffULL);
        return far ^ (y >> 1) ^ ((0 - (y & 1)) & 0xb5026f5aa96619e9ULL);
    }
    ZORVANE_INLINE void twist() {
        for (std::size_t k = 0; k < SIZE - SHIFT; ++k) {
            state_[k] = mixed(state_[k], state_[k + 1], state_[k + SHIFT]);
        }
        for (std::size_t k = SIZE - SHIFT; k < SIZE - 1; ++k) {
            state_[k] = mixed(state_[k], state_[k + 1], state_[k + SHIFT - SIZE]);
        }
        state_[SIZE - 1] = mixed(state_[SIZE - 1], state_[0], state_[SHIFT - 1]);
    }

    Round state_{};
};

class Variates {
   public:
    explicit Variates(std::uint64_t seed) : engine_(seed) {}

    // [0, 1): the engine's top 53 bits times 2^-53, exactly.
    double uniform() { return unit(next()); }

    // [-1, 1), uniform.
    double symmetric() { return 2.0 * uniform() - 1.0; }

    // Gaussian with sigma 1 truncated to [-3, 3], from the 128 layers of
    // equal area under e^(-x²/2) (normal_layers.h; Marsaglia and Tsang's
    // ziggurat): one draw picks a layer (its low 7 bits), a sign (bit 7) and
    // a point across the layer (its top 53 bits). A point inside the layer's
    // rectangle below the next layer is taken at once (about 98 % of draws);
    // one in the wedge beside it is taken when a second draw falls under the
    // density there (by under_density). A point beyond 3 (the base layer's
    // stand-in for the tail among them) is drawn again.
    double truncated_normal() {
        double z = 0.0;
        while (!attempt_normal(next(), z)) {
        }
        return z;
    }

    // truncated_normal() / 3: within [-1, 1] in units of a tolerance that is
    // 3 sigma; out[0 .. count) = count of them. (Uniform variates come a
    // round at a time from EngineRounds::next_symmetric.)
    double truncated_normal_third() { return truncated_normal() / 3.0; }
    void truncated_normal_thirds(double* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) out[i] = truncated_normal_third();
    }

   private:
    static double unit(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1p-53; }

    // One try of truncated_normal from the draw `bits`: true with the
    // variate in `z`, false when the point is rejected. The sign is set
    // from bit 7 without a branch (it would be mispredicted every other
    // time); negating is flipping that bit.
    bool attempt_normal(std::uint64_t bits, double& z) {
        const std::size_t layer = bits & 127;
        const double x = unit(bits) * LAYER_END[layer];
        const double signed_x =
            ieee754::double_from_bits(ieee754::bits_of(x) ^ ((bits & 0x80) << 56));
        if (x > 3.0) return false;
        if (x < LAYER_END[layer + 1]) {
            z = signed_x;
            return true;
        }
        if (layer == 0) return false;
        const double below = LAYER_DENSITY[layer];
        const double height = below + uniform() * (LAYER_DENSITY[layer + 1] - below);
        if (!under_density(layer, x, height)) return false;
        z = signed_x;
        return true;
    }

    std::uint64_t next() {
        if (used_ == buffer_.size()) refill();
        return buffer_[used_++];
    }
    void refill() {
        engine_.next(buffer_);
        used_ = 0;
    }

    EngineRounds engine_;
    EngineRounds::Round buffer_{};
    std::size_t used_ = buffer_.size();
};

}  // namespace zorvane::host
