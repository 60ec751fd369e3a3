// Writes zorvane-calc's completion scripts for bash, zsh and fish from the
// formula table and the option list, at build time:
//
//   zorvane-calc-completions bash|zsh|fish FILE
#include <cstdio>
#include <string>
#include <string_view>

#include "host.h"
#include "options.h"

namespace {

namespace host = zorvane::host;
using zorvane_calc::OPTION_LIST;
using zorvane_calc::OptionInfo;

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

std::string keywords() {
    std::string words;
    for (const host::FormulaInfo& formula : host::formulas()) {
        words.append(words.empty() ? "" : " ").append(formula.keyword);
    }
    return words;
}

std::string option_names() {
    std::string words;
    for (const OptionInfo& option : OPTION_LIST) {
        if (!option.short_name.empty()) words.append(option.short_name).append(" ");
        words.append(option.long_name).append(" ");
    }
    words.pop_back();
    return words;
}

// bash shows no descriptions: options, then formula names, then nothing for
// the values.
std::string bash_script() {
    return "# bash completion for zorvane-calc, generated from its formula table\n"
           "_zorvane_calc() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} i options_done=0\n"
           "    if [[ ${COMP_WORDS[COMP_CWORD-1]} == --reference ]]; then\n"
           "        COMPREPLY=($(compgen -d -- \"$cur\"))\n"
           "        return 0\n"
           "    fi\n"
           "    # Once the formula is typed, the values follow: nothing to complete.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        if ((options_done)) || [[ ${COMP_WORDS[i]} != -* ]]; then\n"
           "            COMPREPLY=()\n"
           "            return 0\n"
           "        fi\n"
           "        [[ ${COMP_WORDS[i]} == -- ]] && options_done=1\n"
           "    done\n"
           "    if [[ $cur == -* ]] && ((!options_done)); then\n"
           "        COMPREPLY=($(compgen -W " +
           quoted(option_names()) +
           " -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -W " +
           quoted(keywords()) +
           " -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -F _zorvane_calc zorvane-calc\n";
}

std::string zsh_options() {
    std::string lines;
    for (const OptionInfo& option : OPTION_LIST) {
        // _arguments reads a bare '=' as the start of the option's argument.
        std::string name(option.long_name);
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            name.insert(equals, "\\");
        }
        const std::string described = name + "[" + std::string(option.description) + "]";
        const bool ends = option.long_name != "--eng" && option.long_name != "--plain";
        const std::string exclusions = ends ? "(- *)" : "";
        const std::string directory =
            option.long_name == "--reference" ? "::directory:_files -/" : "";
        lines += "        " + quoted(exclusions + described + directory) + " \\\n";
        if (!option.short_name.empty()) {
            lines += "        " +
                     quoted(exclusions + std::string(option.short_name) + "[" +
                            std::string(option.description) + "]") +
                     " \\\n";
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
    std::string script =
        "# fish completion for zorvane-calc, generated from its formula table\n"
        "function __zorvane_calc_needs_formula\n"
        "    for word in (commandline -opc)[2..-1]\n"
        "        string match -q -- '-*' $word; or return 1\n"
        "    end\n"
        "end\n"
        "complete -c zorvane-calc -f\n";
    for (const OptionInfo& option : OPTION_LIST) {
        script += "complete -c zorvane-calc -n __zorvane_calc_needs_formula";
        if (!option.short_name.empty()) script += " -s " + std::string(option.short_name.substr(1));
        script += " -l " + std::string(option.long_name.substr(2));
        if (option.long_name == "--reference") script += " -x -a '(__fish_complete_directories)'";
        script += " -d " + quoted(option.description) + "\n";
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
