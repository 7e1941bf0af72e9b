#pragma once

// What decoding a frame asks of the main window. The acquisition thread passes
// these on to the user-interface thread; tests record them.
class DecoderHost {
public:
    virtual ~DecoderHost() = default;
    // Start timer 100 (1000 ms) of the main window; returns the timer id, 0 on failure.
    virtual int startRecordingTimer() = 0;
    virtual void stopRecordingTimer() = 0;
    // Repaint the whole overview panel without erasing its background.
    virtual void repaintOverviewWithoutErase() = 0;
};
