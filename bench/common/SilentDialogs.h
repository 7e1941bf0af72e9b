#pragma once

#include "app/DialogServices.h"

#include <QStringList>

// Dialog services that never open a window: a benchmark has nobody to answer
// them. Messages are kept so that the benchmark can fail on an unexpected one.
class SilentDialogs : public DialogServices {
public:
    QString chooseSaveFile(QWidget*) override { return {}; }
    QString chooseOpenFile(QWidget*) override { return {}; }
    void inform(QWidget*, const QString& text, const QString&) override { messages.append(text); }
    bool ask(QWidget*, const QString& text, const QString&) override
    {
        messages.append(text);
        return false;
    }
    void notify(QWidget*, const QString& text, const QString&) override { messages.append(text); }
    void openWithDesktop(const QString&) override {}

    QStringList messages;
};
