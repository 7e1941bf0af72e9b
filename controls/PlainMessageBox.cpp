#include "controls/PlainMessageBox.h"

#include <QLabel>

PlainMessageBox::PlainMessageBox(Icon icon, const QString& text, const QString& detail, StandardButtons buttons,
                                 QWidget* parent)
    : QMessageBox(icon, QStringLiteral("Trelvane"), text, buttons, parent)
{
    setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        setInformativeText(detail);
    // The informative text has no format setting of its own (it would guess
    // rich text from a tag), and both labels open links by default.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue; // the icon
        label->setTextFormat(Qt::PlainText);
        label->setOpenExternalLinks(false);
    }
}
