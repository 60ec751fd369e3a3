#pragma once

namespace zorvane {

// 2 x 3.14159265359, not the full-precision 2*pi: the last printed digits of
// every reactance, resonance and cutoff result depend on this exact double.
inline constexpr double TWO_PI = 6.28318530718;

// Metres per second.
inline constexpr double SPEED_OF_LIGHT = 299792458.0;

}  // namespace zorvane
