#include "seams/SaveDialog.h"

QString AskSavePath(SaveDialog& dialog, const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    SaveDialog::Request request;
    request.title = QStringLiteral("Save");
    request.description = bar < 0 ? filter : filter.left(bar);
    request.pattern = bar < 0 ? QString() : filter.mid(bar + 1);
    request.startName = dialog.m_fileName;
    const QString chosen = dialog.Show(request);
    if (!chosen.isEmpty())
        dialog.m_fileName = chosen;
    return chosen;
}
