// Starting values for the picker's fields and the sweep's range: typical
// parts and signals, so that a formula shows a result as soon as it is
// chosen. Page content only; the module never sees these unless they are
// typed into a field.

// The formula the page opens on; index.html holds its fields.
export const FIRST_FORMULA = "capacitor_reactance";

const BY_UNIT = {
    "Hz": { value: "1k", range: ["10", "100k"] },
    "F": { value: "100n", range: ["1n", "10u"] },
    "Ω": { value: "1k", range: ["10", "1M"] },
    "H": { value: "10m", range: ["1u", "1"] },
    "V": { value: "12", range: ["1", "100"] },
    "A": { value: "0.5", range: ["1m", "10"] },
    "W": { value: "2", range: ["100m", "100"] },
    "s": { value: "1m", range: ["1u", "1"] },
    "dB": { value: "20", range: ["-40", "40"], linear: true },
    "°C": { value: "25", range: ["-20", "100"], linear: true },
    "°C/W": { value: "5", range: ["0.5", "50"] },
    "m": { value: "7.2m", range: ["2.5m", "50m"] },
    "W/m²": { value: "20", range: ["1", "1k"] },
    "": { value: "10", range: ["1", "1k"] },
};

// Arguments whose typical value differs from their unit's.
const BY_ARGUMENT = {
    "<inner_diameter>": { value: "2m", range: ["0.1m", "7m"] },
    "<dielectric_constant>": { value: "2.25", range: ["1", "10"] },
    "<velocity_factor>": { value: "0.66", range: ["0.5", "1"] },
    "<base_current>": { value: "50u", range: ["1u", "1m"] },
    "<collector_current>": { value: "10m", range: ["1m", "1"] },
    "<emitter_current>": { value: "10.05m", range: ["1m", "1"] },
    "<power_density_isotropic>": { value: "1", range: ["0.1", "100"] },
    "<primary_voltage>": { value: "230", range: ["1", "400"] },
    "<rms_voltage>": { value: "230", range: ["1", "400"] },
    "<ripple_voltage>": { value: "0.2", range: ["1m", "5"] },
    "<temperature_rise>": { value: "40", range: ["1", "150"] },
    "<gain_ratio>": { value: "100", range: ["0.01", "100k"] },
    "<voltage_ratio>": { value: "100", range: ["0.01", "100k"] },
    "<power_ratio>": { value: "100", range: ["0.01", "100k"] },
    "<r2>": { value: "2.2k", range: ["10", "1M"] },
    "<c2>": { value: "220n", range: ["1n", "10u"] },
    "<l2>": { value: "22m", range: ["1u", "1"] },
};

function example(argument, unit) {
    return BY_ARGUMENT[argument] ?? BY_UNIT[unit] ?? BY_UNIT[""];
}

export function exampleValue(argument, unit) {
    return example(argument, unit).value;
}

// [from, to, "log" or "linear"]
export function sweepRange(argument, unit) {
    const { range, linear } = example(argument, unit);
    return [...range, linear ? "linear" : "log"];
}
