#pragma once

// Which separator rules a pure path routine follows. The program works with the native
// style; the Windows style keeps the routines' behaviour on backslash paths exactly testable.
enum class PathStyle { Windows, Posix };

inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;

inline constexpr char separatorOf(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}
