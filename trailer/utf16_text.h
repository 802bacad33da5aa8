// Text between the UTF-16 of the Windows wide API and the 8-bit strings
// that the rest of the tool works with. The 8-bit form is UTF-8, extended
// (as WTF-8 is) to carry an unpaired surrogate as a three-byte sequence of
// its own: any sequence of UTF-16 units, a well-formed name or not, converts
// and converts back exactly, so the file opened is always the file named.
// Pure computation, used by the Windows files at the edge of the program.
#pragma once

#include <cstddef>

namespace utf16_text_detail {
constexpr unsigned long HIGH_SURROGATE = 0xD800;
constexpr unsigned long LOW_SURROGATE = 0xDC00;
constexpr unsigned long AFTER_SURROGATES = 0xE000;
constexpr unsigned long FIRST_SUPPLEMENTARY = 0x10000;
constexpr unsigned long LAST_CODE_POINT = 0x10FFFF;

inline bool is_high_surrogate(unsigned long unit)
{
    return unit >= HIGH_SURROGATE && unit < LOW_SURROGATE;
}
inline bool is_low_surrogate(unsigned long unit)
{
    return unit >= LOW_SURROGATE && unit < AFTER_SURROGATES;
}
inline bool is_continuation(unsigned char byte)
{
    return (byte & 0xC0U) == 0x80U;
}
}  // namespace utf16_text_detail

// Converts the NUL-terminated `wide` into `out`, which has room for `room`
// bytes, NUL included; `length` receives the bytes written before the NUL.
// False when it does not fit.
template <typename Unit>
bool utf16_to_8bit(const Unit* wide, char* out, std::size_t room, std::size_t& length)
{
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    using namespace utf16_text_detail;
    std::size_t at = 0;
    for (std::size_t i = 0; wide[i] != 0; ++i) {
        unsigned long point = static_cast<unsigned long>(wide[i]) & 0xFFFFU;
        const unsigned long next = static_cast<unsigned long>(wide[i + 1]) & 0xFFFFU;
        if (is_high_surrogate(point) && is_low_surrogate(next)) {
            point =
                FIRST_SUPPLEMENTARY + ((point - HIGH_SURROGATE) << 10U) + (next - LOW_SURROGATE);
            ++i;
        }
        unsigned char bytes[4];
        std::size_t count = 0;
        if (point < 0x80U) {
            bytes[count++] = static_cast<unsigned char>(point);
        } else if (point < 0x800U) {
            bytes[count++] = static_cast<unsigned char>(0xC0U | (point >> 6U));
            bytes[count++] = static_cast<unsigned char>(0x80U | (point & 0x3FU));
        } else if (point < FIRST_SUPPLEMENTARY) {
            bytes[count++] = static_cast<unsigned char>(0xE0U | (point >> 12U));
            bytes[count++] = static_cast<unsigned char>(0x80U | ((point >> 6U) & 0x3FU));
            bytes[count++] = static_cast<unsigned char>(0x80U | (point & 0x3FU));
        } else {
            bytes[count++] = static_cast<unsigned char>(0xF0U | (point >> 18U));
            bytes[count++] = static_cast<unsigned char>(0x80U | ((point >> 12U) & 0x3FU));
            bytes[count++] = static_cast<unsigned char>(0x80U | ((point >> 6U) & 0x3FU));
            bytes[count++] = static_cast<unsigned char>(0x80U | (point & 0x3FU));
        }
        if (at + count >= room) {
            return false;
        }
        for (std::size_t b = 0; b < count; ++b) {
            out[at++] = static_cast<char>(bytes[b]);
        }
    }
    if (at >= room) {
        return false;
    }
    out[at] = '\0';
    length = at;
    return true;
}

// Converts the NUL-terminated 8-bit `text` back into UTF-16 in `out`, which
// has room for `room` units, NUL included; `length` receives the units
// written before the NUL. False for text that is not in the form above (a
// stray byte, a cut or overlong sequence) or that does not fit: such a text
// names no file, and no look-alike is made of it.
template <typename Unit>
bool utf8_to_utf16(const char* text, Unit* out, std::size_t room, std::size_t& length)
{
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    using namespace utf16_text_detail;
    std::size_t at = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; bytes[i] != 0;) {
        const unsigned char lead = bytes[i];
        std::size_t count = 0;
        unsigned long point = 0;
        unsigned long lowest = 0;
        if (lead < 0x80U) {
            count = 1;
            point = lead;
        } else if (lead >= 0xC2U && lead <= 0xDFU) {
            count = 2;
            point = lead & 0x1FU;
            lowest = 0x80;
        } else if (lead >= 0xE0U && lead <= 0xEFU) {
            count = 3;
            point = lead & 0x0FU;
            lowest = 0x800;
        } else if (lead >= 0xF0U && lead <= 0xF4U) {
            count = 4;
            point = lead & 0x07U;
            lowest = FIRST_SUPPLEMENTARY;
        } else {
            return false;
        }
        for (std::size_t b = 1; b < count; ++b) {
            if (!is_continuation(bytes[i + b])) {
                return false;  // also stops at the NUL of a cut sequence
            }
            point = (point << 6U) | (bytes[i + b] & 0x3FU);
        }
        if (point < lowest || point > LAST_CODE_POINT) {
            return false;
        }
        i += count;
        const std::size_t units = point >= FIRST_SUPPLEMENTARY ? 2 : 1;
        if (at + units >= room) {
            return false;
        }
        if (units == 2) {
            point -= FIRST_SUPPLEMENTARY;
            out[at++] = static_cast<Unit>(HIGH_SURROGATE + (point >> 10U));
            out[at++] = static_cast<Unit>(LOW_SURROGATE + (point & 0x3FFU));
        } else {
            out[at++] = static_cast<Unit>(point);
        }
    }
    if (at >= room) {
        return false;
    }
    out[at] = 0;
    length = at;
    return true;
}

// The number of characters (code points) of an 8-bit text in the form
// above: every byte that does not continue a sequence starts one.
inline std::size_t code_points(const char* text)
{
    std::size_t count = 0;
    for (const char* at = text; *at != '\0'; ++at) {
        if (!utf16_text_detail::is_continuation(static_cast<unsigned char>(*at))) {
            ++count;
        }
    }
    return count;
}
