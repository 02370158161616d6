#include "platform/WindowActivation.h"

#include "platform/InstanceChannel.h"

#include <QGuiApplication>
#include <QWindow>

void WindowActivation::activate(QWindow* window, const QString& token)
{
    const bool offered = QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
                         InstanceChannel::isUsableActivationToken(token) &&
                         qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
    window->requestActivate();
    if (offered)
        qunsetenv("XDG_ACTIVATION_TOKEN");
}
