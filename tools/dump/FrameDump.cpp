#include "FrameDump.h"

int FrameDump::step()
{
    buffer_.fill(0);
    const int length = reader_.readFrame(buffer_);
    if (length == 0)
        return 0;
    variant_ = variantForLength(length, variant_);
    const std::string line = formatter_.line(buffer_, length, variant_) + '\n';
    std::fwrite(line.data(), 1, line.size(), out_);
    ++frames_;
    return length;
}
