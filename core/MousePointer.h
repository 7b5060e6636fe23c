#pragma once

// Values of the main window's mouse pointer. The hourglass doubles as the program's busy
// flag: the list-editing handlers do nothing while it is shown.
namespace MousePointer {
inline constexpr int Default = 0;
inline constexpr int Arrow = 1;
inline constexpr int Hourglass = 11;
inline constexpr int Custom = 99;
} // namespace MousePointer
