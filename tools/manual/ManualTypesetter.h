#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QTextDocument;
class QTextFrame;

// Turns the manual's Markdown into a document styled for print: body, heading
// and code fonts, shaded code blocks, ruled tables whose header row repeats
// on every page, pictures no wider than the text column. Lengths are given in
// 96-dpi pixels; the text layout scales them to whatever device it is bound to.
class ManualTypesetter {
public:
    // Pictures are looked up relative to `source`, the Markdown file's location.
    void typeset(const QString& markdown, QTextDocument& doc, const QUrl& source = {}) const;

    // Pictures the document names but that could not be loaded.
    static QStringList missingImages(QTextDocument& doc);

    // Text of the first top-level heading, or "" when there is none.
    static QString firstHeading(const QTextDocument& doc);

private:
    void styleBlocks(QTextDocument& doc) const;
    void styleTables(QTextFrame* frame) const;
    void fitImages(QTextDocument& doc) const;
};
