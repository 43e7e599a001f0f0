#pragma once

#include <QString>

#include <functional>

class QObject;

// Shows a notification on the desktop through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications), without waiting for it: when there is no session
// bus, no service answers or it refuses, fallback runs instead (on the event loop, with context
// still alive). critical asks the service to keep the notification until it is dismissed.
void ShowDesktopNotice(const QString& summary, const QString& body, bool critical, QObject* context,
                       std::function<void()> fallback);
