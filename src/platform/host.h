// The kind of system the program is built for. The few portable decisions that depend on it
// (how file names are split, which switch characters the console takes) read this constant;
// everything that calls the system itself lives in posix/ or win32/, chosen by the build.
#pragma once

namespace sonarel {

#ifdef _WIN32
inline constexpr bool kWindowsHost = true;
#else
inline constexpr bool kWindowsHost = false;
#endif

} // namespace sonarel
