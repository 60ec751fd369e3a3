// A row of the formula table whose evaluators count their calls, from
// outside the searches that count their own: an answer's `evaluations` is
// checked against what was actually asked of the row. A point evaluated is
// one call, a block of `count` points is `count`; each point's values are
// kept, in order, for a test that asks where the row was evaluated.
//
// The evaluators are plain functions (the table's kind), so the count is
// shared: one CountingRow at a time, on one thread.
#pragma once

#include <cstddef>
#include <vector>

#include "formula_table.h"

namespace zorvane_test {

class CountingRow {
   public:
    explicit CountingRow(const zorvane::Formula& row) : row_(row) {
        state() = State{&row, 0, {}};
        row_.evaluate = &evaluate;
        row_.evaluate_columns = &evaluate_columns;
    }
    CountingRow(const CountingRow&) = delete;
    CountingRow& operator=(const CountingRow&) = delete;
    ~CountingRow() { state() = State{}; }

    const zorvane::Formula& row() const { return row_; }
    long calls() const { return state().calls; }
    const std::vector<zorvane::Values>& points() const { return state().points; }
    void reset() {
        state().calls = 0;
        state().points.clear();
    }

   private:
    struct State {
        const zorvane::Formula* original = nullptr;
        long calls = 0;
        std::vector<zorvane::Values> points;  // of single evaluations
    };
    static State& state() {
        static State shared;
        return shared;
    }
    static zorvane::Evaluation evaluate(const zorvane::Values& values) {
        ++state().calls;
        state().points.push_back(values);
        return state().original->evaluate(values);
    }
    static void evaluate_columns(const zorvane::Columns& columns, std::size_t count,
                                 double* values) {
        state().calls += static_cast<long>(count);
        state().original->evaluate_columns(columns, count, values);
    }

    zorvane::Formula row_;
};

}  // namespace zorvane_test
