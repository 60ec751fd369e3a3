// The JSON values every answer is built from, for answers_json.cpp and
// design_json.cpp alike: keys in the order written, non-finite numbers as
// null, lists of numbers and of texts.
#pragma once

#include <algorithm>
#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

namespace zorvane::host::json_values {

using Json = nlohmann::ordered_json;

inline Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

template <typename Range>
Json numbers(const Range& values) {
    Json out = Json::array();
    std::transform(std::begin(values), std::end(values), std::back_inserter(out), number);
    return out;
}

template <typename Range>
Json strings(const Range& items) {
    Json out = Json::array();
    std::transform(std::begin(items), std::end(items), std::back_inserter(out),
                   [](const auto& item) { return Json(std::string(item)); });
    return out;
}

}  // namespace zorvane::host::json_values
