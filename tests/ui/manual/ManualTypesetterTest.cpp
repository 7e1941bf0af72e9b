// Print styling of the user manual: heading sizes win over the Markdown
// importer's relative sizes, code gets the code face and one unbroken shade,
// tables get a bold header row that repeats on every page, pictures are
// found beside the Markdown file and fitted to the text column.
#include "tools/manual/ManualTypesetter.h"

#include <QDir>
#include <QFont>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

namespace {

QTextDocument* typeset(QTextDocument& doc, const char* markdown)
{
    ManualTypesetter().typeset(QString::fromUtf8(markdown), doc);
    return &doc;
}

// The resolved font of the first fragment whose text contains `probe`.
QFont fontOf(const QTextDocument& doc, const QString& probe)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(probe))
                return it.fragment().charFormat().font().resolve(doc.defaultFont());
        }
    }
    ADD_FAILURE() << "no fragment holds " << probe.toStdString();
    return {};
}

QTextBlock blockOf(const QTextDocument& doc, const QString& text)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.text() == text)
            return block;
    }
    ADD_FAILURE() << "no block reads " << text.toStdString();
    return {};
}

// Image formats by picture name, in document order.
std::vector<QTextImageFormat> imagesOf(const QTextDocument& doc)
{
    std::vector<QTextImageFormat> images;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                images.push_back(it.fragment().charFormat().toImageFormat());
        }
    }
    return images;
}

QTextTable* firstTable(const QTextDocument& doc)
{
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    }
    return nullptr;
}

} // namespace

TEST(ManualTypesetter, HeadingsShrinkByLevelAndStayAboveBodyText)
{
    QTextDocument doc;
    typeset(doc, "# Alpha\n\n## Bravo\n\n### Charlie\n\nPlain delta.\n");
    const qreal h1 = fontOf(doc, "Alpha").pointSizeF();
    const qreal h2 = fontOf(doc, "Bravo").pointSizeF();
    const qreal h3 = fontOf(doc, "Charlie").pointSizeF();
    const qreal body = fontOf(doc, "Plain").pointSizeF();
    EXPECT_GT(h1, h2);
    EXPECT_GT(h2, h3);
    EXPECT_GT(h3, body);
    EXPECT_EQ(fontOf(doc, "Bravo").weight(), QFont::Bold);
    EXPECT_EQ(fontOf(doc, "Plain").weight(), QFont::Normal);
}

TEST(ManualTypesetter, CodeIsSetInTheCodeFaceWhereverItStands)
{
    QTextDocument doc;
    typeset(doc, "Run `inlinecode` now.\n\n"
                 "```\nfencedline\n```\n\n"
                 "| A | B |\n|---|---|\n| `cellcode` | plainword |\n");
    struct Case {
        const char* probe;
        bool code;
    };
    for (const Case& c : {Case{"inlinecode", true}, Case{"fencedline", true}, Case{"cellcode", true},
                          Case{"plainword", false}, Case{"Run ", false}}) {
        const QFont font = fontOf(doc, QString::fromLatin1(c.probe));
        EXPECT_EQ(font.family() == QLatin1String("Liberation Mono"), c.code) << c.probe;
    }
}

TEST(ManualTypesetter, FencedCodeIsOneShadedRunWithSpaceOnlyAroundIt)
{
    QTextDocument doc;
    typeset(doc, "Before.\n\n```\nfirst\nmiddle\nlast\n```\n\nAfter.\n");
    const QTextBlockFormat first = blockOf(doc, "first").blockFormat();
    const QTextBlockFormat middle = blockOf(doc, "middle").blockFormat();
    const QTextBlockFormat last = blockOf(doc, "last").blockFormat();
    for (const QTextBlockFormat& line : {first, middle, last})
        EXPECT_EQ(line.background().style(), Qt::SolidPattern);
    EXPECT_EQ(blockOf(doc, "Before.").blockFormat().background().style(), Qt::NoBrush);
    EXPECT_GT(first.topMargin(), 0);
    EXPECT_EQ(first.bottomMargin(), 0);
    EXPECT_EQ(middle.topMargin(), 0);
    EXPECT_EQ(middle.bottomMargin(), 0);
    EXPECT_EQ(last.topMargin(), 0);
    EXPECT_GT(last.bottomMargin(), 0);
}

TEST(ManualTypesetter, TablesAreRuledWithABoldHeaderThatRepeatsOnEveryPage)
{
    QTextDocument doc;
    typeset(doc, "| Offset | Field |\n|---|---|\n| 0 | auxValue |\n| 4 | voltage |\n");
    QTextTable* table = firstTable(doc);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->format().headerRowCount(), 1);
    EXPECT_GT(table->format().border(), 0);
    EXPECT_EQ(fontOf(doc, "Offset").weight(), QFont::Bold);
    EXPECT_EQ(fontOf(doc, "auxValue").weight(), QFont::Normal);
}

TEST(ManualTypesetter, FirstTopLevelHeadingIsTheTitle)
{
    QTextDocument withTitle;
    typeset(withTitle, "Intro.\n\n## Section\n\n# The Title\n\n# Later\n");
    EXPECT_EQ(ManualTypesetter::firstHeading(withTitle), QStringLiteral("The Title"));

    QTextDocument without;
    typeset(without, "## Only a section\n\nText.\n");
    EXPECT_EQ(ManualTypesetter::firstHeading(without), QString());
}

TEST(ManualTypesetter, PicturesBesideTheSourceAreFittedToTheColumnAndMissingOnesReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage wide(1200, 300, QImage::Format_RGB32);
    wide.fill(Qt::darkGray);
    ASSERT_TRUE(wide.save(dir.filePath(QStringLiteral("wide.png"))));
    QImage narrow(100, 50, QImage::Format_RGB32);
    narrow.fill(Qt::gray);
    ASSERT_TRUE(narrow.save(dir.filePath(QStringLiteral("narrow.png"))));

    QTextDocument doc;
    ManualTypesetter().typeset(QStringLiteral("![w](wide.png)\n\n![n](narrow.png)\n\n![m](gone.png)\n"), doc,
                               QUrl::fromLocalFile(dir.filePath(QStringLiteral("manual.md"))));
    const std::vector<QTextImageFormat> images = imagesOf(doc);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_GT(images[0].width(), 0);
    EXPECT_LT(images[0].width(), 1200);
    EXPECT_DOUBLE_EQ(images[0].height() * 4, images[0].width()); // the 4:1 shape is kept
    EXPECT_FALSE(images[1].hasProperty(QTextFormat::ImageWidth)); // small enough as it is
    EXPECT_EQ(ManualTypesetter::missingImages(doc), QStringList{QStringLiteral("gone.png")});
}
