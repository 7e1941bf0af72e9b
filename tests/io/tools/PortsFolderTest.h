#pragma once

// A fixture for the programs that find their ports by name: a temporary
// folder whose "ports" folder stands for the system's, named to the programs
// through TRELVANE_PORTS_DIR in env_.

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class PortsFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("ports")));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("TRELVANE_PORTS_DIR"), ports());
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString ports() const { return path(QStringLiteral("ports")); }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
};
