#include "ManualTypesetter.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>
#include <QTextTable>
#include <QUrl>
#include <QVariant>

#include <array>
#include <utility>
#include <vector>

namespace {

const QString kBodyFamily = QStringLiteral("Liberation Sans");
const QString kCodeFamily = QStringLiteral("Liberation Mono");
constexpr qreal kBodyPoints = 10.0;
constexpr qreal kCodePoints = 8.5;
const QColor kHeadingColour(0x1f, 0x3a, 0x5f);
const QColor kCodeShade(0xf0, 0xf0, 0xf0);
const QColor kRuleColour(0x80, 0x80, 0x80);
const QColor kHeaderShade(0xe3, 0xe8, 0xef);
const QColor kNoteShade(0xf5, 0xf1, 0xe1);
// Widest picture: a little less than the A4 text column.
constexpr qreal kColumnWidth = 600;

struct HeadingLook {
    qreal points;
    qreal spaceAbove;
    qreal spaceBelow;
};

// Index = heading level; level 0 is unused.
constexpr std::array<HeadingLook, 7> kHeadings{{
    {kBodyPoints, 0, 0},
    {22, 0, 14},
    {15, 20, 6},
    {12, 14, 4},
    {10.5, 10, 3},
    {10, 8, 2},
    {10, 8, 2},
}};

bool isCodeBlock(const QTextBlock& block)
{
    if (!block.isValid())
        return false;
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(QTextFormat::BlockCodeFence)
        || format.hasProperty(QTextFormat::BlockCodeLanguage);
}

// Spans of a block with their formats, collected before any of them is changed.
std::vector<std::pair<QTextCursor, QTextCharFormat>> fragmentsOf(QTextDocument& doc, const QTextBlock& block)
{
    std::vector<std::pair<QTextCursor, QTextCharFormat>> spans;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        QTextCursor cursor(&doc);
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        spans.emplace_back(cursor, fragment.charFormat());
    }
    return spans;
}

// The picture a document names, loaded through the document (relative names
// resolve against its base URL); null when it cannot be loaded.
QImage imageOf(QTextDocument& doc, const QString& name)
{
    const QVariant resource = doc.resource(QTextDocument::ImageResource, QUrl(name));
    if (resource.canConvert<QImage>() && resource.typeId() != QMetaType::QByteArray)
        return resource.value<QImage>();
    return QImage::fromData(resource.toByteArray());
}

bool isQuote(const QTextBlock& block)
{
    return block.isValid() && block.blockFormat().intProperty(QTextFormat::BlockQuoteLevel) > 0;
}

void styleHeading(QTextDocument& doc, const QTextBlock& heading, int level)
{
    const HeadingLook& look = kHeadings[static_cast<std::size_t>(qBound(1, level, 6))];
    QTextBlockFormat block;
    block.setTopMargin(look.spaceAbove);
    block.setBottomMargin(look.spaceBelow);
    QTextCursor(heading).mergeBlockFormat(block);

    // The relative size the importer gives headings would win over a point
    // size, so it is taken out rather than overridden.
    for (auto& [cursor, chars] : fragmentsOf(doc, heading)) {
        chars.clearProperty(QTextFormat::FontSizeAdjustment);
        chars.setFontFamilies({kBodyFamily});
        chars.setFontPointSize(look.points);
        chars.setFontWeight(QFont::Bold);
        chars.setForeground(kHeadingColour);
        cursor.setCharFormat(chars);
    }
}

// A fenced block arrives as one block per line: only its first and last lines
// get space around them, so the shading stays one piece.
void styleCodeLine(const QTextBlock& line)
{
    QTextBlockFormat block;
    block.setBackground(kCodeShade);
    block.setLeftMargin(10);
    block.setRightMargin(10);
    block.setTopMargin(isCodeBlock(line.previous()) ? 0 : 4);
    block.setBottomMargin(isCodeBlock(line.next()) ? 0 : 8);
    // The importer keeps code lines whole, which runs long ones off the page.
    block.setNonBreakableLines(false);
    QTextCursor cursor(line);
    cursor.mergeBlockFormat(block);

    QTextCharFormat chars;
    chars.setFontFamilies({kCodeFamily});
    chars.setFontPointSize(kCodePoints);
    cursor.select(QTextCursor::BlockUnderCursor);
    cursor.mergeCharFormat(chars);
}

