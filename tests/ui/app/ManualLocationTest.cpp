// Where Help looks for MANUAL.pdf: beside the program, then in the installed
// documentation folder, and only at files.
#include "app/ManualLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

enum class Entry { None, File, Folder };

void make(const QString& dir, Entry entry)
{
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = QDir(dir).filePath(QStringLiteral("MANUAL.pdf"));
    if (entry == Entry::Folder) {
        ASSERT_TRUE(QDir().mkpath(path));
    }
    if (entry == Entry::File) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
    }
}

TEST(ManualLocation, BesideTheProgramFirstThenTheInstalledDocumentation)
{
    const struct {
        Entry beside;
        Entry installed;
        bool withDocDir;
        const char* expected; // "bin" or "doc"
    } cases[] = {
        {Entry::File, Entry::File, true, "bin"},     {Entry::File, Entry::None, true, "bin"},
        {Entry::None, Entry::File, true, "doc"},     {Entry::Folder, Entry::File, true, "doc"},
        {Entry::None, Entry::None, true, "bin"},     {Entry::None, Entry::Folder, true, "bin"},
        {Entry::None, Entry::File, false, "bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.beside) << " " << int(c.installed) << " " << c.withDocDir);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString doc = root.filePath(QStringLiteral("doc"));
        make(bin, c.beside);
        make(doc, c.installed);
        const QString expected = root.filePath(QString::fromLatin1(c.expected) + QStringLiteral("/MANUAL.pdf"));
        EXPECT_EQ(ManualLocation::find(bin, c.withDocDir ? doc : QString()), expected);
    }
}

TEST(ManualLocation, InstalledFolderIsTheAbsoluteDocumentationFolder)
{
    const QString doc = ManualLocation::installedDocDir();
    EXPECT_TRUE(QDir::isAbsolutePath(doc)) << doc.toStdString();
    EXPECT_TRUE(doc.endsWith(QStringLiteral("/share/doc/trelvane"))) << doc.toStdString();
}

} // namespace
