#include "output.h"

namespace zorvane_calc {

std::size_t shown_byte(unsigned char byte, char out[2]) noexcept {
    constexpr unsigned char DEL = 0x7F;
    constexpr unsigned char CARET_OFFSET = 0x40;  // ^A is 0x01 shown with 'A'
    if ((byte < 0x20 && byte != '\t') || byte == DEL) {
        out[0] = '^';
        out[1] = byte == DEL ? '?' : static_cast<char>(byte + CARET_OFFSET);
        return 2;
    }
    out[0] = static_cast<char>(byte);
    return 1;
}

bool Output::flush() noexcept {
    if (error_ != 0) return false;
    const platform::Transfer done =
        platform::write_all(stream_, std::string_view(buffer_.data(), used_));
    used_ = 0;
    error_ = done.error;
    return error_ == 0;
}

bool Output::put(char c) noexcept {
    if (used_ == buffer_.size() && !flush()) return false;
    buffer_[used_++] = c;
    return true;
}

bool Output::write(std::string_view text) noexcept {
    if (error_ != 0) return false;
    if (text.size() > buffer_.size() - used_) {
        if (!flush()) return false;
        if (text.size() > buffer_.size()) {
            error_ = platform::write_all(stream_, text).error;
            return error_ == 0;
        }
    }
    text.copy(buffer_.data() + used_, text.size());
    used_ += text.size();
    return true;
}

bool Output::write_line(std::string_view text) noexcept { return write(text) && put('\n'); }

bool Output::write_shown_line(std::string_view text) noexcept {
    if (!show_controls_) return write_line(text);
    for (const char c : text) {
        char shown[2];
        const std::size_t length = shown_byte(static_cast<unsigned char>(c), shown);
        for (std::size_t i = 0; i < length; ++i) {
            if (!put(shown[i])) return false;
        }
    }
    return put('\n');
}

}  // namespace zorvane_calc
