#pragma once

#include <QString>

#include <memory>
#include <vector>

class QPaintDevice;
class QSizeF;
class QTextDocument;

// Lays a document out on A4 pages and writes it as a PDF with a running
// footer (title left, "page of pages" right). Headings are never left alone
// at the foot of a page. The target is replaced only once the whole PDF has
// been written, so a failed run never leaves a truncated file behind.
class ManualPdfWriter {
public:
    explicit ManualPdfWriter(QString footerTitle);

    // "" on success, otherwise why the PDF could not be written.
    QString write(const QTextDocument& source, const QString& path);

    // Pages of the last successful write.
    int pageCount() const { return pageCount_; }

    // A copy of `source` laid out for `device` on pages of `pageSize` (device
    // pixels), with a page break before every heading that would otherwise
    // end a page.
    static std::unique_ptr<QTextDocument> paginate(const QTextDocument& source, QPaintDevice& device,
                                                   const QSizeF& pageSize);

private:
    struct HeadingRun {
        int first; // block numbers
        int last;
    };
    static std::vector<HeadingRun> strandedHeadingRuns(QTextDocument& doc, qreal pageHeight);

    QString footerTitle_;
    int pageCount_ = 0;
};