void styleQuote(const QTextBlock& quote)
{
    QTextBlockFormat block;
    block.setBackground(kNoteShade);
    block.setTopMargin(isQuote(quote.previous()) ? 0 : 4);
    block.setBottomMargin(isQuote(quote.next()) ? 0 : 8);
    QTextCursor(quote).mergeBlockFormat(block);
}

// Inline code spans keep their fixed pitch but get the print code face.
void styleInlineCode(QTextDocument& doc, const QTextBlock& block)
{
    QTextCharFormat code;
    code.setFontFamilies({kCodeFamily});
    code.setFontPointSize(kCodePoints + 0.5);
    code.setBackground(kCodeShade);
    for (auto& [cursor, chars] : fragmentsOf(doc, block)) {
        if (chars.fontFixedPitch())
            cursor.mergeCharFormat(code);
    }
}

} // namespace

void ManualTypesetter::typeset(const QString& markdown, QTextDocument& doc, const QUrl& source) const
{
    doc.setMetaInformation(QTextDocument::DocumentUrl, source.toString());
    doc.setBaseUrl(source);
    QFont body(kBodyFamily);
    body.setPointSizeF(kBodyPoints);
    doc.setDefaultFont(body);
    // A long command or CSV line wraps where it must instead of running off the page.
    QTextOption wrapping = doc.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(wrapping);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    doc.setDocumentMargin(0);
    styleBlocks(doc);
    styleTables(doc.rootFrame());
    fitImages(doc);
}

void ManualTypesetter::styleBlocks(QTextDocument& doc) const
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0) {
            styleHeading(doc, block, level);
        } else if (isCodeBlock(block)) {
            styleCodeLine(block);
        } else {
            if (isQuote(block))
                styleQuote(block);
            styleInlineCode(doc, block);
        }
    }
}

void ManualTypesetter::styleTables(QTextFrame* frame) const
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(1);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(kRuleColour);
            format.setBorderCollapse(true);
            format.setCellSpacing(0);
            format.setCellPadding(4);
            format.setTopMargin(4);
            format.setBottomMargin(10);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setHeaderRowCount(1);
            table->setFormat(format);

            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(0, column);
                QTextTableCellFormat shade;
                shade.setBackground(kHeaderShade);
                cell.setFormat(shade);
                QTextCharFormat bold;
                bold.setFontWeight(QFont::Bold);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cursor.mergeCharFormat(bold);
            }
        }
        styleTables(child);
    }
}

void ManualTypesetter::fitImages(QTextDocument& doc) const
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto& [cursor, chars] : fragmentsOf(doc, block)) {
            if (!chars.isImageFormat())
                continue;
            QTextImageFormat image = chars.toImageFormat();
            const QSizeF natural = imageOf(doc, image.name()).size();
            if (natural.width() <= kColumnWidth)
                continue;
            image.setWidth(kColumnWidth);
            image.setHeight(natural.height() * kColumnWidth / natural.width());
            cursor.setCharFormat(image);
        }
    }
}

QStringList ManualTypesetter::missingImages(QTextDocument& doc)
{
    QStringList missing;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat chars = it.fragment().charFormat();
            if (chars.isImageFormat() && imageOf(doc, chars.toImageFormat().name()).isNull())
                missing << chars.toImageFormat().name();
        }
    }
    return missing;
}

QString ManualTypesetter::firstHeading(const QTextDocument& doc)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 1)
            return block.text().trimmed();
    }
    return {};
}
