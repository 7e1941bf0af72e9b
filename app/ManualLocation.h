#pragma once

#include <QString>

// Where Help finds MANUAL.pdf: beside the program first (a build tree, a
// folder copied as a whole), then in the installed documentation folder (a
// package, where programs' folders hold programs only).
class ManualLocation {
public:
    // The first of programDir/MANUAL.pdf and docDir/MANUAL.pdf that is a file;
    // the first when neither is, so that Help keeps finding nothing there.
    static QString find(const QString& programDir, const QString& docDir);

    // find() for this program and the documentation folder it was built for.
    static QString forThisProgram();

    // The documentation folder of the installation, fixed at build time.
    static QString installedDocDir();
};
