#include "ManualPdfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>
#include <set>
#include <utility>

namespace {

constexpr int kDotsPerInch = 300;
constexpr qreal kMillimetresPerInch = 25.4;

// Page frame in millimetres: body margins and the footer line beneath the body.
constexpr qreal kLeftMm = 22;
constexpr qreal kRightMm = 20;
constexpr qreal kTopMm = 20;
constexpr qreal kBottomMm = 24;
constexpr qreal kFooterGapMm = 8;
constexpr int kMaxPaginationAttempts = 16;

qreal dots(qreal millimetres)
{
    return millimetres * kDotsPerInch / kMillimetresPerInch;
}

// Top of the block's first line in document coordinates. The layout moves a
// line that would cross the foot of a page down to the next page without
// moving the block's bounding rectangle, so the line has the last word.
qreal firstLineTop(QTextDocument& doc, const QTextBlock& block)
{
    const qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    const QTextLayout* layout = block.layout();
    return layout && layout->lineCount() > 0 ? top + layout->lineAt(0).y() : top;
}

int pageOf(QTextDocument& doc, const QTextBlock& block, qreal pageHeight)
{
    // Half a pixel of slack: a line moved to a page starts exactly on its top.
    return static_cast<int>(std::floor((firstLineTop(doc, block) + 0.5) / pageHeight));
}

bool isHeading(const QTextBlock& block)
{
    return block.isValid() && block.blockFormat().headingLevel() > 0;
}

} // namespace

ManualPdfWriter::ManualPdfWriter(QString footerTitle) : footerTitle_(std::move(footerTitle)) {}

QString ManualPdfWriter::write(const QTextDocument& source, const QString& path)
{
    pageCount_ = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();

    QPdfWriter pdf(&file);
    pdf.setResolution(kDotsPerInch);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    pdf.setTitle(footerTitle_);
    pdf.setCreator(QStringLiteral("trelvane-manual"));

    const QSizeF page = QPageSize(QPageSize::A4).rect(QPageSize::Millimeter).size();
    const QRectF body(dots(kLeftMm), dots(kTopMm),
                      dots(page.width() - kLeftMm - kRightMm),
                      dots(page.height() - kTopMm - kBottomMm));

    const std::unique_ptr<QTextDocument> doc = paginate(source, pdf, body.size());
    const int pages = doc->pageCount();

    QPainter painter;
    if (!painter.begin(&pdf))
        return QStringLiteral("cannot start a PDF on %1").arg(path);

    QFont footerFont(QStringLiteral("Liberation Sans"));
    footerFont.setPointSizeF(8);
    const qreal footerY = body.bottom() + dots(kFooterGapMm);
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !pdf.newPage())
            return QStringLiteral("cannot add page %1 to %2").arg(index + 1).arg(path);

        painter.save();
        painter.translate(body.left(), body.top() - index * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        // Layout positions are off by a fraction of a pixel at times; a window
        // half a pixel higher keeps a picture that starts the next page from
        // leaving a sliver at the foot of this one.
        context.clip = QRectF(0, index * body.height() - 0.5, body.width(), body.height());
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        doc->documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), dots(0.2)));
        painter.drawLine(QPointF(body.left(), footerY - dots(4)), QPointF(body.right(), footerY - dots(4)));
        painter.setPen(Qt::black);
        painter.setFont(footerFont);
        const QRectF footer(body.left(), footerY - dots(2), body.width(), dots(6));
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignTop, footerTitle_);
        painter.drawText(footer, Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("Page %1 of %2").arg(index + 1).arg(pages));
    }
    if (!painter.end())
        return QStringLiteral("cannot finish the PDF %1").arg(path);
    if (!file.commit())
        return file.errorString();
    pageCount_ = pages;
    return {};
}

// Runs of headings (a heading and the headings directly above it on the same
// page) whose following block starts on a later page.
std::vector<ManualPdfWriter::HeadingRun> ManualPdfWriter::strandedHeadingRuns(QTextDocument& doc,
                                                                              qreal pageHeight)
{
    std::vector<HeadingRun> runs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextBlock next = block.next();
        if (!isHeading(block) || !next.isValid())
            continue;
        const int page = pageOf(doc, block, pageHeight);
        if (pageOf(doc, next, pageHeight) <= page)
            continue;
        HeadingRun run{block.blockNumber(), block.blockNumber()};
        for (QTextBlock above = block.previous(); isHeading(above) && pageOf(doc, above, pageHeight) == page;
             above = above.previous())
            run.first = above.blockNumber();
        runs.push_back(run);
    }
    return runs;
}

// Each attempt lays out a fresh copy: relaying out a paginated document in
// place after a format change leaves lines on the wrong pages. The break goes
// before the first heading of a stranded run only; a break before each of
// them would give every heading a page of its own.
std::unique_ptr<QTextDocument> ManualPdfWriter::paginate(const QTextDocument& source, QPaintDevice& device,
                                                         const QSizeF& pageSize)
{
    std::set<int> breaks;
    for (int attempt = 0;; ++attempt) {
        std::unique_ptr<QTextDocument> doc(source.clone());
        QTextBlockFormat breakBefore;
        breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        for (int number : breaks)
            QTextCursor(doc->findBlockByNumber(number)).mergeBlockFormat(breakBefore);
        doc->documentLayout()->setPaintDevice(&device);
        doc->setPageSize(pageSize);

        bool changed = false;
        for (const HeadingRun& run : strandedHeadingRuns(*doc, pageSize.height())) {
            changed = breaks.insert(run.first).second || changed;
            for (int number = run.first + 1; number <= run.last; ++number)
                changed = breaks.erase(number) > 0 || changed;
        }
        if (!changed || attempt == kMaxPaginationAttempts)
            return doc;
    }
}
