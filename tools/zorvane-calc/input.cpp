#include "input.h"

#include <utility>

#include "zorvane_host/host.h"

namespace zorvane_calc {

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
constexpr std::string_view UTF16LE_MARK = "\xFF\xFE";
constexpr std::string_view UTF16BE_MARK = "\xFE\xFF";
constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

EncodingMark detect_encoding(std::string_view start, bool at_end) noexcept {
    constexpr std::pair<std::string_view, Encoding> marks[] = {
        {UTF8_MARK, Encoding::utf8},
        {UTF16LE_MARK, Encoding::utf16le},
        {UTF16BE_MARK, Encoding::utf16be},
    };
    bool could_become_mark = false;
    for (const auto& [mark, encoding] : marks) {
        if (start.starts_with(mark)) return {encoding, mark.size()};
        could_become_mark = could_become_mark || mark.starts_with(start);
    }
    if (could_become_mark && !at_end) return {Encoding::undecided, 0};
    return {Encoding::utf8, 0};
}

LineReader::LineReader(platform::Stream stream, std::function<bool()> before_read)
    : stream_(stream), before_read_(std::move(before_read)) {
    line_.reserve(line_capacity() + 1);
    units_.reserve(raw_.size() / 2 + 1);
    decoded_.reserve((raw_.size() / 2 + 1) * 3 + REPLACEMENT.size());
}

LineReader::Status LineReader::next() {
    line_.clear();
    dropped_ = false;
    has_text_ = false;
    for (;;) {
        const std::string_view rest = data_.substr(position_);
        const std::size_t end = rest.find('\n');
        take(rest.substr(0, end));
        if (end != std::string_view::npos) {
            position_ += end + 1;
            return finish_line();
        }
        position_ = data_.size();
        if (at_end_) return has_text_ ? finish_line() : Status::end;
        const Status filled = refill();
        if (filled != Status::line) return filled;
    }
}

// Keeps one byte more than a line may hold, so that a line exactly at the
// limit can still end in CR LF.
void LineReader::take(std::string_view piece) {
    has_text_ = has_text_ || !piece.empty();
    const std::size_t room = line_capacity() + 1 - line_.size();
    if (piece.size() > room) {
        piece = piece.substr(0, room);
        dropped_ = true;
    }
    line_.append(piece);
}

LineReader::Status LineReader::finish_line() {
    if (!dropped_ && line_.ends_with('\r')) line_.pop_back();
    overlong_ = dropped_ || line_.size() > line_capacity();
    return Status::line;
}

LineReader::Status LineReader::refill() {
    if (!before_read_()) return Status::stopped;
    for (;;) {
        const platform::Transfer got =
            platform::read_some(stream_, std::span(raw_).subspan(carry_));
        if (got.error != 0) {
            error_ = got.error;
            return Status::read_failed;
        }
        at_end_ = got.count == 0;
        const std::size_t available = carry_ + got.count;
        std::size_t from = 0;
        if (encoding_ == Encoding::undecided) {
            const EncodingMark mark = detect_encoding({raw_.data(), available}, at_end_);
            if (mark.encoding == Encoding::undecided) {
                carry_ = available;  // a mark's first bytes: wait for the rest
                continue;
            }
            encoding_ = mark.encoding;
            from = mark.length;
        }
        decode(from, available);
        position_ = 0;
        return Status::line;
    }
}

void LineReader::decode(std::size_t from, std::size_t to) {
    carry_ = 0;
    if (encoding_ == Encoding::utf8) {
        data_ = std::string_view(raw_.data() + from, to - from);
    } else {
        decode_utf16(from, to);
        data_ = decoded_;
    }
}

// A read may end inside a code unit or between the two halves of a pair;
// those bytes wait for the next read.
void LineReader::decode_utf16(std::size_t from, std::size_t to) {
    const bool little_endian = encoding_ == Encoding::utf16le;
    units_.clear();
    if (held_surrogate_ != 0) units_.push_back(std::exchange(held_surrogate_, 0));
    for (std::size_t i = from; i + 1 < to; i += 2) {
        const auto first = static_cast<unsigned char>(raw_[i]);
        const auto second = static_cast<unsigned char>(raw_[i + 1]);
        units_.push_back(little_endian ? static_cast<char16_t>(first | second << 8)
                                       : static_cast<char16_t>(first << 8 | second));
    }
    const bool odd_byte = (to - from) % 2 != 0;
    if (!at_end_ && !units_.empty() && is_high_surrogate(units_.back())) {
        held_surrogate_ = units_.back();
        units_.pop_back();
    }
    decoded_.clear();
    zorvane::host::append_utf8_from_utf16(units_, decoded_);
    if (odd_byte && at_end_) decoded_.append(REPLACEMENT);
    if (odd_byte && !at_end_) {
        raw_[0] = raw_[to - 1];
        carry_ = 1;
    }
}

}  // namespace zorvane_calc
