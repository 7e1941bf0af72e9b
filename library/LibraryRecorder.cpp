#include "library/LibraryRecorder.h"

#include "library/FinishedRecording.h"
#include "library/LibraryPaths.h"

#include <QCoreApplication>
#include <QFile>

LibraryRecorder::LibraryRecorder(QString libraryPath, QObject* parent)
    : QObject(parent)
    , libraryPath_(libraryPath.isEmpty() ? QFile::decodeName(defaultLibraryPath().c_str()) : std::move(libraryPath))
{
    pool_.setMaxThreadCount(1); // one recording at a time, in the order they ended
}

LibraryRecorder::~LibraryRecorder()
{
    // Answers still queued go with the object: nobody is left to tell.
    pool_.waitForDone();
}

void LibraryRecorder::add(const QString& logPath)
{
    const std::string log = QFile::encodeName(logPath).toStdString();
    const std::string library = QFile::encodeName(libraryPath_).toStdString();
    // The destructor waits for the pool, so the object outlives the task; the
    // answer is queued to its thread and dropped if it is gone by then.
    pool_.start([this, logPath, log, library] {
        const AddedRecording result = addFinishedRecording(log, library, kWaitMs);
        QMetaObject::invokeMethod(this, [this, logPath, result] {
            if (result.result == AddedRecording::Result::Failed)
                emit notAdded(logPath, QString::fromStdString(result.notice));
            else if (result.result == AddedRecording::Result::Added)
                emit added(logPath);
        }, Qt::QueuedConnection);
    });
}

void LibraryRecorder::wait()
{
    pool_.waitForDone();
    // Told now: after a window closed, no event loop may run to deliver them.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
