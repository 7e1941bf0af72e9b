#include "app/DialogServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

const QString kTitle = QStringLiteral("Trelvane");
const QString kFilter = QStringLiteral("tvr(*.tvr)");

QMessageBox* makeBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& detail)
{
    auto* box = new QMessageBox(icon, kTitle, text, QMessageBox::Ok, parent);
    if (!detail.isEmpty())
        box->setInformativeText(detail);
    return box;
}

} // namespace

QString QtDialogServices::chooseSaveFile(QWidget* parent)
{
    // Overwrite confirmation is on by default.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), kFilter);
}

QString QtDialogServices::chooseOpenFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), kFilter);
}

void QtDialogServices::inform(QWidget* parent, const QString& text, const QString& detail)
{
    QMessageBox* box = makeBox(parent, QMessageBox::NoIcon, text, detail);
    box->exec();
    delete box;
}

bool QtDialogServices::ask(QWidget* parent, const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Question, kTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogServices::notify(QWidget* parent, const QString& text, const QString& detail)
{
    QMessageBox* box = makeBox(parent, QMessageBox::Warning, text, detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void QtDialogServices::openWithDesktop(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
