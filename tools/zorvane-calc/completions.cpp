// Writes zorvane-calc's completion scripts for bash, zsh and fish from the
// formula table and the option table, at build time:
//
//   zorvane-calc-completions bash|zsh|fish FILE
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options.h"
#include "zorvane_host/host.h"

namespace {

namespace host = zorvane::host;
using zorvane_calc::OPTION_TABLE;
using zorvane_calc::OptionSpec;
using zorvane_calc::Takes;

// "<voltage> <resistance>"
std::string argument_names(const host::FormulaInfo& formula) {
    std::string names;
    for (const std::string_view name : formula.arguments) {
        if (!names.empty()) names += ' ';
        names += name;
    }
    return names;
}

// A word in single quotes for any of the three shells.
std::string quoted(std::string_view text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string joined(std::span<const std::string_view> words, std::string_view separator) {
    std::string text;
    for (const std::string_view word : words) {
        text.append(text.empty() ? "" : separator).append(word);
    }
    return text;
}

std::string keywords() {
    std::string words;
    for (const host::FormulaInfo& formula : host::formulas()) {
        words.append(words.empty() ? "" : " ").append(formula.keyword);
    }
    return words;
}

// The option's names: "-e", "--eng".
std::vector<std::string_view> names(const OptionSpec& option) {
    if (option.short_name.empty()) return {option.long_name};
    return {option.short_name, option.long_name};
}

// The names of every option, or of those that take what `takes` says.
std::vector<std::string_view> option_names(std::optional<Takes> takes = std::nullopt) {
    std::vector<std::string_view> words;
    for (const OptionSpec& option : OPTION_TABLE) {
        if (takes && option.argument.takes != *takes) continue;
        std::ranges::copy(names(option), std::back_inserter(words));
    }
    return words;
}

// A bash test of whether `word` reads as a number (a value, never an
// option), as the tool's reads_as_number decides.
std::string bash_reads_as_number(std::string_view word) {
    return "[[ " + std::string(word) + " =~ ^[-+]?\\.?[0-9] ]]";
}

// The first line of the option's help.
std::string_view description(const OptionSpec& option) {
    return option.help.substr(0, option.help.find('\n'));
}

// What completes each option's argument, by the word before the cursor.
std::string bash_arguments() {
    std::string cases;
    for (const OptionSpec& option : OPTION_TABLE) {
        std::string reply;
        switch (option.argument.takes) {
            case Takes::nothing:
            case Takes::optional_number:
                continue;
            case Takes::final_directory:
                reply = "$(compgen -d -- \"$cur\")";
                break;
            case Takes::value:
                reply = std::string("$(compgen -W ")
                            .append(quoted(joined(option.argument.choices, " ")))
                            .append(" -- \"$cur\")");
                break;
        }
        cases += "        " + joined(names(option), "|") + ")\n            COMPREPLY=(" + reply +
                 ")\n            return 0 ;;\n";
    }
    return cases.empty() ? "" : "    case ${COMP_WORDS[COMP_CWORD-1]} in\n" + cases + "    esac\n";
}

// bash shows no descriptions: options (anywhere before "--"), then formula
// names, then nothing for the values.
std::string bash_script() {
    const std::vector<std::string_view> takes_value = option_names(Takes::value);
    const std::vector<std::string_view> takes_number = option_names(Takes::optional_number);
    const std::string skip_value =
        takes_value.empty() ? "" : "            " + joined(takes_value, "|") + ") ((i++)) ;;\n";
    const std::string skip_number =
        takes_number.empty() ? ""
                             : "            " + joined(takes_number, "|") + ") ! " +
                                   bash_reads_as_number("${COMP_WORDS[i+1]}") + " || ((i++)) ;;\n";
    return "# bash completion for zorvane-calc, generated from its formula table\n"
           "_zorvane_calc() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} i options_done=0 formula_typed=0\n" +
           bash_arguments() +
           "    # Options and their arguments stand anywhere before \"--\"; once the\n"
           "    # formula is typed, the values follow: nothing to complete.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        if ((options_done)); then\n"
           "            formula_typed=1\n"
           "            continue\n"
           "        fi\n"
           "        case ${COMP_WORDS[i]} in\n"
           "            --) options_done=1 ;;\n" +
           skip_value + skip_number +
           "            -[!0-9.]*) ;;\n"
           "            *) formula_typed=1 ;;\n"
           "        esac\n"
           "    done\n"
           "    if [[ $cur == -* ]] && ! " +
           bash_reads_as_number("$cur") +
           " && ((!options_done)); then\n"
           "        COMPREPLY=($(compgen -W " +
           quoted(joined(option_names(), " ")) +
           " -- \"$cur\"))\n"
           "    elif ((formula_typed)); then\n"
           "        COMPREPLY=()\n"
           "    else\n"
           "        COMPREPLY=($(compgen -W " +
           quoted(keywords()) +
           " -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -F _zorvane_calc zorvane-calc\n";
}

// _arguments' words for the option's argument: "::directory:_files -/".
std::string zsh_argument(const OptionSpec& option) {
    switch (option.argument.takes) {
        case Takes::nothing:
            break;
        case Takes::optional_number:
            return "::samples: ";
        case Takes::final_directory:
            return "::directory:_files -/";
        case Takes::value:
            return std::string(1, ':')
                .append(option.argument.name)
                .append(":(")
                .append(joined(option.argument.choices, " "))
                .append(")");
    }
    return "";
}

std::string zsh_options() {
    std::string lines;
    for (const OptionSpec& option : OPTION_TABLE) {
        // An option that ends the options excludes everything after it.
        const std::string exclusions =
            option.action == zorvane_calc::Action::evaluate ? "" : "(- *)";
        for (const std::string_view name : names(option)) {
            // _arguments reads a bare '=' as the start of the option's argument.
            std::string word(name);
            if (const std::size_t equals = word.find('='); equals != std::string::npos) {
                word.insert(equals, 1, '\\');
            }
            word.append(1, '[').append(description(option)).append(1, ']');
            word += zsh_argument(option);
            lines.append(8, ' ').append(quoted(exclusions + word)).append(" \\\n");
        }
    }
    return lines;
}

// zsh describes each formula by its arguments, and names the argument each
// value stands for.
std::string zsh_script() {
    std::string formulas;
    std::string arguments;
    for (const host::FormulaInfo& formula : host::formulas()) {
        formulas += "        " +
                    quoted(std::string(formula.keyword) + ":" + argument_names(formula)) + "\n";
        arguments += "        " + std::string(formula.keyword) + " " +
                     quoted(argument_names(formula)) + "\n";
    }
    return "#compdef zorvane-calc\n"
           "# zsh completion for zorvane-calc, generated from its formula table\n"
           "_zorvane-calc() {\n"
           "    local -a formulas values\n"
           "    local -A arguments\n"
           "    local context state state_descr line\n"
           "    typeset -A opt_args\n"
           "    formulas=(\n" +
           formulas +
           "    )\n"
           "    arguments=(\n" +
           arguments +
           "    )\n"
           "    _arguments -s \\\n" +
           zsh_options() +
           "        '1:formula:->formula' \\\n"
           "        '*:value:->value'\n"
           "    case $state in\n"
           "        formula) _describe -t formulas formula formulas ;;\n"
           "        value)\n"
           "            values=(${=arguments[${line[1]}]})\n"
           "            _message -r \"${values[$(( ${#line} - 1 ))]:-no more values}\" ;;\n"
           "    esac\n"
           "}\n"
           "_zorvane-calc \"$@\"\n";
}

// fish shows each formula's arguments beside its name.
std::string fish_script() {
    const std::vector<std::string_view> takes_value = option_names(Takes::value);
    std::string script =
        "# fish completion for zorvane-calc, generated from its formula table\n"
        "function __zorvane_calc_needs_formula\n"
        "    set -l after_value 0\n"
        "    for word in (commandline -opc)[2..-1]\n"
        "        if test $after_value = 1\n"
        "            set after_value 0\n"
        "        else if string match -qr -- '^[-+]?\\.?[0-9]' $word\n"
        "            continue  # a number: --mc's N\n"
        "        else if not string match -q -- '-*' $word\n"
        "            return 1\n"
        "        else if contains -- $word" +
        (takes_value.empty() ? "" : " " + joined(takes_value, " ")) +
        "\n"
        "            set after_value 1\n"
        "        end\n"
        "    end\n"
        "end\n"
        "# Options stand anywhere before \"--\".\n"
        "function __zorvane_calc_options_open\n"
        "    not contains -- -- (commandline -opc)[2..-1]\n"
        "end\n"
        "complete -c zorvane-calc -f\n";
    for (const OptionSpec& option : OPTION_TABLE) {
        script += "complete -c zorvane-calc -n __zorvane_calc_options_open";
        if (!option.short_name.empty()) script += " -s " + std::string(option.short_name.substr(1));
        script += " -l " + std::string(option.long_name.substr(2));
        switch (option.argument.takes) {
            case Takes::nothing:
            case Takes::optional_number:
                break;
            case Takes::final_directory:
                script += " -x -a '(__fish_complete_directories)'";
                break;
            case Takes::value:
                script += " -x -a " + quoted(joined(option.argument.choices, " "));
                break;
        }
        script += " -d " + quoted(description(option)) + "\n";
    }
    for (const host::FormulaInfo& formula : host::formulas()) {
        script += "complete -c zorvane-calc -n __zorvane_calc_needs_formula -a " +
                  std::string(formula.keyword) + " -d " + quoted(argument_names(formula)) + "\n";
    }
    return script;
}

bool write_file(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: zorvane-calc-completions bash|zsh|fish FILE\n", stderr);
        return 2;
    }
    const std::string_view shell = argv[1];
    const std::string script = shell == "bash"   ? bash_script()
                               : shell == "zsh"  ? zsh_script()
                               : shell == "fish" ? fish_script()
                                                 : std::string();
    if (script.empty() || !write_file(argv[2], script)) {
        std::fprintf(stderr, "zorvane-calc-completions: cannot write %s for %s\n", argv[2],
                     argv[1]);
        return 1;
    }
    return 0;
}
