// The remembered port index: round trip through the per-user INI file, and
// 0 for anything missing, malformed or out of range.

#include "acquisition/PortMemory.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PortMemoryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        hadConfigHome_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        // QSettings caches the user folder on first use; point it here explicitly too.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    void TearDown() override
    {
        if (hadConfigHome_)
            qputenv("XDG_CONFIG_HOME", savedConfigHome_);
        else
            qunsetenv("XDG_CONFIG_HOME");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QString iniPath() const { return dir.filePath("Trelvane/Trelvane.ini"); }
    void writeIni(const QByteArray& content)
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath("Trelvane"));
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QTemporaryDir dir;

private:
    bool hadConfigHome_ = false;
    QByteArray savedConfigHome_;
};

} // namespace

TEST_F(PortMemoryFile, MissingFileGivesFirstPort)
{
    EXPECT_EQ(PortMemory::load(), 0);
}

TEST_F(PortMemoryFile, SavedIndexIsLoadedBackFromTheUserIniFile)
{
    for (int index : {12, 0, 7}) {
        PortMemory::save(index);
        EXPECT_EQ(PortMemory::load(), index);
    }
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "settings not in the per-user folder";
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("[serial]")) << content.toStdString();
    EXPECT_TRUE(content.contains("portIndex=7")) << content.toStdString();
}

TEST_F(PortMemoryFile, UnusableStoredValuesGiveFirstPort)
{
    const QByteArray contents[] = {
        "[serial]\nportIndex=13\n",
        "[serial]\nportIndex=-1\n",
        "[serial]\nportIndex=99999999999999\n",
        "[serial]\nportIndex=COM5\n",
        "[serial]\nportIndex=\n",
        "[serial]\nportIndex=3.5\n",
        "[other]\nportIndex=4\n",
        QByteArray("\xff\xfe\0\x01garbage[[[=\n", 17),
    };
    for (const QByteArray& content : contents) {
        writeIni(content);
        EXPECT_EQ(PortMemory::load(), 0) << content.toStdString();
    }
    writeIni("[serial]\nportIndex=4\n");
    EXPECT_EQ(PortMemory::load(), 4) << "a well-formed file must still load";
}

TEST_F(PortMemoryFile, SaveIntoAnUnwritableFolderIsIgnored)
{
    // A file where the settings folder should be makes every write fail.
    QFile blocker(dir.filePath("Trelvane"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PortMemory::save(5);
    EXPECT_EQ(PortMemory::load(), 0);
}
