#include "support/statistics_vectors.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zorvane_test {

namespace host = zorvane::host;

namespace {

[[noreturn]] void malformed(const std::string& where, const std::string& why) {
    throw std::runtime_error(where + ": " + why);
}

}  // namespace

std::vector<StatisticsVector> load_statistics_vectors(const std::string& path) {
    std::ifstream file(path);
    if (!file) malformed(path, "cannot be read");
    std::vector<StatisticsVector> vectors;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const std::string where = path + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) malformed(where, "no tab");
        StatisticsVector vector;
        vector.arguments = line.substr(0, tab);
        vector.expected = line.substr(tab + 1);
        std::istringstream words(vector.arguments);
        std::string word;
        std::string value;
        while (words >> word) {
            if (word == "--mc" || word == "--seed" || word == "--distribution") {
                if (!(words >> value)) malformed(where, word + " without its value");
            }
            if (word == "--mc" || word == "--seed" || word == "--distribution") {
                const std::string error = host::set_question_option(word, value, vector.options);
                if (!error.empty()) malformed(where, error);
            } else {
                vector.command += (vector.command.empty() ? "" : " ") + word;
            }
        }
        vectors.push_back(std::move(vector));
    }
    return vectors;
}

}  // namespace zorvane_test
