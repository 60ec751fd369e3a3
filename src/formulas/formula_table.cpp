// The 50 formulas. Adding a formula is adding a row here and its evaluator
// in the header of its category group.
#include "formula_table.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "ac_formulas.h"
#include "circuit_formulas.h"
#include "decibel_thermal_formulas.h"
#include "rf_formulas.h"

namespace zorvane {
namespace {

// The categories, in the order the reference lists them.
constexpr Category CATEGORIES[] = {
    {"Ohm's law and power", "BASIC ELECTRONICS (Ohm's Law & Power):"},
    {"Capacitors", "CAPACITOR FORMULAS:"},
    {"Inductors", "INDUCTOR FORMULAS:"},
    {"Resistors", "RESISTOR FORMULAS:"},
    {"AC circuits", "AC CIRCUIT FORMULAS:"},
    {"Amplifiers", "AMPLIFIER FORMULAS:"},
    {"Power supplies", "POWER SUPPLY FORMULAS:"},
    {"Transmission lines", "TRANSMISSION LINE FORMULAS:"},
    {"Antennas", "ANTENNA FORMULAS:"},
    {"Filters", "FILTER FORMULAS:"},
    {"Decibels", "DECIBEL FORMULAS:"},
    {"Thermal", "THERMAL FORMULAS:"},
};
constexpr const Category& OHMS_LAW = CATEGORIES[0];
constexpr const Category& CAPACITORS = CATEGORIES[1];
constexpr const Category& INDUCTORS = CATEGORIES[2];
constexpr const Category& RESISTORS = CATEGORIES[3];
constexpr const Category& AC_CIRCUITS = CATEGORIES[4];
constexpr const Category& AMPLIFIERS = CATEGORIES[5];
constexpr const Category& POWER_SUPPLIES = CATEGORIES[6];
constexpr const Category& TRANSMISSION_LINES = CATEGORIES[7];
constexpr const Category& ANTENNAS = CATEGORIES[8];
constexpr const Category& FILTERS = CATEGORIES[9];
constexpr const Category& DECIBELS = CATEGORIES[10];
constexpr const Category& THERMAL = CATEGORIES[11];

// The arguments the rows take, each with its unit and domain. Coax
// diameters only enter as their ratio, so any one length unit serves.
constexpr Domain MAGNITUDE = Domain::magnitude;
constexpr Domain SIGNED = Domain::signed_quantity;
constexpr Argument CURRENT{"current", AMPERE, SIGNED};
constexpr Argument VOLTAGE{"voltage", VOLT, SIGNED};
constexpr Argument RESISTANCE{"resistance", OHM, MAGNITUDE};
constexpr Argument CAPACITANCE{"capacitance", FARAD, MAGNITUDE};
constexpr Argument INDUCTANCE{"inductance", HENRY, MAGNITUDE};
constexpr Argument FREQUENCY{"frequency", HERTZ, MAGNITUDE};
constexpr Argument PERIOD{"period", SECOND, MAGNITUDE};
constexpr Argument C1{"c1", FARAD, MAGNITUDE};
constexpr Argument C2{"c2", FARAD, MAGNITUDE};
constexpr Argument L1{"l1", HENRY, MAGNITUDE};
constexpr Argument L2{"l2", HENRY, MAGNITUDE};
constexpr Argument R1{"r1", OHM, MAGNITUDE};
constexpr Argument R2{"r2", OHM, MAGNITUDE};
constexpr Argument VIN{"vin", VOLT, SIGNED};
constexpr Argument ITOTAL{"itotal", AMPERE, SIGNED};
constexpr Argument GAIN_RATIO{"gain_ratio", NO_UNIT, SIGNED};
constexpr Argument GAIN_DB{"gain_db", DECIBEL, SIGNED};
constexpr Argument COLLECTOR_CURRENT{"collector_current", AMPERE, SIGNED};
constexpr Argument BASE_CURRENT{"base_current", AMPERE, SIGNED};
constexpr Argument EMITTER_CURRENT{"emitter_current", AMPERE, SIGNED};
constexpr Argument PRIMARY_VOLTAGE{"primary_voltage", VOLT, SIGNED};
constexpr Argument SECONDARY_VOLTAGE{"secondary_voltage", VOLT, SIGNED};
constexpr Argument RMS_VOLTAGE{"rms_voltage", VOLT, SIGNED};
constexpr Argument RIPPLE_VOLTAGE{"ripple_voltage", VOLT, SIGNED};
constexpr Argument DC_VOLTAGE{"dc_voltage", VOLT, SIGNED};
constexpr Argument DIELECTRIC_CONSTANT{"dielectric_constant", NO_UNIT, MAGNITUDE};
constexpr Argument OUTER_DIAMETER{"outer_diameter", METRE, MAGNITUDE};
constexpr Argument INNER_DIAMETER{"inner_diameter", METRE, MAGNITUDE};
constexpr Argument VELOCITY_FACTOR{"velocity_factor", NO_UNIT, MAGNITUDE};
constexpr Argument POWER_DENSITY_MAX{"power_density_max", WATT_PER_SQUARE_METRE, SIGNED};
constexpr Argument POWER_DENSITY_ISOTROPIC{"power_density_isotropic", WATT_PER_SQUARE_METRE,
                                           SIGNED};
constexpr Argument POWER_RATIO{"power_ratio", NO_UNIT, SIGNED};
constexpr Argument VOLTAGE_RATIO{"voltage_ratio", NO_UNIT, SIGNED};
constexpr Argument DB{"db", DECIBEL, SIGNED};
constexpr Argument TEMPERATURE_RISE{"temperature_rise", DEGREE_CELSIUS, SIGNED};
constexpr Argument POWER{"power", WATT, SIGNED};
constexpr Argument AMBIENT_TEMP{"ambient_temp", DEGREE_CELSIUS, SIGNED};
constexpr Argument THERMAL_RESISTANCE{"thermal_resistance", DEGREE_CELSIUS_PER_WATT, MAGNITUDE};

// How each row's result moves with its values.
constexpr Shape MULTILINEAR = Shape::multilinear;
constexpr Shape QUOTIENT = Shape::quotient;
constexpr Shape EVEN_SQUARE = Shape::even_square;
constexpr Shape PRODUCT_OVER_SUM = Shape::product_over_sum;
constexpr Shape HYPOTENUSE = Shape::hypotenuse;
constexpr Shape LOGARITHMIC = Shape::logarithmic;
constexpr Shape RESONANCE = Shape::resonance;

// The rows that give the value of two parts joined, in series or in parallel.
constexpr Joining IN_SERIES = Joining::in_series;
constexpr Joining IN_PARALLEL = Joining::in_parallel;

// One row per formula: evaluator, keyword, category, arguments, result
// format, result unit, shape, the column of the reference line's "- " (at the
// least: a longer usage is followed by one space), the reference text and,
// for the rows of two parts joined, how they are joined.
// "?" in a format stands for ohms; "\xB0" is the degree sign, "\xB2" the
// superscript two and "\xBD" the one half of Windows-1252; "?" in "1/2?fC"
// and "2?fL" is a question mark.
// clang-format off
constexpr Formula FORMULAS[] = {
    formula<ohms_voltage>                  ("ohms_voltage",                  OHMS_LAW,           {CURRENT, RESISTANCE},                                 "Voltage = %.6f V",                     VOLT,                    MULTILINEAR,      42, "Calculate voltage (V = I * R)"),
    formula<ohms_current>                  ("ohms_current",                  OHMS_LAW,           {VOLTAGE, RESISTANCE},                                 "Current = %.6f A",                     AMPERE,                  QUOTIENT,         42, "Calculate current (I = V / R)"),
    formula<ohms_resistance>               ("ohms_resistance",               OHMS_LAW,           {VOLTAGE, CURRENT},                                    "Resistance = %.6f ?",                  OHM,                     QUOTIENT,         42, "Calculate resistance (R = V / I)"),
    formula<power_vi>                      ("power_vi",                      OHMS_LAW,           {VOLTAGE, CURRENT},                                    "Power = %.6f W",                       WATT,                    MULTILINEAR,      42, "Power from V*I (P = V * I)"),
    formula<power_v2r>                     ("power_v2r",                     OHMS_LAW,           {VOLTAGE, RESISTANCE},                                 "Power = %.6f W",                       WATT,                    EVEN_SQUARE,      42, "Power from V\xB2/R (P = V\xB2 / R)"),
    formula<power_i2r>                     ("power_i2r",                     OHMS_LAW,           {CURRENT, RESISTANCE},                                 "Power = %.6f W",                       WATT,                    EVEN_SQUARE,      42, "Power from I\xB2*R (P = I\xB2 * R)"),
    formula<capacitor_energy>              ("capacitor_energy",              CAPACITORS,         {CAPACITANCE, VOLTAGE},                                "Energy = %.6f J",                      JOULE,                   EVEN_SQUARE,      49, "Energy stored (E = \xBD" "CV\xB2)"),
    formula<capacitor_charge>              ("capacitor_charge",              CAPACITORS,         {CAPACITANCE, VOLTAGE},                                "Charge = %.6f C",                      COULOMB,                 MULTILINEAR,      49, "Charge stored (Q = CV)"),
    formula<capacitive_reactance>          ("capacitor_reactance",           CAPACITORS,         {FREQUENCY, CAPACITANCE},                              "Capacitive Reactance = %.6f ?",        OHM,                     QUOTIENT,         49, "Reactance (Xc = 1/2?fC)"),
    formula<capacitor_time_constant_rc>    ("capacitor_time_constant_rc",    CAPACITORS,         {RESISTANCE, CAPACITANCE},                             "RC Time Constant = %.6f s",            SECOND,                  MULTILINEAR,      42, "RC time constant"),
    formula<product_over_sum>              ("capacitors_series",             CAPACITORS,         {C1, C2},                                              "Series Capacitance = %.6f F",          FARAD,                   PRODUCT_OVER_SUM, 42, "Series capacitance", IN_SERIES),
    formula<sum>                           ("capacitors_parallel",           CAPACITORS,         {C1, C2},                                              "Parallel Capacitance = %.6f F",        FARAD,                   MULTILINEAR,      42, "Parallel capacitance", IN_PARALLEL),
    formula<inductor_energy>               ("inductor_energy",               INDUCTORS,          {INDUCTANCE, CURRENT},                                 "Energy = %.6f J",                      JOULE,                   EVEN_SQUARE,      49, "Energy stored (E = \xBDLI\xB2)"),
    formula<inductive_reactance>           ("inductor_reactance",            INDUCTORS,          {FREQUENCY, INDUCTANCE},                               "Inductive Reactance = %.6f ?",         OHM,                     MULTILINEAR,      49, "Reactance (XL = 2?fL)"),
    formula<inductor_time_constant_lr>     ("inductor_time_constant_lr",     INDUCTORS,          {INDUCTANCE, RESISTANCE},                              "LR Time Constant = %.6f s",            SECOND,                  QUOTIENT,         42, "LR time constant"),
    formula<sum>                           ("inductors_series",              INDUCTORS,          {L1, L2},                                              "Series Inductance = %.6f H",           HENRY,                   MULTILINEAR,      42, "Series inductance", IN_SERIES),
    formula<product_over_sum>              ("inductors_parallel",            INDUCTORS,          {L1, L2},                                              "Parallel Inductance = %.6f H",         HENRY,                   PRODUCT_OVER_SUM, 42, "Parallel inductance", IN_PARALLEL),
    formula<sum>                           ("resistors_series",              RESISTORS,          {R1, R2},                                              "Series Resistance = %.6f ?",           OHM,                     MULTILINEAR,      42, "Series resistance", IN_SERIES),
    formula<product_over_sum>              ("resistors_parallel",            RESISTORS,          {R1, R2},                                              "Parallel Resistance = %.6f ?",         OHM,                     PRODUCT_OVER_SUM, 42, "Parallel resistance", IN_PARALLEL),
    formula<divider_share>                 ("voltage_divider",               RESISTORS,          {VIN, R1, R2},                                         "Output Voltage = %.6f V",              VOLT,                    PRODUCT_OVER_SUM, 42, "Voltage divider output"),
    formula<divider_share>                 ("current_divider",               RESISTORS,          {ITOTAL, R1, R2},                                      "Current through R1 = %.6f A",          AMPERE,                  PRODUCT_OVER_SUM, 42, "Current divider (through R1)"),
    formula<frequency_to_period>           ("frequency_to_period",           AC_CIRCUITS,        {FREQUENCY},                                           "Period = %.6f s",                      SECOND,                  QUOTIENT,         42, "Convert frequency to period"),
    formula<period_to_frequency>           ("period_to_frequency",           AC_CIRCUITS,        {PERIOD},                                              "Frequency = %.6f Hz",                  HERTZ,                   QUOTIENT,         42, "Convert period to frequency"),
    formula<impedance_rc>                  ("impedance_rc",                  AC_CIRCUITS,        {RESISTANCE, FREQUENCY, CAPACITANCE},                  "RC Impedance = %.6f ?",                OHM,                     HYPOTENUSE,       42, "RC impedance"),
    formula<impedance_rl>                  ("impedance_rl",                  AC_CIRCUITS,        {RESISTANCE, FREQUENCY, INDUCTANCE},                   "RL Impedance = %.6f ?",                OHM,                     HYPOTENUSE,       54, "RL impedance"),
    formula<impedance_rlc_series>          ("impedance_rlc_series",          AC_CIRCUITS,        {RESISTANCE, FREQUENCY, INDUCTANCE, CAPACITANCE},      "RLC Series Impedance = %.6f ?",        OHM,                     RESONANCE,        42, "RLC series impedance"),
    formula<resonant_frequency_lc>         ("resonant_frequency_lc",         AC_CIRCUITS,        {INDUCTANCE, CAPACITANCE},                             "Resonant Frequency = %.6f Hz",         HERTZ,                   QUOTIENT,         54, "LC resonant frequency"),
    formula<q_factor_rlc>                  ("q_factor_rlc",                  AC_CIRCUITS,        {RESISTANCE, INDUCTANCE, CAPACITANCE},                 "Q Factor = %.6f",                      NO_UNIT,                 QUOTIENT,         42, "Q factor for RLC"),
    formula<voltage_ratio_to_db>           ("gain_db",                       AMPLIFIERS,         {GAIN_RATIO},                                          "Gain = %.6f dB",                       DECIBEL,                 LOGARITHMIC,      42, "Convert gain ratio to dB"),
    formula<db_to_voltage_ratio>           ("gain_ratio_from_db",            AMPLIFIERS,         {GAIN_DB},                                             "Gain Ratio = %.6f",                    NO_UNIT,                 LOGARITHMIC,      42, "Convert dB to gain ratio"),
    formula<transistor_beta>               ("transistor_beta",               AMPLIFIERS,         {COLLECTOR_CURRENT, BASE_CURRENT},                     "Beta (hFE) = %.6f",                    NO_UNIT,                 QUOTIENT,         42, "Transistor beta (hFE)"),
    formula<transistor_alpha>              ("transistor_alpha",              AMPLIFIERS,         {COLLECTOR_CURRENT, EMITTER_CURRENT},                  "Alpha = %.6f",                         NO_UNIT,                 QUOTIENT,         42, "Transistor alpha"),
    formula<transformer_turns_ratio>       ("transformer_turns_ratio",       POWER_SUPPLIES,     {PRIMARY_VOLTAGE, SECONDARY_VOLTAGE},                  "Turns Ratio = %.6f",                   NO_UNIT,                 QUOTIENT,         42, "Turns ratio"),
    formula<rectifier_peak_voltage>        ("rectifier_peak_voltage",        POWER_SUPPLIES,     {RMS_VOLTAGE},                                         "Peak Voltage = %.6f V",                VOLT,                    MULTILINEAR,      42, "Peak voltage from RMS"),
    formula<filter_ripple_factor>          ("filter_ripple_factor",          POWER_SUPPLIES,     {RIPPLE_VOLTAGE, DC_VOLTAGE},                          "Ripple Factor = %.6f",                 NO_UNIT,                 QUOTIENT,         42, "Ripple factor"),
    formula<characteristic_impedance_coax> ("characteristic_impedance_coax", TRANSMISSION_LINES, {DIELECTRIC_CONSTANT, OUTER_DIAMETER, INNER_DIAMETER}, "Characteristic Impedance = %.6f ?",    OHM,                     LOGARITHMIC,      42, "Coax impedance"),
    formula<wavelength>                    ("wavelength",                    TRANSMISSION_LINES, {FREQUENCY, VELOCITY_FACTOR},                          "Wavelength = %.6f m",                  METRE,                   QUOTIENT,         42, "Wavelength calculation"),
    formula<velocity_factor_to_velocity>   ("velocity_factor_to_velocity",   TRANSMISSION_LINES, {VELOCITY_FACTOR},                                     "Velocity = %.6f m/s",                  METRE_PER_SECOND,        MULTILINEAR,      42, "Convert velocity factor to velocity"),
    formula<dipole_length>                 ("dipole_length",                 ANTENNAS,           {FREQUENCY},                                           "Dipole Length = %.6f m",               METRE,                   QUOTIENT,         42, "Half-wave dipole length"),
    formula<antenna_gain_db>               ("antenna_gain_db",               ANTENNAS,           {POWER_DENSITY_MAX, POWER_DENSITY_ISOTROPIC},          "Antenna Gain = %.6f dB",               DECIBEL,                 LOGARITHMIC,      42, "Antenna gain in dB"),
    formula<rc_cutoff_frequency>           ("rc_lowpass_cutoff",             FILTERS,            {RESISTANCE, CAPACITANCE},                             "Cutoff Frequency = %.6f Hz",           HERTZ,                   QUOTIENT,         51, "RC low-pass cutoff frequency"),
    formula<rc_cutoff_frequency>           ("rc_highpass_cutoff",            FILTERS,            {RESISTANCE, CAPACITANCE},                             "Cutoff Frequency = %.6f Hz",           HERTZ,                   QUOTIENT,         51, "RC high-pass cutoff frequency"),
    formula<rl_cutoff_frequency>           ("rl_lowpass_cutoff",             FILTERS,            {RESISTANCE, INDUCTANCE},                              "Cutoff Frequency = %.6f Hz",           HERTZ,                   QUOTIENT,         51, "RL low-pass cutoff frequency"),
    formula<rl_cutoff_frequency>           ("rl_highpass_cutoff",            FILTERS,            {RESISTANCE, INDUCTANCE},                              "Cutoff Frequency = %.6f Hz",           HERTZ,                   QUOTIENT,         51, "RL high-pass cutoff frequency"),
    formula<power_ratio_to_db>             ("power_ratio_to_db",             DECIBELS,           {POWER_RATIO},                                         "Power Ratio in dB = %.6f dB",          DECIBEL,                 LOGARITHMIC,      42, "Convert power ratio to dB"),
    formula<voltage_ratio_to_db>           ("voltage_ratio_to_db",           DECIBELS,           {VOLTAGE_RATIO},                                       "Voltage Ratio in dB = %.6f dB",        DECIBEL,                 LOGARITHMIC,      42, "Convert voltage ratio to dB"),
    formula<db_to_power_ratio>             ("db_to_power_ratio",             DECIBELS,           {DB},                                                  "Power Ratio = %.6f",                   NO_UNIT,                 LOGARITHMIC,      42, "Convert dB to power ratio"),
    formula<db_to_voltage_ratio>           ("db_to_voltage_ratio",           DECIBELS,           {DB},                                                  "Voltage Ratio = %.6f",                 NO_UNIT,                 LOGARITHMIC,      42, "Convert dB to voltage ratio"),
    formula<thermal_resistance>            ("thermal_resistance",            THERMAL,            {TEMPERATURE_RISE, POWER},                             "Thermal Resistance = %.6f \xB0" "C/W", DEGREE_CELSIUS_PER_WATT, QUOTIENT,         50, "Thermal resistance calculation"),
    formula<junction_temperature>          ("junction_temperature",          THERMAL,            {AMBIENT_TEMP, THERMAL_RESISTANCE, POWER},             "Junction Temperature = %.6f \xB0" "C", DEGREE_CELSIUS,          MULTILINEAR,      42, "Junction temperature"),
};
// clang-format on

// Two arguments of one name are one quantity: the same unit and domain.
constexpr bool same_quantity_in_every_row(const Argument& argument) {
    return std::all_of(std::begin(FORMULAS), std::end(FORMULAS), [&](const Formula& row) {
        const std::span<const Argument> others = row.argument_list();
        return std::all_of(others.begin(), others.end(), [&](const Argument& other) {
            return other.name != argument.name ||
                   (other.unit.utf8 == argument.unit.utf8 && other.domain == argument.domain);
        });
    });
}

consteval bool argument_names_agree() {
    return std::all_of(std::begin(FORMULAS), std::end(FORMULAS), [](const Formula& row) {
        const std::span<const Argument> arguments = row.argument_list();
        return std::all_of(arguments.begin(), arguments.end(), same_quantity_in_every_row);
    });
}
static_assert(argument_names_agree(), "an argument name means one quantity in every row");

consteval bool rows_grouped_by_category() {
    // Rows come category by category, in the order of CATEGORIES.
    const Category* previous = &CATEGORIES[0];
    for (const Formula& row : FORMULAS) {
        if (row.category < previous || row.category > previous + 1) return false;
        previous = row.category;
    }
    return previous == &CATEGORIES[std::size(CATEGORIES) - 1];
}
static_assert(rows_grouped_by_category(), "rows follow the categories in order, none empty");

// ---- Keyword lookup ----
//
// A perfect hash built at compile time, so that finding the last row costs
// what finding the first does: one multiplication, one slot, one comparison.
// A keyword is mixed into one word (its first and last eight bytes and its
// length); the build searches for a multiplier under which every row's word
// lands in a slot of its own. With at least four slots a row, a few hundred
// to a few thousand candidates are tried, which the build does in a moment.
// The mix leaves out every byte's case bit (0x20), so that a command's name
// finds its row in any case without being lower-cased first.

constexpr std::size_t ROW_COUNT = std::size(FORMULAS);
constexpr std::size_t SLOT_BITS = static_cast<std::size_t>(std::bit_width(ROW_COUNT * 4 - 1));
constexpr std::size_t SLOT_COUNT = std::size_t{1} << SLOT_BITS;
constexpr std::uint8_t EMPTY_SLOT = 0xFF;
static_assert(ROW_COUNT < EMPTY_SLOT, "a slot holds a row number below EMPTY_SLOT");

// Eight bytes from `at` (fewer past `end`, zero-filled), little-endian.
constexpr std::uint64_t load_eight(const char* at, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        if (!std::is_constant_evaluated()) {
            const std::ptrdiff_t size = end - at;
            std::uint64_t word = 0;
            if (size >= 8) {
                std::memcpy(&word, at, sizeof word);
                return word;
            }
            if (size >= 4) {  // two four-byte halves, overlapping where they meet
                std::uint32_t low = 0;
                std::uint32_t high = 0;
                std::memcpy(&low, at, sizeof low);
                std::memcpy(&high, end - 4, sizeof high);
                return low | std::uint64_t{high} << (8 * (size - 4));
            }
        }
    }
    std::uint64_t word = 0;
    for (int i = 0; i < 8 && at + i < end; ++i) {
        word |= std::uint64_t{static_cast<unsigned char>(at[i])} << (8 * i);
    }
    return word;
}

constexpr std::uint64_t CASE_BITS = 0x2020202020202020;

constexpr std::uint64_t mix(std::uint64_t head, std::uint64_t tail, std::size_t size) {
    return ((head ^ tail) & ~CASE_BITS) ^ size;
}

constexpr std::uint64_t mix(std::string_view keyword) {
    const char* begin = keyword.data();
    const char* end = begin + keyword.size();
    const std::uint64_t head = load_eight(begin, end);
    const std::uint64_t tail = keyword.size() >= 8 ? load_eight(end - 8, end) : head;
    return mix(head, tail, keyword.size());
}

constexpr std::size_t slot_of(std::uint64_t mixed, std::uint64_t multiplier) {
    return static_cast<std::size_t>((mixed * multiplier) >> (64 - SLOT_BITS));
}

// The candidates, an odd-valued pseudo-random sequence (splitmix64).
constexpr std::uint64_t next_candidate(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return (z ^ (z >> 31)) | 1;
}

consteval std::size_t longest_keyword() {
    std::size_t longest = 0;
    for (const Formula& row : FORMULAS) longest = std::max(longest, row.keyword.size());
    return longest;
}
constexpr std::size_t LONGEST_KEYWORD = longest_keyword();

struct KeywordIndex {
    std::uint64_t multiplier;
    std::uint8_t slots[SLOT_COUNT];
};

consteval std::array<std::uint64_t, ROW_COUNT> mixed_keywords() {
    std::array<std::uint64_t, ROW_COUNT> mixed{};
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        const std::string_view keyword = FORMULAS[row].keyword;
        if (std::any_of(keyword.begin(), keyword.end(),
                        [](char c) { return c >= 'A' && c <= 'Z'; })) {
            throw "keywords are lower-case: a name is matched folded";
        }
        mixed[row] = mix(FORMULAS[row].keyword);
        for (std::size_t earlier = 0; earlier < row; ++earlier) {
            if (FORMULAS[earlier].keyword == FORMULAS[row].keyword)
                throw "two rows share a keyword";
            if (mixed[earlier] == mixed[row]) throw "two keywords mix alike: change the mix";
        }
    }
    return mixed;
}

