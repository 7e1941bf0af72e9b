// Pagination and PDF output of the manual builder: a heading (or a run of
// headings) never ends a page, the PDF holds one page per laid-out page, and
// a target that cannot be written is reported without leaving a file behind.
#include "tests/ui/manual/PdfPages.h"
#include "tools/manual/ManualPdfWriter.h"
#include "tools/manual/ManualTypesetter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

const QSizeF kPage(1500, 1500); // device pixels at 300 dpi: 5 x 5 inches

QString linesThen(int lines, const QString& tail)
{
    QString markdown;
    for (int i = 1; i <= lines; ++i)
        markdown += QStringLiteral("Line %1.\n\n").arg(i);
    return markdown + tail;
}

// The page the block's first line is on. A line pushed past the foot of a
// page moves without its block's bounding rectangle, so the line decides.
int pageOf(QTextDocument& doc, const QString& text)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.text() != text)
            continue;
        qreal top = doc.documentLayout()->blockBoundingRect(block).top();
        if (block.layout()->lineCount() > 0)
            top += block.layout()->lineAt(0).y();
        return static_cast<int>(std::floor((top + 0.5) / kPage.height()));
    }
    ADD_FAILURE() << "no block reads " << text.toStdString();
    return -1;
}

class Pagination : public ::testing::Test {
protected:
    Pagination() : pdf_(&sink_) { pdf_.setResolution(300); }

    std::unique_ptr<QTextDocument> source(const QString& markdown)
    {
        auto doc = std::make_unique<QTextDocument>();
        ManualTypesetter().typeset(markdown, *doc);
        return doc;
    }

    // Laid out as it comes, without moving any heading.
    std::unique_ptr<QTextDocument> asItComes(const QTextDocument& doc)
    {
        std::unique_ptr<QTextDocument> copy(doc.clone());
        copy->documentLayout()->setPaintDevice(&pdf_);
        copy->setPageSize(kPage);
        return copy;
    }

    // The first number of leading lines for which `stranded` holds before pagination.
    int leadingLinesWhere(const QString& headings, const std::function<bool(QTextDocument&)>& stranded)
    {
        for (int lines = 1; lines < 200; ++lines) {
            auto doc = asItComes(*source(linesThen(lines, headings + QStringLiteral("Following text.\n"))));
            if (stranded(*doc))
                return lines;
        }
        return 0;
    }

    QBuffer sink_;
    QPdfWriter pdf_;
};

} // namespace

TEST_F(Pagination, HeadingThatWouldEndAPageMovesToTheNextOne)
{
    const QString heading = QStringLiteral("## Heading\n\n");
    const int lines = leadingLinesWhere(heading, [](QTextDocument& doc) {
        return pageOf(doc, "Heading") < pageOf(doc, "Following text.");
    });
    ASSERT_GT(lines, 0) << "no layout leaves the heading alone at the foot of a page";

    auto doc = source(linesThen(lines, heading + QStringLiteral("Following text.\n")));
    auto paged = ManualPdfWriter::paginate(*doc, pdf_, kPage);
    EXPECT_EQ(pageOf(*paged, "Heading"), pageOf(*paged, "Following text."));
    EXPECT_LT(pageOf(*paged, QStringLiteral("Line %1.").arg(lines)), pageOf(*paged, "Heading"));
    EXPECT_EQ(paged->toPlainText(), doc->toPlainText());
}

TEST_F(Pagination, RunOfHeadingsMovesTogetherWithItsText)
{
    const QString headings = QStringLiteral("## Upper\n\n### Lower\n\n");
    struct Case {
        const char* name;
        std::function<bool(QTextDocument&)> stranded;
    };
    const Case cases[] = {
        {"both headings end the page",
         [](QTextDocument& doc) {
             const int upper = pageOf(doc, "Upper");
             return upper == pageOf(doc, "Lower") && upper < pageOf(doc, "Following text.");
         }},
        {"the upper heading ends the page",
         [](QTextDocument& doc) { return pageOf(doc, "Upper") < pageOf(doc, "Lower"); }},
    };
    for (const Case& c : cases) {
        const int lines = leadingLinesWhere(headings, c.stranded);
        ASSERT_GT(lines, 0) << c.name << ": no such layout found";

        auto doc = source(linesThen(lines, headings + QStringLiteral("Following text.\n")));
        auto paged = ManualPdfWriter::paginate(*doc, pdf_, kPage);
        const int text = pageOf(*paged, "Following text.");
        EXPECT_EQ(pageOf(*paged, "Upper"), text) << c.name;
        EXPECT_EQ(pageOf(*paged, "Lower"), text) << c.name;
        EXPECT_EQ(pageOf(*paged, QStringLiteral("Line %1.").arg(lines)) + 1, text) << c.name;
    }
}

TEST_F(Pagination, LinesTooLongForThePageWrapInsteadOfRunningOff)
{
    const QString unbroken = QStringLiteral("elapsedSeconds,time,voltage,current,capacity,").repeated(8);
    struct Case {
        const char* name;
        QString markdown;
    };
    const Case cases[] = {
        {"code block", QStringLiteral("```\n%1\n```\n").arg(unbroken)},
        {"paragraph", unbroken + QStringLiteral("\n")},
        {"table cell", QStringLiteral("| a |\n|---|\n| %1 |\n").arg(unbroken)},
    };
    for (const Case& c : cases) {
        auto paged = ManualPdfWriter::paginate(*source(c.markdown), pdf_, kPage);
        bool found = false;
        for (QTextBlock block = paged->begin(); block.isValid(); block = block.next()) {
            if (!block.text().contains(QStringLiteral("voltage")))
                continue;
            found = true;
            const QTextLayout* layout = block.layout();
            EXPECT_GT(layout->lineCount(), 1) << c.name;
            const QRectF onPage = paged->documentLayout()->blockBoundingRect(block);
            EXPECT_LE(onPage.right(), kPage.width()) << c.name;
        }
        EXPECT_TRUE(found) << c.name;
    }
}

TEST(ManualPdfWriter, WritesOnePdfPagePerLaidOutPage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        int lines;
        bool severalPages;
    };
    for (const Case& c : {Case{3, false}, Case{400, true}}) {
        QTextDocument doc;
        ManualTypesetter().typeset(linesThen(c.lines, QStringLiteral("# End\n")), doc);
        const QString path = dir.filePath(QStringLiteral("out-%1.pdf").arg(c.lines));
        ManualPdfWriter writer(QStringLiteral("Test"));
        ASSERT_EQ(writer.write(doc, path), QString());

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF-"));
        EXPECT_EQ(pdfPageCount(bytes), writer.pageCount()) << c.lines << " lines";
        EXPECT_EQ(writer.pageCount() > 1, c.severalPages) << c.lines << " lines";
    }
}

TEST(ManualPdfWriter, UnwritableTargetIsReportedAndLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QTextDocument doc;
    ManualTypesetter().typeset(QStringLiteral("# Title\n\nText.\n"), doc);

    const QString inMissingFolder = dir.filePath(QStringLiteral("missing/MANUAL.pdf"));
    ManualPdfWriter writer(QStringLiteral("Test"));
    EXPECT_NE(writer.write(doc, inMissingFolder), QString());
    EXPECT_FALSE(QFile::exists(inMissingFolder));
    EXPECT_EQ(writer.pageCount(), 0);

    const QString aFolder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(aFolder));
    EXPECT_NE(writer.write(doc, aFolder), QString());
    EXPECT_TRUE(QFileInfo(aFolder).isDir());
}
