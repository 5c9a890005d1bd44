#include "platform/windowsystem.h"

#include <QGuiApplication>

namespace Pinmark {

WindowSystem windowSystem()
{
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb"))
        return WindowSystem::X11;
    if (name.startsWith(QLatin1String("wayland")))
        return WindowSystem::Wayland;
    return WindowSystem::Other;
}

} // namespace Pinmark
