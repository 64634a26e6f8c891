#pragma once

// The control characters the modem's line, the receive log and the text formats deal in,
// each named once. char16_t: they compare with QChar and char alike; a byte context casts.
namespace ascii {

inline constexpr char16_t NUL = 0x00;
inline constexpr char16_t BS = 0x08;  // backspace
inline constexpr char16_t TAB = 0x09;
inline constexpr char16_t LF = 0x0A;  // line feed
inline constexpr char16_t FF = 0x0C;  // form feed
inline constexpr char16_t CR = 0x0D;  // carriage return: ends a command and a log line

} // namespace ascii

namespace unicode {

// Invisible characters that reorder or break what follows them on a screen (bidirectional
// controls, line and paragraph separators): caller text must not carry them to a reader.
inline constexpr bool isLayoutControl(char16_t c)
{
    return c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x2028 && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace unicode
