#pragma once

// Times the real program, `trelvane FILE.tvr`, from its spawn until its main
// window shows the finished paint on the X display (run under Xvfb, on the
// xcb platform). A strip across the capacity chart is compared with the one a
// first, untimed start showed once it had settled.
class ProgramWatch {
public:
    static int run(int argc, char** argv, const char* program, const char* log, int runs);
};
