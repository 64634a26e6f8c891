#pragma once

#include <cstdint>

// The national-language functions the program was written against, answered from the
// user's locale as the environment sets it: dates and times from LC_TIME, numbers from
// LC_NUMERIC (LC_ALL over both, LANG under both), read again on every call. Patterns use
// the Windows picture language (d, dd, M, MM, y, yy, yyyy, 'literal'; h, H, m, s, tt).
// Texts are UTF-8, this system's "ANSI" code page. They sit here rather than in
// platform/ because LocaleSupport needs them and platform builds on this library.

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LCID = DWORD;
using LCTYPE = DWORD;
using LPSTR = char *;
using LPCSTR = const char *;

struct SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek; // ignored: the day of the week follows from the date
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

inline constexpr LCID LOCALE_NEUTRAL = 0;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

inline constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;
inline constexpr LCTYPE LOCALE_SDECIMAL = 0x0E;
inline constexpr LCTYPE LOCALE_STHOUSAND = 0x0F;
inline constexpr LCTYPE LOCALE_SDATE = 0x1D;
inline constexpr LCTYPE LOCALE_STIME = 0x1E;
inline constexpr LCTYPE LOCALE_SSHORTDATE = 0x1F;
inline constexpr LCTYPE LOCALE_SLONGDATE = 0x20;
inline constexpr LCTYPE LOCALE_IDATE = 0x21;     // short date order: 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
inline constexpr LCTYPE LOCALE_S1159 = 0x28;     // AM
inline constexpr LCTYPE LOCALE_S2359 = 0x29;     // PM
inline constexpr LCTYPE LOCALE_SDAYNAME1 = 0x2A; // Monday; 0x2B..0x30 the days after it
inline constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x31;
inline constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x38; // January; 0x39..0x43 the months after it
inline constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x44;
inline constexpr LCTYPE LOCALE_SNEGATIVESIGN = 0x51;
inline constexpr LCTYPE LOCALE_SSHORTTIME = 0x79;
inline constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;

inline constexpr DWORD DATE_SHORTDATE = 0x1;
inline constexpr DWORD DATE_LONGDATE = 0x2;
inline constexpr DWORD TIME_NOSECONDS = 0x2;

inline constexpr DWORD NLS_ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD NLS_ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD NLS_ERROR_INVALID_FLAGS = 1004;

// Results count the text and its NUL; 0 is failure (see GetLastError). A size of 0 asks
// for the size needed and writes nothing.
int GetLocaleInfoA(LCID locale, LCTYPE item, LPSTR data, int size);
// date null: today. format null: the short date pattern (the long one with DATE_LONGDATE).
int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *date, LPCSTR format, LPSTR text,
                   int size);
// time null: now. format null: the long time format.
int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *time, LPCSTR format, LPSTR text,
                   int size);

// The reason for the calling thread's last failure of the functions above.
DWORD GetLastError();
