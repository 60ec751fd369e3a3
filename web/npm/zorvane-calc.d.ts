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
    /** The description as the reference file gives it: "Calculate reactance (Xc = 1/(2*pi*f*C))". */
    readonly referenceDescription: string;
    /** The arguments as the usage names them: ["<voltage>", "<resistance>"]. */
    readonly arguments: readonly string[];
    /** The unit of each argument: ["V", "Ω"]; "" for a ratio. */
    readonly argumentUnits: readonly string[];
    /** Each argument's domain: "magnitude" (never negative) or "signed". */
    readonly argumentDomains: readonly ("magnitude" | "signed")[];
}

/** What every answer to one command has. */
interface AnswerParts {
    /** The module's own line, exactly (for a question: zorvane-calc's line). */
    readonly line: string;
    /** The same line with the value in engineering notation. */
    readonly eng: string;
    /** What a reader of `line` needs told about it (its "?" for the ohm sign); "" for nothing. */
    readonly lineNote: string;
    /** What may help fix the command, one line each. */
    readonly hints: readonly string[];
}

/** A result of the module's arithmetic, or of its zero guard. */
export interface ResultAnswer extends AnswerParts {
    readonly kind: "result";
    readonly error: false;
    /** True when the result is the formula's zero guard, not its arithmetic. */
    readonly guarded: boolean;
    /** Why a guarded result is what it is: "frequency is 0: …"; "" otherwise. */
    readonly note: string;
}

/** An error line: the command failed. */
export interface ErrorAnswer extends AnswerParts {
    readonly kind: "invalid_number" | "unknown_formula" | "too_long" | "reference_failed";
    readonly error: true;
    readonly guarded: false;
    readonly note: "";
}

/** An empty command, or "/help" that wrote the reference file. */
export interface OtherAnswer extends AnswerParts {
    readonly kind: "empty" | "reference_written";
    readonly error: false;
    readonly guarded: false;
    readonly note: "";
}

/** What the module answers itself: a command that asks no question. */
export type ModuleAnswer = ResultAnswer | ErrorAnswer | OtherAnswer;

/**
 * Everything one command gives a person, told apart by `kind`: the module's own answer, or a question's
 * (a value written ?, a target after =, a tolerance) of its own kind, as zorvane-calc --json writes it.
 */
export type Answer = ModuleAnswer | Solution | Range | Pair | StatisticsAnswer | Designed | ErrorReply;

export type AnswerKind = Answer["kind"];

/** How zorvane-calc's display options before a command were read, with the answer to the rest. */
export interface CommandDisplay {
    /** The command after the options, as typed. */
    readonly command: string;
    /** -e or --eng: values in engineering notation. */
    readonly engineering: boolean;
    /** --plain: values as plain numbers only (no 4.7k, 4k7, 12V). */
    readonly plain: boolean;
    /** The line zorvane-calc prints with these options: `eng` with -e, else `line`, with the ohm sign Ω where the module's line has "?" for it. */
    readonly shown: string;
}

export type CommandAnswer = Answer & CommandDisplay;

export interface PromptWord {
    readonly word: "none" | "quit" | "help" | "help_name" | "comment";
    /** The formula asked about by "help NAME", lower-cased; "" otherwise. */
    readonly name: string;
}

/** An IEC 60063 series, either case (the tests check it against calc.seriesNames). */
export type Series = "E3" | "E6" | "E12" | "E24" | "E48" | "E96" | "E192" | "e3" | "e6" | "e12" | "e24" | "e48" | "e96" | "e192";

/** What every answer to a question has. */
interface ReplyParts {
    /** zorvane-calc's line. */
    readonly line: string;
    /** The same with values in engineering notation (zorvane-calc -e). */
    readonly eng: string;
    readonly hints: readonly string[];
    /** The formula's evaluations spent. */
    readonly evaluations: number;
}

/** A question that has no answer: its error line, and hints. */
export interface ErrorReply extends ReplyParts {
    readonly kind: "error";
    readonly error: true;
}

