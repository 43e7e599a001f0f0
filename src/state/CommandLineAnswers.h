#pragma once

#include <QCommandLineParser>

// Answers --help and --version on standard output and says whether it did (the caller then exits
// with status 0). Qt's own answer shows a message box on Windows whenever the program has no
// console window, even with its output redirected to a file or a pipe.
bool AnswerHelpOrVersion(const QCommandLineParser& parser);
