// Types of the electronics calculator module for JavaScript.

/** One formula of the table, as people read it. */
export interface Formula {
    /** The command's name: "ohms_current". */
    readonly keyword: string;
    /** "Ohm's law and power" */
    readonly category: string;
    /** What the result is: "Current". */
    readonly label: string;
    /** The result's unit: "A", "Ω", "°C/W"; "" for a ratio. */
    readonly unit: string;
    /** "ohms_current <voltage> <resistance>" */
    readonly usage: string;
    /** The formula's line of the reference file. */
    readonly reference: string;
    /** The description as prose, with the symbols the reference file lacks: "Reactance (Xc = 1/2πfC)". */
    readonly description: string;
    /** The arguments as the usage names them: ["<voltage>", "<resistance>"]. */
    readonly arguments: readonly string[];
    /** The unit of each argument: ["V", "Ω"]; "" for a ratio. */
    readonly argumentUnits: readonly string[];
}

export type AnswerKind =
    | "result"
    | "answer"
    | "error"
    | "empty"
    | "invalid_number"
    | "unknown_formula"
    | "too_long"
    | "reference_written"
    | "reference_failed";

/** Everything one command gives a person. */
export interface Answer {
    readonly kind: AnswerKind;
    /** True when the command failed (its line is an error line). */
    readonly error: boolean;
    /** True when the result is the formula's zero guard, not its arithmetic. */
    readonly guarded: boolean;
    /** The module's own line, exactly. */
    readonly line: string;
    /** The same line with the value in engineering notation. */
    readonly eng: string;
    /** Why a guarded result is what it is: "frequency is 0: …"; "" otherwise. */
    readonly note: string;
    /** What a reader of `line` needs told about it (its "?" for the ohm sign); "" for nothing. */
    readonly lineNote: string;
    /** What may help fix the command, one line each. */
    readonly hints: readonly string[];
}

export interface PromptWord {
    readonly word: "none" | "quit" | "help" | "help_name" | "comment";
    /** The formula asked about by "help NAME", lower-cased; "" otherwise. */
    readonly name: string;
}

/** An IEC 60063 series, either case. */
export type Series = "E3" | "E6" | "E12" | "E24" | "E48" | "E96" | "E192" | "e3" | "e6" | "e12" | "e24" | "e48" | "e96" | "e192";

/** What every answer to a question has; an error line has these only. */
export interface Reply {
    /** The question answered ("solve", "range", "pair", "statistics"), or "error" for an error line. */
    readonly kind?: "solve" | "range" | "pair" | "statistics" | "error";
    readonly error: boolean;
    readonly line: string;
    readonly eng: string;
    readonly hints: readonly string[];
    /** The formula's evaluations spent. */
    readonly evaluations?: number;
}

export interface StandardNeighbour {
    readonly value: number;
    readonly result: number;
    /** Relative to the target. */
    readonly deviation: number;
}

export interface Solved extends Reply {
    readonly argument?: string;
    readonly index?: number;
    readonly unit?: string;
    readonly target?: number;
    /** In increasing order. */
    readonly solutions?: readonly number[];
    readonly standard?: readonly StandardNeighbour[];
}

export interface Ranged extends Reply {
    readonly value?: number;
    readonly min?: number;
    readonly max?: number;
}

export interface Paired extends Reply {
    readonly arguments?: readonly string[];
    readonly indices?: readonly number[];
    readonly unit?: string;
    readonly values?: readonly number[];
    readonly result?: number;
    readonly target?: number;
    readonly deviation?: number;
}

/** How toleranced values spread: uniform within the tolerance, or Gaussian with the tolerance as 3σ, cut off there. */
export type Distribution = "uniform" | "normal";

export interface MonteCarloOptions {
    /** Samples to draw, a whole number from 1 to 100000000 (default 100000); 0 for none (the worst case and window only). */
    readonly samples?: number;
    readonly distribution?: Distribution;
    /** 0 to 2^64 - 1 (default 1); a bigint or a string of digits for seeds beyond 2^53. */
    readonly seed?: number | bigint | string;
}

