#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

// Puts a run that has just been recorded into the run library, on a thread of
// its own so that the window never waits for the library (another program may
// be writing it). The log is complete before this is asked; a failure only
// means the run is not in the library yet, and is told through notAdded().
class LibraryRecorder : public QObject {
    Q_OBJECT
public:
    // A window waits at most this long for a library another program holds,
    // also while it closes.
    static constexpr int kWaitMs = 2000;

    // The user's library unless `libraryPath` is given.
    explicit LibraryRecorder(QString libraryPath = {}, QObject* parent = nullptr);
    ~LibraryRecorder() override; // waits for an add still running

    const QString& libraryPath() const { return libraryPath_; }
    // Returns at once; added() or notAdded() follows on this object's thread.
    void add(const QString& logPath);
    // Waits until every add asked for has ended, and sends its added() or
    // notAdded() before it returns.
    void wait();

signals:
    void added(const QString& logPath);
    void notAdded(const QString& logPath, const QString& notice);

private:
    QString libraryPath_;
    QThreadPool pool_;
};
