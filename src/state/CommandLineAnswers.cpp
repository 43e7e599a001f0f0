#include "state/CommandLineAnswers.h"

#include <QCoreApplication>

#include <cstdio>

bool AnswerHelpOrVersion(const QCommandLineParser& parser) {
    QString answer;
    if (parser.isSet(QStringLiteral("help")))
        answer = parser.helpText();
    else if (parser.isSet(QStringLiteral("version")))
        answer = QCoreApplication::applicationName() + u' ' +
                 QCoreApplication::applicationVersion() + u'\n';
    else
        return false;
    std::fputs(answer.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return true;
}
