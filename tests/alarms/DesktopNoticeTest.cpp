// The desktop notification on a session bus of the test's own (started by dbus-run-session), with
// a notification service of the test's own on another connection: what the service is asked, and
// the fallback when no service answers.

#include "alarms/DesktopNotice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>
#include <QVariantMap>

class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;
public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout) {
        calls << QStringLiteral("%1|%2|%3|%4|%5|%6|urgency %7|%8")
                     .arg(app)
                     .arg(replaces)
                     .arg(icon, summary, body, actions.join(u','))
                     .arg(hints.value(QStringLiteral("urgency")).toInt())
                     .arg(timeout);
        return 7;
    }
};

class DesktopNoticeTest : public QObject {
    Q_OBJECT
private slots:
    void shownByTheServiceElseFallback() {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus of the test's own (run by CTest under dbus-run-session)");
        QDBusConnection serviceBus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
        NotificationService service;
        QVERIFY(serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                          &service, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService(QStringLiteral("org.freedesktop.Notifications")));

        QObject context;
        int fallbacks = 0;
        ShowDesktopNotice(QStringLiteral("Alarm: velocity < 2.5"), QStringLiteral("2.31 m/s"), true,
                          &context, [&] { ++fallbacks; });
        QVERIFY(QTest::qWaitFor([&] { return !service.calls.isEmpty(); }));
        QCOMPARE(service.calls, QStringList{"Vantello|0|org.vantello.Vantello|Alarm: velocity < "
                                            "2.5|2.31 m/s||urgency 2|0"});
        QTest::qWait(100);
        QCOMPARE(fallbacks, 0);

        // The service gone: the fallback runs instead.
        QVERIFY(serviceBus.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
        ShowDesktopNotice(QStringLiteral("Alarm"), QString(), false, &context,
                          [&] { ++fallbacks; });
        QVERIFY(QTest::qWaitFor([&] { return fallbacks == 1; }));
        QCOMPARE(service.calls.size(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    }
};

QTEST_GUILESS_MAIN(DesktopNoticeTest)
#include "DesktopNoticeTest.moc"
