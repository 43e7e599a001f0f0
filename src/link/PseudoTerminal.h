#pragma once

#include <QByteArray>
#include <QString>

// The far side of a pseudo-terminal: what a meter would be at the end of a cable. The near side,
// Path(), behaves like a serial device and is what the program opens. The near side is set to raw
// mode and kept open here too, so it stays raw and keeps its data while the program has it closed.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair. On failure returns false and, when error is given, says why.
    bool Open(QString* error = nullptr);
    bool IsOpen() const { return m_master >= 0; }
    // Closes the far side: to the near side it looks like a device that was unplugged.
    void Close();

    // The near side's device path, such as "/dev/pts/4".
    QString Path() const { return m_path; }

    // Writes bytes to the line without waiting. Returns how many were taken; fewer than given
    // when the line's buffers are full (nobody reads the near side).
    qsizetype Write(const QByteArray& bytes);

    // Waits, without running the event loop, until the near side holds at least `bytes` bytes
    // that nobody has read, so a reader has not seen them yet. False after timeoutMs.
    bool WaitUntilPending(qsizetype bytes, int timeoutMs = 5000) const;

    // Descriptor of the near side held open here (for inspecting its settings).
    int NearSide() const { return m_slave; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
