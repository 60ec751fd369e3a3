// The formula table as people read it: UTF-8 names, units and argument
// lists, the help texts, completion. Everything here reads the core's rows
// and help texts; nothing is listed twice.
#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "command.h"
#include "formula_table.h"
#include "help.h"
#include "rendering.h"
#include "text_conversion.h"
#include "zorvane_host/formulas.h"
#include "zorvane_host/hints.h"
#include "zorvane_host/utf.h"

namespace zorvane::host {
namespace {

// The name of a value as the reference writes it: "<resistance>".
std::string bracketed(std::string_view name) {
    std::string text(1, '<');
    text.append(name).push_back('>');
    return text;
}

// Built once, in place, so that the views into its strings stay valid.
class TableView {
   public:
    TableView() {
        const std::span<const Formula> table = formula_table();
        // Reserved up front: the views below point into these strings.
        words_.resize(table.size());
        units_.resize(table.size());
        labels_.resize(table.size());
        descriptions_.resize(table.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            const Formula& row = table[i];
            const std::span<const Argument> arguments = row.argument_list();
            for (std::size_t a = 0; a < arguments.size(); ++a) {
                words_[i][a] = bracketed(arguments[a].name);
                units_[i][a] = arguments[a].unit.utf8;
            }
            append_utf8_from_windows_1252(row.label.substr(0, row.label.size() - 3), labels_[i]);
            append_utf8_from_windows_1252(row.description, descriptions_[i]);
        }
        for (std::size_t i = 0; i < table.size(); ++i) {
            const Formula& row = table[i];
            const auto count = static_cast<std::size_t>(row.required_count);
            views_[i] = {};
            for (std::size_t a = 0; a < count; ++a) views_[i][a] = words_[i][a];
            infos_.push_back({row.keyword, row.category->name,
                              std::span<const std::string_view>(views_[i].data(), count),
                              labels_[i], row.result_unit.utf8,
                              std::span<const std::string_view>(units_[i].data(), count),
                              descriptions_[i]});
        }
    }
    std::span<const FormulaInfo> infos() const { return infos_; }

   private:
    using Names = std::array<std::string, MAX_VALUES>;
    using Views = std::array<std::string_view, MAX_VALUES>;
    std::vector<Names> words_{formula_table().size()};
    std::vector<Views> views_{formula_table().size()};
    std::vector<Views> units_;
    std::vector<std::string> labels_;
    std::vector<std::string> descriptions_;
    std::vector<FormulaInfo> infos_;
};

const TableView& table_view() {
    static const TableView view;
    return view;
}

}  // namespace

void append_utf8_from_windows_1252(std::string_view narrow, std::string& out) {
    // Through the module's widening, a chunk at a time.
    constexpr std::size_t CHUNK = 64;
    std::array<char, CHUNK + 1> chunk{};
    std::array<char16_t, CHUNK + 1> wide{};
    for (std::size_t at = 0; at < narrow.size(); at += CHUNK) {
        const std::size_t size = narrow.copy(chunk.data(), CHUNK, at);
        chunk[size] = '\0';
        wide_from_narrow(chunk.data(), wide);
        append_utf8_from_utf16(std::u16string_view(wide.data(), size), out);
    }
}

std::optional<std::string_view> argument_unit(std::string_view argument) noexcept {
    const auto named = [&](const Argument& known) {
        return argument.size() == known.name.size() + 2 && argument.front() == '<' &&
               argument.back() == '>' && argument.substr(1, known.name.size()) == known.name;
    };
    for (const Formula& row : formula_table()) {
        const std::span<const Argument> arguments = row.argument_list();
        const auto found = std::find_if(arguments.begin(), arguments.end(), named);
        if (found != arguments.end()) return found->unit.utf8;
    }
    return std::nullopt;
}

std::string ascii_lowercase(std::string_view text) {
    std::string lowered(text);
    lowercase_in_place(lowered);
    return lowered;
}

std::span<const FormulaInfo> formulas() noexcept { return table_view().infos(); }

const FormulaInfo* find(std::string_view keyword) noexcept {
    const Formula* row = find_keyword(keyword);
    if (row == nullptr) return nullptr;
    return &formulas()[static_cast<std::size_t>(row - formula_table().data())];
}

std::string usage(const FormulaInfo& formula) {
    const Formula* row = row_of(formula);
    if (row == nullptr) return {};
    ReferenceLine line;
    append_usage(*row, line);
    return std::string(line.text());
}

std::string reference_line(const FormulaInfo& formula) {
    const Formula* row = row_of(formula);
    if (row == nullptr) return {};
    const ReferenceLine line = zorvane::reference_line(*row);
    std::string text;
    // Without the leading spaces and the line feed.
    append_utf8_from_windows_1252(line.text().substr(2, line.size - 3), text);
    return text;
}

std::string help_summary() {
    std::string text;
    for (const std::string_view part : help_summary_texts())
        append_utf8_from_windows_1252(part, text);
    return text;
}

std::string reference_file_bytes() {
    std::string bytes;
    const auto to_string = [](void* context, std::string_view text) {
        static_cast<std::string*>(context)->append(text);
        return true;
    };
    write_formula_reference(to_string, &bytes);
    return bytes;
}

std::vector<std::string_view> complete(std::string_view prefix) {
    const std::string lowered = ascii_lowercase(prefix);
    std::vector<std::string_view> keywords;
    for (const FormulaInfo& info : formulas()) {
        if (info.keyword.starts_with(lowered)) keywords.push_back(info.keyword);
    }
    return keywords;
}

std::string argument_words(std::string_view argument) {
    if (argument.starts_with('<')) argument.remove_prefix(1);
    if (argument.ends_with('>')) argument.remove_suffix(1);
    std::string words(argument);
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
}

std::string description_prose(const FormulaInfo& formula) {
    // The module's character set has no pi, so its reference writes "2?f"
    // where 2πf is meant; the reference file keeps those bytes.
    const std::string_view description = formula.description;
    std::string out;
    for (std::size_t i = 0; i < description.size(); ++i) {
        const bool pi = description[i] == '?' && i > 0 && description[i - 1] == '2' &&
                        i + 1 < description.size() && description[i + 1] == 'f';
        out += pi ? std::string_view("\xCF\x80") : description.substr(i, 1);
    }
    return out;
}

}  // namespace zorvane::host
