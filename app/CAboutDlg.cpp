#include "app/CAboutDlg.h"

#include "controls/DialogUnits.h"
#include "res/Bitmaps.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Trelvane"));
    // Its template names its own face; the system substitutes what it has.
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setFixedSize(DialogUnits::x(253), DialogUnits::y(49));

    auto* icon = new QLabel(this);
    const QPixmap pixmap = loadBitmap(128).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    icon->setPixmap(pixmap);
    icon->setGeometry(QRect(DialogUnits::point(11, 17), QSize(32, 32)));

    versionLine_ = new QLabel(QStringLiteral("Trelvane Version 1.0"), this);
    versionLine_->setGeometry(DialogUnits::rect(40, 10, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(DialogUnits::rect(196, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    secondLine_ = new QLabel(this);
    secondLine_->setGeometry(DialogUnits::rect(44, 29, 160, 8));
}
