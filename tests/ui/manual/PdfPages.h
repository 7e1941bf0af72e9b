#pragma once

#include <QByteArray>
#include <QRegularExpression>

// Page objects in a PDF file's bytes (the page tree's own "/Pages" not counted).
inline int pdfPageCount(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++count;
    return count;
}