export interface StandardNeighbour {
    readonly value: number;
    readonly result: number;
    /** Relative to the target. */
    readonly deviation: number;
}

/** The values that give the target. */
export interface Solution extends ReplyParts {
    readonly kind: "solve";
    readonly error: false;
    /** The argument written ?: "r2". */
    readonly argument: string;
    /** Its place, from 0. */
    readonly index: number;
    readonly unit: string;
    readonly target: number;
    /** In increasing order. */
    readonly solutions: readonly number[];
    /** With a series: each solution's standard neighbours. */
    readonly standard: readonly StandardNeighbour[];
    /** With --combine 2: the best series and parallel connection of two standard parts, series first. */
    readonly combinations?: readonly Combination[];
    /** With --combine 2: the parts' tolerance as a fraction. */
    readonly partTolerance?: number | null;
}

/** Two standard parts joined in series or in parallel for a solution (--combine 2). */
export interface Combination {
    readonly parallel: boolean;
    /** The part nearer the value, and the trimming part. */
    readonly first: number;
    readonly second: number;
    /** The value the two make. */
    readonly value: number;
    /** The result with it, and its worst case within the parts' tolerance. */
    readonly result: { readonly nominal: number; readonly min: number; readonly max: number };
}

/** The worst-case range of the result over the values' tolerances. */
export interface Range extends ReplyParts {
    readonly kind: "range";
    readonly error: false;
    /** The result at the nominal values. */
    readonly value: number;
    readonly min: number;
    readonly max: number;
}

/** The pair of standard values whose result is nearest the target. */
export interface Pair extends ReplyParts {
    readonly kind: "pair";
    readonly error: false;
    readonly arguments: readonly [string, string];
    readonly indices: readonly [number, number];
    readonly unit: string;
    readonly values: readonly [number, number];
    readonly result: number;
    readonly target: number;
    readonly deviation: number;
    /** The parts' tolerance (`--tolerance`) as a fraction, or null when none was given. */
    readonly partTolerance: number | null;
    /** The result's worst case with both parts within `partTolerance`; null without one. */
    readonly worst: { readonly min: number; readonly max: number } | null;
}

export type Solved = Solution | ErrorReply;
export type Ranged = Range | ErrorReply;
export type Paired = Pair | ErrorReply;

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

