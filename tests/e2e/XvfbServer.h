#pragma once

// A private X server for one test: Xvfb on a display number it picks itself,
// local connections only, stopped by the destructor.

#include <QProcess>
#include <QString>

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Empty on success, else why the server did not come up.
    QString start(int width, int height);
    void stop();
    QString display() const { return display_; } // ":N"

private:
    QProcess process_;
    QString display_;
};
