#include "app/ManualLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef TRELVANE_DOC_DIR
#error TRELVANE_DOC_DIR names the installed documentation folder
#endif

namespace {

const QString kManualName = QStringLiteral("MANUAL.pdf");

} // namespace

QString ManualLocation::find(const QString& programDir, const QString& docDir)
{
    const QString beside = QDir(programDir).filePath(kManualName);
    if (QFileInfo(beside).isFile() || docDir.isEmpty())
        return beside;
    const QString installed = QDir(docDir).filePath(kManualName);
    return QFileInfo(installed).isFile() ? installed : beside;
}

QString ManualLocation::forThisProgram()
{
    return find(QCoreApplication::applicationDirPath(), installedDocDir());
}

QString ManualLocation::installedDocDir()
{
    return QStringLiteral(TRELVANE_DOC_DIR);
}
