#include "widgets/FileOpenDialog.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList FileOpenDialog::AskOpenPaths(const QString& title, const QString& filter) {
    const QStringList paths = QFileDialog::getOpenFileNames(m_owner, title, m_folder, filter);
    if (!paths.isEmpty())
        m_folder = QFileInfo(paths.front()).absolutePath();
    return paths;
}
