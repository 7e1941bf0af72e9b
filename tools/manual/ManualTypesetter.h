#pragma once

#include <QString>

class QTextDocument;
class QTextFrame;

// Turns the manual's Markdown into a document styled for print: body, heading
// and code fonts, shaded code blocks, ruled tables whose header row repeats
// on every page. Lengths are given in 96-dpi pixels; the text layout scales
// them to whatever device it is bound to.
class ManualTypesetter {
public:
    void typeset(const QString& markdown, QTextDocument& doc) const;

    // Text of the first top-level heading, or "" when there is none.
    static QString firstHeading(const QTextDocument& doc);

private:
    void styleBlocks(QTextDocument& doc) const;
    void styleTables(QTextFrame* frame) const;
};
