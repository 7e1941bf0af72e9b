// trelvane-log-plot: what `trelvane-log plot` runs to draw, as it needs Qt
// Widgets and the other commands of trelvane-log do not.
#include "LogCommands.h"

#include "CommandLine.h"

int main(int argc, char** argv)
{
    cli::Commands commands(std::string(kLogTool) + "-plot",
                           "Draws the pictures of 'trelvane-log plot', which runs it; use that command.",
                           "Exit status:\n"
                           "  0  done\n"
                           "  1  a log could not be read or the picture written\n"
                           "  2  the command line is wrong");
    commands.add("plot", "FILE [MORE ...] -o OUT.png|OUT.svg [--size WxH] ...",
                 "the analysis view drawn into a picture, without a display", runPlot);
    return commands.run(argc, argv);
}
