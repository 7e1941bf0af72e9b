#pragma once

#include "acquisition/LoopHost.h"

#include <QString>

// Everything the acquisition thread asks of the main window. The main window
// carries each call over to the user-interface thread; tests record them.
// Every blocking call must return promptly once the thread has been asked to
// stop (CReceiveThread::shutdown cancels them).
class AcquisitionHost : public LoopHost {
public:
    // A message box titled "Trelvane" with `text` exactly as given and `detail`
    // as its informative text; returns when the user has closed it.
    virtual void showMessage(const QString& text, const QString& detail) = 0;
    // The close request to the main window; returns when it has been handled.
    virtual void requestClose() = 0;
    // Called by CReceiveThread::shutdown from the stopping thread: every
    // blocking call in progress or to come returns at once.
    virtual void cancelBlockingCalls() = 0;
};
