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

// Every unit of the table.
// clang-format off
inline constexpr Unit UNITS[] = {
    VOLT, AMPERE, OHM, WATT, JOULE, COULOMB, FARAD, HENRY, SECOND, HERTZ, METRE, METRE_PER_SECOND,
    DECIBEL, WATT_PER_SQUARE_METRE, DEGREE_CELSIUS, DEGREE_CELSIUS_PER_WATT,
};
// clang-format on

// The units a value is shown with an SI prefix in (4.7 k\316\251, 100 ns); a
// decibel, the temperatures and W/m\302\262 keep their plain numbers.
inline constexpr Unit PREFIXED_UNITS[] = {WATT,  VOLT,   AMPERE, OHM,   FARAD, COULOMB,
                                          JOULE, SECOND, HENRY,  HERTZ, METRE, METRE_PER_SECOND};

// Other ways people write a unit than its symbol, in UTF-8: the ohm sign
// of its own code point, the word, the degree Celsius as one character or
// without the degree sign (a value is read in its own argument's unit, so
// "40C" for a temperature is never a charge), kelvin for a temperature
// difference, the square without a superscript.
// The input notation reads those marked `read` as the unit; the hints
// recognise every one as a unit, to say what a value is written in.
struct UnitSpelling {
    std::string_view unit;  // the unit's UTF-8 symbol
    std::string_view spelling;
    bool read;
};
inline constexpr UnitSpelling UNIT_SPELLINGS[] = {
    {OHM.utf8, "\342\204\246", true},  // U+2126
    {OHM.utf8, "ohm", true},
    {OHM.utf8, "ohms", true},
    {DEGREE_CELSIUS.utf8, "\342\204\203", true},  // U+2103
    {DEGREE_CELSIUS.utf8, "degC", true},
    {DEGREE_CELSIUS.utf8, "C", true},
    {DEGREE_CELSIUS_PER_WATT.utf8, "K/W", true},
    {DEGREE_CELSIUS_PER_WATT.utf8, "C/W", false},
    {WATT_PER_SQUARE_METRE.utf8, "W/m2", true},
    {WATT_PER_SQUARE_METRE.utf8, "W/m^2", true},
};

}  // namespace zorvane
