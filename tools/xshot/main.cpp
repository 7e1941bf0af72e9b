// trelvane-xshot: saves a screenshot of the X display (or of one window) as PNG.
// Used by the demo and the end-to-end tests, which run under Xvfb.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "Usage: trelvane-xshot OUT.png [WINDOW-ID]\n");
        return argc < 2 ? 2 : 0;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "trelvane-xshot: no screen\n");
        return 2;
    }
    const WId window = argc > 2 ? static_cast<WId>(std::strtoull(argv[2], nullptr, 0)) : 0;
    const QPixmap shot = screen->grabWindow(window);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "trelvane-xshot: cannot save %s\n", argv[1]);
        return 2;
    }
    return 0;
}
