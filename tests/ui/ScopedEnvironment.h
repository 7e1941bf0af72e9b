#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets an environment variable for one scope and puts back what was there,
// set or not: the test process keeps its own XDG folders for the tests that
// follow.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name))
    {
        qputenv(name_, value);
    }
    ~ScopedEnvironment()
    {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray saved_;
};
