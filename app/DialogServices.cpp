#include "app/DialogServices.h"

#include "controls/PlainMessageBox.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace {

const QString kFilter = QStringLiteral("tvr(*.tvr)");

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
    PlainMessageBox box(QMessageBox::NoIcon, text, detail, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogServices::ask(QWidget* parent, const QString& text, const QString& detail)
{
    PlainMessageBox box(QMessageBox::Question, text, detail, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogServices::notify(QWidget* parent, const QString& text, const QString& detail)
{
    auto* box = new PlainMessageBox(QMessageBox::Warning, text, detail, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void QtDialogServices::openWithDesktop(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
