// The outer size of the top-level windows under a window manager that draws frames. Runs on an X
// display through tests/support/with-openbox; the size is read from the X server: the frame
// window the window manager put around the window.
#include "graph/GraphForm.h"
#include "graph/GraphWindowHost.h"
#include "link/DeviceSerialPort.h"
#include "link/FakeSysfs.h"
#include "link/LinuxPortPlatform.h"
#include "reports/PrintTarget.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "support/ScriptedSeams.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString xwininfo(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xwininfo"), args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int number(const QString& info, const QString& name) {
    return QRegularExpression(name + QStringLiteral(":\\s+(\\S+)"))
        .match(info)
        .captured(1)
        .toInt(nullptr, 0);
}

// The outer size of the window on the screen: its ancestor just below the root window, borders
// included.
QSize outerSize(const QWidget& window) {
    QString id = QString::number(window.winId());
    for (int depth = 0; depth < 10; ++depth) {
        const QString tree = xwininfo({QStringLiteral("-tree"), QStringLiteral("-id"), id});
        const QRegularExpressionMatch parent =
            QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)( \\(the root)?"))
                .match(tree);
        if (!parent.hasMatch())
            return {};
        if (!parent.captured(2).isEmpty()) {
            const QString info = xwininfo({QStringLiteral("-id"), id});
            const int border = number(info, QStringLiteral("Border width"));
            return {number(info, QStringLiteral("Width")) + 2 * border,
                    number(info, QStringLiteral("Height")) + 2 * border};
        }
        id = parent.captured(1);
    }
    return {};
}

bool framed(const QWidget& window) {
    const QSize outer = outerSize(window);
    return outer.isValid() && outer != window.size();
}

} // namespace

class WindowFrameTest : public QObject {
    Q_OBJECT
private slots:
    void outerSizesWithFrames();
};

void WindowFrameTest::outerSizesWithFrames() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP(
            "needs an X display with a window manager: run it through tests/support/with-openbox");
    QTemporaryDir dir;
    FakeSysfs sys{dir.filePath(QStringLiteral("sys"))};
    LinuxPortPlatform platform{sys.Root(), dir.filePath(QStringLiteral("dev"))};
    DeviceSerialPort port;
    GVarMod state;
    ScriptedMessages messages;
    ScriptedSaveDialog commonDialog;
    ScriptedSaveDialog dataDialog;
    PdfFileTarget pdf{dir.filePath(QStringLiteral("print.pdf"))};
    MainForm form(MainParts{state, port, platform, messages, commonDialog, dataDialog, {&pdf}});
    form.show();
    form.MDIForm_Load();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The window manager puts its frame around the window; the window then shrinks inside it.
    QTRY_VERIFY_WITH_TIMEOUT(framed(form), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(outerSize(form), QSize(950, 678), 10000);

    GraphForm* graph = dynamic_cast<GraphForm*>(form.graphHost().OpenGraph());
    QVERIFY(graph);
    QVERIFY(QTest::qWaitForWindowExposed(graph));
    QTRY_VERIFY_WITH_TIMEOUT(framed(*graph), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(outerSize(*graph), QSize(900, 678), 10000);
}

QTEST_MAIN(WindowFrameTest)
#include "WindowFrameTest.moc"
