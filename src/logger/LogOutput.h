#pragma once

#include <QByteArray>
#include <QString>

// Where the logger's lines go: a file or standard output, written line by line with one write(2)
// each, so every line reaches the operating system (and `tail -f`) as it is written.
//
// A file is created, or replaced as a whole at the start: the heading is written with the
// project's atomic writer (WriteFileAtomically), so a reader never sees half of either. With
// append, lines are added to the end; the heading goes only into an empty file, and a last line cut
// short by an earlier run is ended first. A device or pipe named as the file (/dev/null, a FIFO) is
// written as it is, never replaced; a file replaced keeps its permissions; a symbolic link stays
// and the file it names is written.
//
// A line either arrives whole or not at all: when the system takes only part of it (a full disk,
// a file-size limit), that part is taken back from a regular file, so the file ends with the last
// whole line. Needs SIGPIPE and SIGXFSZ ignored, so that a closed pipe or a size limit fails the
// write instead of ending the program.
class LogOutput {
public:
    LogOutput() = default;
    ~LogOutput();
    LogOutput(const LogOutput&) = delete;
    LogOutput& operator=(const LogOutput&) = delete;

    // Standard output; with append, no heading when it already is a file with something in it.
    bool OpenStandardOutput(bool append, const QByteArray& heading, QString* error);
    bool OpenFile(const QString& path, bool append, const QByteArray& heading, QString* error);

    // For a format without a heading: what its lines start with and its name, so that --append
    // adds only to a file of the same lines ("{" and jsonl unless set).
    void SetLineStart(const QByteArray& start, const QString& formatName) {
        m_lineStart = start;
        m_formatName = formatName;
    }

    // Writes one line. On failure false and why; the output then ends with the line before.
    bool Write(const QByteArray& line, QString* error);

    // Forces a file's lines to disk and closes it (standard output is only flushed to disk when it
    // is a file). False and why when that fails.
    bool Close(QString* error);

    // "standard output", or the file's name as given.
    QString Name() const { return m_name; }
    // The same for messages: a file's name quoted (QuotedPath).
    QString ShownName() const;
    // OpenFile failed because the file is a FIFO that no program reads yet: trying again later
    // may succeed.
    bool WaitsForReader() const { return m_waitsForReader; }
    // Open failed because --append named a file that holds other lines than these.
    bool WrongContents() const { return m_wrongContents; }

private:
    bool start(bool append, const QByteArray& heading, QString* error);
    bool writeAll(const QByteArray& bytes, QString* error);

    int m_fd = -1;
    bool m_own = false;     // the descriptor is closed here
    bool m_regular = false; // a regular file: a part written can be taken back
    QString m_name;
    bool m_waitsForReader = false;
    bool m_wrongContents = false;
    QByteArray m_lineStart = "{";
    QString m_formatName = QStringLiteral("jsonl");
};