// Fills the slots under `multiplier`; false at the first collision.
consteval bool place_all(const std::array<std::uint64_t, ROW_COUNT>& mixed, KeywordIndex& index) {
    std::fill(std::begin(index.slots), std::end(index.slots), EMPTY_SLOT);
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        std::uint8_t& slot = index.slots[slot_of(mixed[row], index.multiplier)];
        if (slot != EMPTY_SLOT) return false;
        slot = static_cast<std::uint8_t>(row);
    }
    return true;
}

consteval KeywordIndex build_keyword_index() {
    const std::array<std::uint64_t, ROW_COUNT> mixed = mixed_keywords();
    KeywordIndex index{};
    std::uint64_t state = 0;
    for (int attempt = 0; attempt < 100000; ++attempt) {
        index.multiplier = next_candidate(state);
        if (place_all(mixed, index)) return index;
    }
    throw "no multiplier gives every keyword a slot of its own: add a slot bit";
}

constexpr KeywordIndex KEYWORD_INDEX = build_keyword_index();

// Each keyword as the words a name is compared with: its bytes 0..7, 8..15
// and 16..23 (zero-filled past its end) and its last eight; and for each the
// bits a name must share with it: all but the case bits of its letters.
struct KeywordWords {
    std::array<std::uint64_t, 4> word;
    std::array<std::uint64_t, 4> fixed_bits;
};
static_assert(LONGEST_KEYWORD <= 32, "the four words cover every keyword");

