#pragma once

#include "acquisition/DecoderHost.h"

// What the acquisition loop asks of its owner beyond the decoder's calls.
class LoopHost : public DecoderHost {
public:
    // The data stopped during a recorded charge.
    virtual void beep() = 0;
};
