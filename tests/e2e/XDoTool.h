#pragma once

// Finds and drives the real windows of a program on an X display through
// xdotool, the way a user's pointer and keyboard would.

#include <QList>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <utility>

class XDoTool {
public:
    explicit XDoTool(QProcessEnvironment environment) : environment_(std::move(environment)) {}

    // Visible windows whose title is exactly `title`, with their geometry.
    struct Window {
        qulonglong id = 0;
        QRect geometry;
    };
    QList<Window> visibleWindows(const QString& title) const;

    // The first visible window titled `title` of exactly `size`, or id 0.
    Window windowOfSize(const QString& title, QSize size) const;

    // Button 1 is the left button, 3 the right one.
    bool click(qulonglong window, int x, int y, int button = 1) const;
    bool pressKey(qulonglong window, const QString& key) const;

private:
    bool run(const QStringList& arguments, QByteArray* out = nullptr) const;

    QProcessEnvironment environment_;
};
