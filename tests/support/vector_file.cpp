#include "vector_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "zorvane_host/utf.h"

namespace zorvane_test {

std::u16string decode_field(std::string_view field) {
    std::u16string out;
    std::size_t plain_start = 0;
    auto flush = [&](std::size_t end) {
        zorvane::host::append_utf16_from_utf8(field.substr(plain_start, end - plain_start), out);
    };
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') continue;
        flush(i);
        if (i + 1 >= field.size()) throw std::runtime_error("dangling backslash");
        const char kind = field[i + 1];
        if (kind == 't') {
            out += u'\t';
            i += 1;
        } else if (kind == '\\') {
            out += u'\\';
            i += 1;
        } else if (kind == 'u' && i + 5 < field.size()) {
            out +=
                static_cast<char16_t>(std::stoul(std::string(field.substr(i + 2, 4)), nullptr, 16));
            i += 5;
        } else {
            throw std::runtime_error("unknown escape");
        }
        plain_start = i + 1;
    }
    flush(field.size());
    return out;
}

std::vector<Vector> load_vectors(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<Vector> vectors;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        const bool platform_dependent = line[0] == '~';
        if (platform_dependent) line.erase(0, 1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
            throw std::runtime_error(path + ":" + std::to_string(number) +
                                     ": needs exactly one tab");
        }
        vectors.push_back({path + ":" + std::to_string(number),
                           decode_field(std::string_view(line).substr(0, tab)),
                           decode_field(std::string_view(line).substr(tab + 1)),
                           platform_dependent});
    }
    return vectors;
}

std::string printable(std::u16string_view text) {
    std::string out;
    for (const char16_t unit : text) {
        if (unit < 0x20 || (unit >= 0xD800 && unit <= 0xDFFF) || unit == u'\\') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            out += escape;
        } else {
            zorvane::host::append_utf8_from_utf16(std::u16string_view(&unit, 1), out);
        }
    }
    return out;
}

std::vector<RangeVector> load_range_vectors(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<RangeVector> vectors;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) throw std::runtime_error(path + ": no tab in " + line);
        char* end = nullptr;
        const double low = std::strtod(&line[tab + 1], &end);
        const double high = std::strtod(end + 1, nullptr);
        vectors.push_back({line.substr(0, tab), low, high});
    }
    return vectors;
}

}  // namespace zorvane_test