consteval std::uint64_t letter_case_bits(const char* at, const char* end) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8 && at + i < end; ++i) {
        if (at[i] >= 'a' && at[i] <= 'z') bits |= std::uint64_t{0x20} << (8 * i);
    }
    return bits;
}

consteval std::array<KeywordWords, ROW_COUNT> keyword_words() {
    std::array<KeywordWords, ROW_COUNT> all{};
    for (std::size_t row = 0; row < ROW_COUNT; ++row) {
        const std::string_view keyword = FORMULAS[row].keyword;
        const std::size_t size = keyword.size();
        const std::size_t starts[4] = {0, std::min<std::size_t>(8, size),
                                       std::min<std::size_t>(16, size), size >= 8 ? size - 8 : 0};
        for (std::size_t i = 0; i < 4; ++i) {
            const char* const start = keyword.data() + starts[i];
            all[row].word[i] = load_eight(start, keyword.data() + size);
            all[row].fixed_bits[i] = ~letter_case_bits(start, keyword.data() + size);
        }
    }
    return all;
}

constexpr std::array<KeywordWords, ROW_COUNT> KEYWORD_WORDS = keyword_words();

}  // namespace

std::span<const Formula> formula_table() noexcept { return FORMULAS; }

const Formula* find_keyword(std::string_view keyword) noexcept {
    const std::uint8_t at = KEYWORD_INDEX.slots[slot_of(mix(keyword), KEYWORD_INDEX.multiplier)];
    if (at == EMPTY_SLOT) return nullptr;
    const Formula& row = FORMULAS[at];
    const bool same = row.keyword.size() == keyword.size() &&
                      std::memcmp(row.keyword.data(), keyword.data(), keyword.size()) == 0;
    return same ? &row : nullptr;
}

