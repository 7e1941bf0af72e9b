#pragma once

#include <QMessageBox>

// A message box titled "Trelvane" whose text and informative text are shown
// as plain text whatever they hold. Paths, port names and system reasons
// reach these boxes; a file named "<a href=...>" must read as just that, not
// become a link that opens a URL when clicked.
class PlainMessageBox : public QMessageBox {
    Q_OBJECT
public:
    PlainMessageBox(Icon icon, const QString& text, const QString& detail, StandardButtons buttons,
                    QWidget* parent);
};
