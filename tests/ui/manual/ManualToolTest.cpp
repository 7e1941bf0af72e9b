// The built user manual and its builder: MANUAL.pdf lies beside the program
// (where Help looks), is a whole multi-page PDF and explains every message
// the program shows; trelvane-manual reports bad arguments and files with
// distinct exit codes and never leaves a half-written PDF behind.
#include "tests/ui/manual/PdfPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Test binaries, tools and MANUAL.pdf share one output folder.
QString besideUs(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(besideUs(QStringLiteral("trelvane-manual")), arguments);
    ToolRun run;
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "trelvane-manual did not finish: " << tool.errorString().toStdString();
        tool.kill();
        tool.waitForFinished();
        return run;
    }
    run.exitCode = tool.exitCode();
    run.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

} // namespace

TEST(BuiltManual, IsAWholeMultiPagePdfBesideTheProgram)
{
    const QByteArray pdf = readAll(besideUs(QStringLiteral("MANUAL.pdf")));
    ASSERT_FALSE(pdf.isEmpty()) << "MANUAL.pdf missing beside " << besideUs({}).toStdString();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_GE(pdfPageCount(pdf), 5);
}

TEST(BuiltManual, ExplainsEveryMessageTheProgramShows)
{
    const QString manual = QString::fromUtf8(readAll(QStringLiteral(TRELVANE_MANUAL_SOURCE)));
    ASSERT_FALSE(manual.isEmpty());
    for (const char* message : {"USB device open failed,software will exit!", "\"exit\"", "Monitor completed",
                                "Please set log save path", "Please set open log file",
                                "Replace the existing log file", "About Trelvane", "Trelvane Version 1.0",
                                "sudo usermod -aG dialout $USER"}) {
        EXPECT_TRUE(manual.contains(QString::fromUtf8(message))) << message;
    }
}

TEST(ManualTool, RendersMarkdownToPdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = dir.filePath(QStringLiteral("in.md"));
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    ASSERT_TRUE(writeFile(in, "# Title\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n```\ncode\n```\n"));

    const ToolRun run = runTool({in, out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray pdf = readAll(out);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

TEST(ManualTool, FailuresGiveTheirExitCodeAndKeepTheTarget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = dir.filePath(QStringLiteral("in.md"));
    const QString missing = dir.filePath(QStringLiteral("missing.md"));
    const QString target = dir.filePath(QStringLiteral("target.pdf"));
    const QString unwritable = dir.filePath(QStringLiteral("no-such-folder/out.pdf"));
    const QString withMissingPicture = dir.filePath(QStringLiteral("picture.md"));
    ASSERT_TRUE(writeFile(in, "# Title\n"));
    ASSERT_TRUE(writeFile(withMissingPicture, "# Title\n\n![shot](no-such-shot.png)\n"));

    struct Case {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString errorMentions;
    };
    const Case cases[] = {
        {"no arguments", {}, 2, QStringLiteral("usage")},
        {"one argument", {in}, 2, QStringLiteral("usage")},
        {"missing input", {missing, target}, 1, missing},
        {"unwritable output", {in, unwritable}, 1, unwritable},
        {"missing picture", {withMissingPicture, target}, 1, QStringLiteral("no-such-shot.png")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(target, "previous manual"));
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(run.err.contains(c.errorMentions)) << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(readAll(target), QByteArray("previous manual")) << c.name;
        EXPECT_FALSE(QFile::exists(unwritable)) << c.name;
    }

    const ToolRun help = runTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("usage")));
}
