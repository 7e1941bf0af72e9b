// trelvane-artgen OUTDIR: draws every bitmap of the program into OUTDIR/<id>.png.
#include "Artworks.h"
#ifdef TRELVANE_ARTGEN_SVG
#include "ScalableIcon.h"
#endif

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: trelvane-artgen OUTDIR\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[1]));
        return 1;
    }
    int failures = 0;
    for (const Artwork& art : artworks()) {
        const QString path = out.filePath(art.name + QStringLiteral(".png"));
        QImageWriter writer(path, "png");
        // Fixed compression keeps regenerated files byte-identical.
        writer.setCompression(9);
        if (!writer.write(render(art))) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
#ifdef TRELVANE_ARTGEN_SVG
    const QString scalable = out.filePath(QStringLiteral("128.svg"));
    const QString error = writeScalableIcon(scalable);
    if (error.isEmpty()) {
        std::printf("%s\n", qPrintable(scalable));
    } else {
        std::fprintf(stderr, "%s: %s\n", qPrintable(scalable), qPrintable(error));
        ++failures;
    }
#else
    std::fprintf(stderr, "built without Qt SVG: 128.svg, the scalable icon, is not redrawn\n");
#endif
    return failures == 0 ? 0 : 1;
}
