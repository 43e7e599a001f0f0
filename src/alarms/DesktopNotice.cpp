#include "alarms/DesktopNotice.h"

#include <QObject>
#include <QTimer>

#if VANTELLO_WITH_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#endif

namespace {
constexpr int kAnswerWithinMs = 5000; // a service that says nothing for this long is absent
} // namespace

void ShowDesktopNotice(const QString& summary, const QString& body, bool critical, QObject* context,
                       std::function<void()> fallback) {
#if VANTELLO_WITH_DBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        QVariantMap hints;
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(critical ? 2 : 1)));
        hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(VANTELLO_APP_ID));
        call << QStringLiteral("Vantello") << uint(0) << QStringLiteral(VANTELLO_APP_ID) << summary
             << body << QStringList() << hints << int(critical ? 0 : -1);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerWithinMs), context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                         [watcher, fallback = std::move(fallback)] {
                             watcher->deleteLater();
                             if (watcher->isError() && fallback)
                                 fallback();
                         });
        return;
    }
#else
    Q_UNUSED(summary);
    Q_UNUSED(body);
    Q_UNUSED(critical);
#endif
    if (fallback)
        QTimer::singleShot(0, context, std::move(fallback));
}