/** The worst case against a result window, the values that matter, and a Monte Carlo run's figures. */
export interface StatisticsAnswer extends ReplyParts {
    readonly kind: "statistics";
    readonly error: false;
    readonly value: number;
    readonly worst: { readonly min: number; readonly max: number };
    readonly window: SpecWindow | null;
    /** Largest first. */
    readonly contributions: readonly Contribution[];
    /** The rest after a Monte Carlo run only. */
    readonly samples?: number;
    /** The seed's digits: exact past 2^53, where a number would not be. */
    readonly seed?: string;
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
export type Statistics = StatisticsAnswer | ErrorReply;

/** One bin of a histogram as drawn: places are fractions of the drawing's width, 0 at the worst case's low end. */
export interface HistogramBar {
    readonly left: number;
    readonly right: number;
    readonly count: number;
    /** A fraction of the tallest bar: 0 for an empty bin, else at least 1/64, so that it shows. */
    readonly height: number;
    /** Where the bin lies against the result window: "none" without one. */
    readonly window: "none" | "outside" | "partly" | "inside";
}

/** A statistics answer's histogram as every host draws it: the bins, the worst case's ends and the window. */
export interface HistogramFigure {
    /** Every bin in order; none without samples. */
    readonly bars: readonly HistogramBar[];
    readonly worst: { readonly left: number; readonly right: number };
    /** The window's band held to the drawing, and its edges that fall within it. */
    readonly window: { readonly left: number; readonly right: number; readonly edges: readonly number[] } | null;
}

export interface StandardValues {
    readonly below: number;
    readonly above: number;
    readonly nearest: number;
}

/** A kind of standard part, as per-kind options name it. */
export type PartKind = "R" | "C" | "L";

/** An option for every kind of part alike, or per kind: "E96" or { R: "E96", C: "E12" }. */
export type PerKind<T extends string> = T | Partial<Record<PartKind, T>>;

/** The options of a design, as zorvane-calc takes them. */
export interface DesignOptions {
    /** The series of the parts searched. */
    readonly series?: PerKind<Series>;
    /** The parts' tolerance: "1%" (default: the series', E6 20% ... E192 0.5%, E3 40%). */
    readonly tolerance?: PerKind<string>;
    /** The values searched: "1k..100k" (default: 100 Ω–1 MΩ, 10 pF–100 µF, 1 µH–100 mH). */
    readonly within?: PerKind<string>;
    /** How many candidates to list, best first (default 5). */
    readonly top?: number;
}

/** A choice of standard values and its proof. */
export interface DesignCandidate {
    /** The standard values, in the order of the values written ?. */
    readonly values: readonly number[];
    readonly nominal: number;
    /** The worst case over every part's and every other value's tolerance. */
    readonly min: number;
    readonly max: number;
    /** min(min − low, high − max) / (high − low): at least 0 inside the window. */
    readonly margin: number;
    /** (nominal − centre) / |centre|. */
    readonly deviation: number;
    /** The same standard values in other decades that pass alike: [[24000, 9100], [240000, 91000]] for 2400/910. */
    readonly also: readonly (readonly number[])[];
    /** With options.mc: the fraction of samples inside the window. */
    readonly yield?: number | null;
}

/** A design's answer; a request that could not run has the Reply's fields only. */
export interface Designed extends ReplyParts {
    readonly kind: "design" | "error";
    /** An error line when no candidate passes: the best and the remedy stay. */
    readonly error: boolean;
    /** The heading, then one line per candidate. */
    readonly lines?: readonly string[];
    readonly engLines?: readonly string[];
    readonly arguments?: readonly string[];
    readonly indices?: readonly number[];
    readonly units?: readonly string[];
    readonly window?: { readonly low: number; readonly high: number; readonly centre: number };
    /** No value and no part carries a tolerance: nominal results only were checked. */
    readonly nominalOnly?: boolean;
    /** Per value written ?: its series and its parts' tolerance (relative). */
    readonly series?: readonly string[];
    readonly tolerances?: readonly number[];
    /** With options.mc: the samples each candidate's yield was counted from, the seed's digits, the distribution. */
    readonly samples?: number;
    readonly seed?: string;
    readonly distribution?: Distribution;
    /** The candidates the search space holds, and how many of them pass. */
    readonly tried?: number;
    readonly passing?: number;
    /** The passing candidates kept, best first (with options.mc, each with its yield). */
    readonly candidates?: readonly DesignCandidate[];
    /** The best candidate, passing or not. */
    readonly best?: DesignCandidate | null;
    /** When none passes: the window the best needs, and a tighter tolerance or finer series with which one passes. */
    readonly remedy?: {
        readonly window: { readonly low: number; readonly high: number };
        readonly tolerance: number | null;
        readonly series: string | null;
    } | null;
}

/** One value of a question as the grammar reads it. */
export interface QuestionValue {
    /** As typed, without its tolerance: "10k"; "" for an unknown. A word that only looks toleranced ("±1%") stays whole. */
    readonly number: string;
    /** Written ?. */
    readonly unknown: boolean;
    /** The number read with its prefix, code or unit; null for an unknown or a word that is no number. */
    readonly reading: number | null;
    /** The tolerance in percent as typed ("1" of "10k±1%"), or null. */
    readonly tolerance: string | null;
    readonly toleranceValue: number | null;
    /** Why a tolerance written on the value is none ("a tolerance in percent, such as 1 or 0.5"), or "". */
    readonly toleranceProblem: string;
}

/** What follows "=": the result wanted (3.3), or a window on it (3.3±3%, 3.2..3.4). */
export interface QuestionTarget {
    readonly form: "value" | "tolerance" | "limits";
    /** As the canonical command writes it after "= ": "3.3", "3.3±3%", "3.2..3.4". */
    readonly text: string;
    readonly number: string;
    readonly reading: number | null;
    readonly tolerance: string | null;
    readonly toleranceValue: number | null;
    readonly low: string | null;
    readonly high: string | null;
    readonly lowValue: number | null;
    readonly highValue: number | null;
}

/**
 * The options a question carries, each argument as the canonical command writes it:
 * series ("E24" or "R=E96,C=E12"), tolerance ("1%" or "R=1%,C=5%"), within ("1k..100k"),
 * mc ("100000"), seed, distribution ("uniform" | "normal"), top, combine ("2").
 */
export interface QuestionOptions {
    readonly series?: string;
    readonly tolerance?: string;
    readonly within?: string;
    readonly mc?: string;
    readonly seed?: string;
    readonly distribution?: "uniform" | "normal";
    readonly top?: string;
    readonly combine?: string;
}

/** A question read by the module's grammar. */
export interface Question {
    /** The error line of a question that does not read ("Error: Unknown option '--foo'"), or "". */
    readonly error: string;
    readonly hints: readonly string[];
    /** The name as typed. */
    readonly keyword: string;
    /** The keyword of the formula named, or null for none. */
    readonly formula: string | null;
    readonly values: readonly QuestionValue[];
    readonly target: QuestionTarget | null;
    readonly options: QuestionOptions;
    /** The series for every kind of part, or null. */
    readonly series: string | null;
}

/** A question's parts for compose(): texts only, in the shape parse() gives. */
export interface QuestionParts {
    readonly keyword: string;
    readonly values?: readonly (string | { readonly number?: string; readonly unknown?: boolean; readonly tolerance?: string | null })[];
    readonly target?: { readonly number?: string; readonly tolerance?: string | null; readonly low?: string | null; readonly high?: string | null } | null;
    /** An argument per option; null or true for --mc without its count, false to leave an option out. */
    readonly options?: { readonly [name: string]: string | number | boolean | null };
}

export interface Calculator {
    /** The module's line for one command, nothing added: "Power = 6.000000 W". */
    line(command: string): string;
    /** The command with SI prefixes and resistor codes, its value in engineering notation. */
    eng(command: string): string;
    /** Everything one command gives a person: zorvane-calc --json's object for it. */
    evaluate(command: string): Answer;
    /**
     * Any command with the tool's options beside it ({ series: "E24", mc: 1000, seed: "7" }), answered as
     * zorvane-calc --json answers it. Throws a RangeError for an option that does not read.
     */
    answer(command: string, options?: { readonly [name: string]: string | number | boolean | null }): Answer;
    /** A command line as zorvane-calc's words: leading -e (--eng) and --plain as the tool reads them, the rest answered with them. */
    command(line: string): CommandAnswer;
    /** What a line typed at a prompt asks for. */
    promptWord(line: string): PromptWord;
    /** The result of a command with the input notation as a number; NaN when there is none. */
    value(command: string): number;
    /** One value as typed into a field: { value, problem }; value is NaN and problem says why where the text is none. */
    read(value: string, keyword?: string, argument?: number): { readonly value: number; readonly problem: string };
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
     * A design: the standard parts whose worst case lies inside the window after "=", ranked by
     * margin. Throws a RangeError for an option that does not read.
     */
    design(command: string, options?: DesignOptions): Designed;
    /** A question read by the module's grammar, as zorvane-calc reads it. */
    parse(command: string): Question;
    /** The canonical command of a question's parts; parse(compose(q)) reads as q. Throws a RangeError for an option that does not read. */
    compose(question: QuestionParts | Question): string;
    /** Why a tolerance's text (between ± and %) is no percentage, or "". */
    toleranceProblem(percent: string): string;
    /**
     * Values with tolerances and a result window (= 3.3±3%, = 3.2..3.4): the worst case, the window's verdict and
     * each value's share of the variance; with samples, a Monte Carlo run (the same numbers as zorvane-calc --json
     * for the same seed). Throws a RangeError for samples, a distribution or a seed it does not take.
     */
    monteCarlo(command: string, options?: MonteCarloOptions): Statistics;
    /** A statistics answer's histogram as the tool and a notebook draw it. */
    histogramFigure(statistics: Pick<StatisticsAnswer, "histogram" | "window">): HistogramFigure;
    /** The usage summary with sample commands. */
    helpSummary(): string;
    /** The reference file's exact bytes (Windows-1252). */
    reference(): Uint8Array;
    /** "electronics_formulas.txt" */
    readonly referenceFileName: string;
    /** Every formula, in table order. */
    readonly formulas: readonly Formula[];
    /** The series the questions take, as the module names them: ["E3", "E6", ... "E192"]. */
    readonly seriesNames: readonly Uppercase<Series>[];
}

/** Loads the WebAssembly module (zorvane-calc.wasm, beside this file) and gives a calculator. */
export function createCalculator(): Promise<Calculator>;

// ---- Generated by tools/answer_types/generate.py from docs/answer.schema.json: do not edit ----
/** Each kind of answer's fields, as docs/answer.schema.json names them. */
export interface AnswerFields {
    readonly result: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly empty: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly invalid_number: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly unknown_formula: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly too_long: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly reference_written: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly reference_failed: "kind" | "error" | "line" | "eng" | "hints" | "guarded" | "note" | "lineNote";
    readonly error: "kind" | "error" | "line" | "eng" | "hints" | "evaluations";
    readonly solve: "kind" | "error" | "line" | "eng" | "hints" | "evaluations" | "argument" | "index" | "unit" | "target" | "solutions" | "standard" | "combinations" | "partTolerance";
    readonly range: "kind" | "error" | "line" | "eng" | "hints" | "evaluations" | "value" | "min" | "max";
    readonly pair: "kind" | "error" | "line" | "eng" | "hints" | "evaluations" | "arguments" | "indices" | "unit" | "values" | "result" | "target" | "deviation" | "partTolerance" | "worst";
    readonly statistics: "kind" | "error" | "line" | "eng" | "hints" | "evaluations" | "value" | "worst" | "window" | "contributions" | "samples" | "seed" | "distribution" | "mean" | "sd" | "min" | "max" | "percentiles" | "exactPercentiles" | "yield" | "ppm" | "cpk" | "histogram";
    readonly design: "kind" | "error" | "line" | "eng" | "hints" | "evaluations" | "lines" | "engLines" | "arguments" | "indices" | "units" | "window" | "nominalOnly" | "series" | "tolerances" | "tried" | "passing" | "samples" | "seed" | "distribution" | "candidates" | "best" | "remedy";
}

// tsc refuses these declarations when an answer's interface has a field more or less than the schema's.
type SameKeys<A, Names> = [Exclude<keyof A, Names>, Exclude<Names, keyof A>] extends [never, never] ? true : false;
type Agrees<T extends true> = T;
export type AnswerFieldsAgree = [
    Agrees<SameKeys<ResultAnswer, AnswerFields["result"]>>,
    Agrees<SameKeys<ErrorAnswer, AnswerFields["invalid_number"]>>,
    Agrees<SameKeys<OtherAnswer, AnswerFields["empty"]>>,
    Agrees<SameKeys<Solution, AnswerFields["solve"]>>,
    Agrees<SameKeys<Range, AnswerFields["range"]>>,
    Agrees<SameKeys<Pair, AnswerFields["pair"]>>,
    Agrees<SameKeys<StatisticsAnswer, AnswerFields["statistics"]>>,
    Agrees<SameKeys<Designed, AnswerFields["design"]>>,
    Agrees<SameKeys<ErrorReply, AnswerFields["error"]>>,
];
// ---- End of the generated section ----
