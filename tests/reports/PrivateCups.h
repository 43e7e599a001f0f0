#pragma once

// A print server of the test's own: cupsd with its configuration, spool and socket in a temporary
// folder and one cups-pdf queue as its default printer, which writes every job it prints as a PDF
// file into a folder of the test. Clients reach it through CUPS_SERVER; the machine's own print
// setup (and its lack of a default printer) stays as it is.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

class PrivateCups {
public:
    static constexpr const char* kQueue = "VantelloPDF";

    PrivateCups()
        : m_name(QStringLiteral("vantello-test-%1").arg(QCoreApplication::applicationPid())) {}
    ~PrivateCups() {
        Stop();
        QFile::remove(configOfQueue());
    }
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Why this machine cannot run it, or empty.
    static QString Missing() {
        if (geteuid() != 0)
            return QStringLiteral("the cups-pdf backend runs only under a cupsd started as root");
        for (const char* file : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/bin/lpstat",
                                 "/usr/lib/cups/backend/cups-pdf", kPpd})
            if (!QFile::exists(QString::fromLatin1(file)))
                return QStringLiteral("%1 is not installed (scripts/install-deps installs it)")
                    .arg(QString::fromLatin1(file));
        return {};
    }

    // The socket clients are pointed at with CUPS_SERVER; fixed for the fixture's life, as the
    // print library remembers the server per thread.
    QString Socket() const { return m_dir.filePath(QStringLiteral("cups.sock")); }
    QString OutputDir() const { return m_dir.filePath(QStringLiteral("out")); }

    bool Running() const { return m_cupsd.state() == QProcess::Running; }

    // Starts the server (again) and sets up the queue. False with the reason when it fails.
    bool Start(QString& why) {
        if (Running())
            return true;
        if (!m_dir.isValid() || !writeConfig()) {
            why = QStringLiteral("the server's folder cannot be set up");
            return false;
        }
        QFile::remove(Socket());
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.setStandardOutputFile(m_dir.filePath(QStringLiteral("log/cupsd.out")));
        m_cupsd.start(QStringLiteral("/usr/sbin/cupsd"),
                      {QStringLiteral("-f"), QStringLiteral("-c"), path("cupsd.conf"),
                       QStringLiteral("-s"), path("cups-files.conf")});
        if (!m_cupsd.waitForStarted()) {
            why = QStringLiteral("cupsd does not start");
            return false;
        }
        // Ready once it answers on its socket.
        for (QDeadlineTimer patience(30000); !patience.hasExpired() && Running();
             QThread::msleep(50)) {
            if (QFile::exists(Socket()) && client(QStringLiteral("lpstat"), {"-r"}).ok)
                break;
        }
        const Result added =
            client(QStringLiteral("lpadmin"), {"-p", kQueue, "-E", "-v", "cups-pdf:/" + m_name,
                                               "-P", QString::fromLatin1(kPpd)});
        if (!Running() || !added.ok || !client(QStringLiteral("lpadmin"), {"-d", kQueue}).ok) {
            why = QStringLiteral("the queue cannot be set up: ") + added.output;
            Stop();
            return false;
        }
        return true;
    }

    void Stop() {
        if (!Running())
            return;
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(30000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished();
        }
    }

    // The server's jobs in every state, one line each.
    QStringList Jobs() const {
        return client(QStringLiteral("lpstat"), {"-W", "all", "-o"})
            .output.split(u'\n', Qt::SkipEmptyParts);
    }

    // Waits until every job has left the queue, then lists the files the queue printed.
    QStringList PrintedFiles() const {
        for (QDeadlineTimer patience(120000); !patience.hasExpired(); QThread::msleep(100)) {
            const Result pending = client(QStringLiteral("lpstat"), {"-o"});
            if (pending.ok && pending.output.trimmed().isEmpty())
                break;
        }
        QStringList files;
        for (const QString& name : QDir(OutputDir()).entryList({"*.pdf"}, QDir::Files))
            files << QDir(OutputDir()).filePath(name);
        return files;
    }

private:
    static constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

    struct Result {
        bool ok = false;
        QString output;
    };

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // cups-pdf reads the settings of a queue from a file named after its device in its own
    // configuration folder.
    QString configOfQueue() const {
        return QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(m_name);
    }

    Result client(const QString& program, const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), Socket());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool finished = p.waitForFinished(60000);
        return {finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                QString::fromUtf8(p.readAll())};
    }

    static bool write(const QString& file, const QString& text) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) == text.toUtf8().size();
    }

    bool writeConfig() {
        const QDir dir(m_dir.path());
        for (const char* sub : {"spool/tmp", "cache", "state", "log", "ppd", "out", "pdf-spool"})
            if (!dir.mkpath(QString::fromLatin1(sub)))
                return false;
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther);
        const QString root = m_dir.path();
        return write(path("cupsd.conf"),
                     QStringLiteral("Listen %1\nLogLevel warn\nBrowsing Off\nWebInterface No\n"
                                    "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                                    "  Allow all\n</Location>\n<Policy default>\n"
                                    "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                    "</Policy>\n")
                         .arg(Socket())) &&
               write(path("cups-files.conf"),
                     QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                                    "CacheDir %1/cache\nStateDir %1/state\n"
                                    "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                    "PageLog %1/log/page_log\nFileDevice No\n")
                         .arg(root)) &&
               write(configOfQueue(), QStringLiteral("Out %1\nAnonDirName %1\nSpool %2\nLabel 1\n")
                                          .arg(OutputDir(), path("pdf-spool")));
    }

    QString m_name;
    QTemporaryDir m_dir;
    QProcess m_cupsd;
};
