#pragma once

// Failure numbers the control's host raises itself; the shared ones live in Failure.h.
namespace HostError {
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int InvalidPicture = 481;
} // namespace HostError