export interface Contribution {
    /** The value's name: "r2". */
    readonly argument: string;
    readonly index: number;
    /** Its share of the variance, 0 to 1. */
    readonly share: number;
}

export interface SpecWindow {
    readonly low: number;
    readonly high: number;
    /** The whole worst-case range lies inside. */
    readonly inside: boolean;
    /** worst.min - low: at least 0 clears the low edge. */
    readonly lowMargin: number;
    /** high - worst.max. */
    readonly highMargin: number;
}

export interface Statistics extends Reply {
    readonly value?: number;
    readonly worst?: { readonly min: number; readonly max: number };
    readonly window?: SpecWindow | null;
    /** Largest first. */
    readonly contributions?: readonly Contribution[];
    readonly samples?: number;
    readonly seed?: number;
    readonly distribution?: Distribution;
    readonly mean?: number;
    /** Sample standard deviation. */
    readonly sd?: number;
    /** The smallest and largest result sampled. */
    readonly min?: number;
    readonly max?: number;
    /** At 0.135, 2.275, 50, 97.725 and 99.865 percent. */
    readonly percentiles?: readonly { readonly percent: number; readonly value: number }[];
    /** False beyond 1000000 samples, where they are read from a fine histogram. */
    readonly exactPercentiles?: boolean;
    /** The fraction of samples inside the window; null without one. */
    readonly yield?: number | null;
    readonly ppm?: number | null;
    readonly cpk?: number | null;
    readonly histogram?: { readonly edges: readonly number[]; readonly counts: readonly number[] };
}

export interface StandardValues {
    readonly below: number;
    readonly above: number;
    readonly nearest: number;
}

export interface Calculator {
    /** The module's line for one command, nothing added: "Power = 6.000000 W". */
    line(command: string): string;
    /** The command with SI prefixes and resistor codes, its value in engineering notation. */
    eng(command: string): string;
    /** Everything one command gives a person. */
    evaluate(command: string): Answer;
    /** What a line typed at a prompt asks for. */
    promptWord(line: string): PromptWord;
    /** The result of a command with the input notation as a number; NaN when there is none. */
    value(command: string): number;
    /** Why a text cannot stand as one value, or "" when it can. */
    valueProblem(value: string, keyword?: string, argument?: number): string;
    /** The command as the module receives it: "ohms_current 12 4k7" is "ohms_current 12 4700". */
    expand(command: string): string;
    /**
     * One value as a number, read exactly as in a command: number("4k7") is 4700; NaN when it is none.
     * With a formula's keyword and an argument's place (0 for the first), the value may carry that
     * argument's unit: number("10kΩ", "ohms_current", 1) is 10000.
     */
    number(value: string, keyword?: string, argument?: number): number;
    /** A number in engineering notation with a unit: format(1500, "Hz") is "1.5 kHz". */
    format(value: number, unit?: string): string;
    /** Solves for the value written ? so that the formula gives the result after =; with a series, each solution's standard neighbours. */
    solve(command: string, series?: Series): Solved;
    /** The series' values next to a positive value, or null for none. */
    standardValues(value: number, series: Series): StandardValues | null;
    /** The worst-case range of a command whose values carry tolerances (10k±1%). */
    range(command: string): Ranged;
    /** Two values of one kind written ?: the pair of standard values whose result is nearest the target. */
    pairs(command: string, series: Series): Paired;
    /**
     * Values with tolerances and a spec window (= 3.3±3%, = 3.2..3.4): the worst case, the window's verdict and
     * each value's share of the variance; with samples, a Monte Carlo run (the same numbers as zorvane-calc --json
     * for the same seed). Throws a RangeError for samples, a distribution or a seed it does not take.
     */
    monteCarlo(command: string, options?: MonteCarloOptions): Statistics;
    /** The usage summary with sample commands. */
    helpSummary(): string;
    /** The reference file's exact bytes (Windows-1252). */
    reference(): Uint8Array;
    /** "electronics_formulas.txt" */
    readonly referenceFileName: string;
    /** Every formula, in table order. */
    readonly formulas: readonly Formula[];
}

/** Loads the WebAssembly module (zorvane-calc.wasm, beside this file) and gives a calculator. */
export function createCalculator(): Promise<Calculator>;
