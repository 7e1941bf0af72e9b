#include "GuardedByteSource.h"

bool GuardedByteSource::tripped()
{
    if (!tripped_)
        tripped_ = stopRequested_.load() || (deadline_ && Clock::now() >= *deadline_);
    return tripped_;
}

int GuardedByteSource::readByte()
{
    if (tripped())
        return 0;
    return inner_.readByte();
}
