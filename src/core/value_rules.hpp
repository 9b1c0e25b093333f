#pragma once

// The rules caller data obeys: names are identifiers, text is UTF-8, sample values lie in
// [-1, 1].

#include <cmath>
#include <cstddef>
#include <string_view>

namespace kinetrope {

// Most bytes an identifier holds.
inline constexpr std::size_t MAX_IDENTIFIER_BYTES = 128;

// 1..128 bytes, first a-z, then a-z, 0-9 or '_'; bytes are tested as they stand.
constexpr bool is_identifier(std::string_view text) noexcept {
    if (text.empty() || text.size() > MAX_IDENTIFIER_BYTES) {
        return false;
    }
    if (text[0] < 'a' || text[0] > 'z') {
        return false;
    }
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Well-formed UTF-8, as a strict decoder takes it: no stray or missing continuation byte, no
// overlong form, no surrogate, nothing above U+10FFFF.
constexpr bool is_utf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The length the lead byte announces, and the range its second byte must fall in.
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : low;    // below U+0800: overlong
            high = lead == 0xed ? 0x9f : high;  // U+D800 to U+DFFF: surrogates
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            low = lead == 0xf0 ? 0x90 : low;    // below U+10000: overlong
            high = lead == 0xf4 ? 0x8f : high;  // above U+10FFFF
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xbf)) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Finite and within [-1, 1]; NaN fails both comparisons.
inline bool is_sample_value(double value) noexcept {
    return std::isfinite(value) && value >= -1.0 && value <= 1.0;
}

}  // namespace kinetrope
