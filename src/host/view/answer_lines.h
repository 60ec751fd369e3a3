// An answer's lines written side by side, so that the plain line and the
// engineering line (and the readable line, where an answer keeps one) cannot
// drift apart: each piece is appended to every line at once, a value in the
// form each line writes it.
#pragma once

#include <string>
#include <string_view>

#include "formula_table.h"
#include "number_text.h"

namespace zorvane::host {

class AnswerLines {
   public:
    // The lines appended to; `readable` may be null for an answer without one.
    AnswerLines(std::string& plain, std::string& engineering, std::string* readable = nullptr)
        : plain_(plain), engineering_(engineering), readable_(readable) {}

    // The same text on every line.
    AnswerLines& text(std::string_view both) { return text(both, both); }

    // Text that differs: `plain` on the plain line, `engineering` on the
    // engineering and the readable line.
    AnswerLines& text(std::string_view plain, std::string_view eng) {
        plain_.append(plain);
        engineering_.append(eng);
        if (readable_ != nullptr) readable_->append(eng);
        return *this;
    }

    // Text each line writes its own way.
    AnswerLines& text(std::string_view plain, std::string_view eng, std::string_view readable) {
        plain_.append(plain);
        engineering_.append(eng);
        if (readable_ != nullptr) readable_->append(readable);
        return *this;
    }

    // A value a command may take back: "3793.103448275862 Ω", "3.7931 kΩ",
    // and on the readable line "3.7931 kΩ (3793.103448275862 Ω)".
    AnswerLines& value(double v, std::string_view unit) {
        plain_.append(with_unit(round_trip(v), unit));
        engineering_.append(engineering(v, unit));
        if (readable_ != nullptr) readable_->append(readable(v, unit));
        return *this;
    }

    // A result as the module prints it: "3.176471 V", "3.17647 V".
    AnswerLines& result(const Formula& row, double v, std::string_view unit) {
        return text(with_unit(module_number(row, v), unit), engineering(v, unit));
    }

    // Results from `low` to `high`: "3.2 .. 3.4 V", "3.2 V .. 3.4 V".
    AnswerLines& span(const Formula& row, double low, double high, std::string_view unit) {
        text(module_number(row, low) + " .. ", engineering(low, unit) + " .. ");
        return result(row, high, unit);
    }

    // The same with the engineering unit written once where both ends share
    // it: "3.81081 .. 3.86301 V", "999.5 mV .. 1.0005 V".
    AnswerLines& shared_unit_span(const Formula& row, double low, double high,
                                  std::string_view unit) {
        return text(module_number(row, low) + " .. " + with_unit(module_number(row, high), unit),
                    engineering_span(low, high, unit, " .. "));
    }

    // "3.81081 .. 3.86301 V", or "999.5 mV .. 1.0005 V" where the prefixes
    // differ: two values in engineering notation, the shared unit once.
    static std::string engineering_span(double low, double high, std::string_view unit,
                                        std::string_view separator) {
        std::string first = engineering(low, unit);
        const std::string second = engineering(high, unit);
        const std::size_t space = second.rfind(' ');
        if (!unit.empty() && space != std::string::npos && first.ends_with(second.substr(space))) {
            first.erase(first.size() - (second.size() - space));
        }
        return first.append(separator).append(second);
    }

   private:
    std::string& plain_;
    std::string& engineering_;
    std::string* readable_;
};

}  // namespace zorvane::host
