// The unit texts, each written once in both encodings the system uses: the
// module's Windows-1252 lines and the hosts' UTF-8.
#pragma once

#include <string_view>

namespace zorvane {

struct Unit {
    std::string_view windows_1252;  // as the module's lines print it
    std::string_view utf8;          // as hosts show it
};

// The module's lines have no ohm sign: Windows-1252 lacks one, and the
// result formats carry "?" in its place.
inline constexpr std::string_view OHM_SIGN_UTF8 = "\xCE\xA9";
inline constexpr std::string_view DEGREE_SIGN_UTF8 = "\xC2\xB0";
inline constexpr std::string_view MICRO_SIGN_UTF8 = "\xC2\xB5";
inline constexpr std::string_view GREEK_MU_UTF8 = "\xCE\xBC";

inline constexpr Unit NO_UNIT{"", ""};
inline constexpr Unit VOLT{"V", "V"};
inline constexpr Unit AMPERE{"A", "A"};
inline constexpr Unit OHM{"?", OHM_SIGN_UTF8};
inline constexpr Unit WATT{"W", "W"};
inline constexpr Unit JOULE{"J", "J"};
inline constexpr Unit COULOMB{"C", "C"};
inline constexpr Unit FARAD{"F", "F"};
inline constexpr Unit HENRY{"H", "H"};
inline constexpr Unit SECOND{"s", "s"};
inline constexpr Unit HERTZ{"Hz", "Hz"};
inline constexpr Unit METRE{"m", "m"};
inline constexpr Unit METRE_PER_SECOND{"m/s", "m/s"};
inline constexpr Unit DECIBEL{"dB", "dB"};
inline constexpr Unit WATT_PER_SQUARE_METRE{"W/m\xB2", "W/m\xC2\xB2"};
// (Octal escapes end after three digits, so the "C" after them stays a letter.)
inline constexpr Unit DEGREE_CELSIUS{"\260C", "\302\260C"};
inline constexpr Unit DEGREE_CELSIUS_PER_WATT{"\260C/W", "\302\260C/W"};

}  // namespace zorvane