const Formula* find_keyword_any_case(std::string_view name) noexcept {
    // A word at a time, the name never copied nor lower-cased; a name longer
    // than every keyword is no keyword.
    const std::size_t size = name.size();
    if (size > LONGEST_KEYWORD) return nullptr;
    const char* const begin = name.data();
    const char* const end = begin + size;
    const std::uint64_t head = load_eight(begin, end);
    const std::uint64_t tail = size >= 8 ? load_eight(end - 8, end) : head;
    const std::size_t slot = slot_of(mix(head, tail, size), KEYWORD_INDEX.multiplier);
    const std::uint8_t at = KEYWORD_INDEX.slots[slot];
    if (at == EMPTY_SLOT) return nullptr;
    const Formula& row = FORMULAS[at];
    if (row.keyword.size() != size) return nullptr;
    // The first and last eight bytes (all of a keyword of up to sixteen),
    // then the words between them.
    const KeywordWords& known = KEYWORD_WORDS[at];
    std::uint64_t differing = ((head ^ known.word[0]) & known.fixed_bits[0]) |
                              ((tail ^ known.word[3]) & known.fixed_bits[3]);
    for (std::size_t i = 1; i < 3 && 8 * i + 8 < size; ++i) {
        differing |= (load_eight(begin + 8 * i, end) ^ known.word[i]) & known.fixed_bits[i];
    }
    return differing == 0 ? &row : nullptr;
}

std::span<const Category> categories() noexcept { return CATEGORIES; }

}  // namespace zorvane
