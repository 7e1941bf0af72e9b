#include "FileByteSource.h"

#include <cerrno>

int FileByteSource::readByte()
{
    if (ended_)
        return 0;
    errno = 0;
    const int byte = std::getc(file_);
    if (byte == EOF) {
        ended_ = true;
        if (std::ferror(file_))
            error_ = errno != 0 ? errno : EIO;
        return 0;
    }
    return byte;
}
