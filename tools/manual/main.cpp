// trelvane-manual IN.md OUT.pdf: renders the Markdown user manual to an A4 PDF.
#include "ManualPdfWriter.h"
#include "ManualTypesetter.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

void printUsage(FILE* to)
{
    std::fputs("usage: trelvane-manual IN.md OUT.pdf\n"
               "Renders the Markdown file IN.md to the A4 PDF OUT.pdf.\n", to);
}

void fail(const QString& message)
{
    std::fprintf(stderr, "trelvane-manual: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    // A build machine has no display; fonts come from fontconfig either way.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h"))) {
        printUsage(stdout);
        return 0;
    }
    if (args.size() != 3) {
        printUsage(stderr);
        return 2;
    }

    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(args[1], in.errorString()));
        return 1;
    }
    const QString markdown = QString::fromUtf8(in.readAll());
    if (in.error() != QFileDevice::NoError) {
        fail(QStringLiteral("cannot read %1: %2").arg(args[1], in.errorString()));
        return 1;
    }

    QTextDocument doc;
    ManualTypesetter().typeset(markdown, doc, QUrl::fromLocalFile(QFileInfo(args[1]).absoluteFilePath()));
    const QStringList missing = ManualTypesetter::missingImages(doc);
    if (!missing.isEmpty()) {
        fail(QStringLiteral("%1: cannot load the picture %2").arg(args[1], missing.join(QStringLiteral(", "))));
        return 1;
    }
    QString title = ManualTypesetter::firstHeading(doc);
    if (title.isEmpty())
        title = QFileInfo(args[1]).completeBaseName();

    ManualPdfWriter writer(title);
    const QString error = writer.write(doc, args[2]);
    if (!error.isEmpty()) {
        fail(QStringLiteral("cannot write %1: %2").arg(args[2], error));
        return 1;
    }
    return 0;
}
