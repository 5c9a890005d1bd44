#pragma once

namespace Pinmark {

// The window system the program runs on. On Linux both X11 and Wayland exist, so this is asked
// at run time, here only; code that only one operating system needs is chosen in CMake instead.
enum class WindowSystem
{
    X11,
    Wayland,
    Other, // Windows, offscreen, ...
};

// Valid once the application object exists.
WindowSystem windowSystem();

} // namespace Pinmark
