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
