#pragma once

#include "app/DialogServices.h"

#include <QStringList>

#include <deque>

// Answers the dialogs the windows ask for and records what they showed.
class FakeDialogServices : public DialogServices {
public:
    QString chooseSaveFile(QWidget*) override { return take(saveAnswers); }
    QString chooseOpenFile(QWidget*) override { return take(openAnswers); }
    void inform(QWidget*, const QString& text, const QString& detail) override
    {
        informed << text;
        details << detail;
    }
    bool ask(QWidget*, const QString& text, const QString&) override
    {
        asked << text;
        return askAnswer;
    }
    void notify(QWidget*, const QString& text, const QString& detail) override
    {
        notified << text;
        details << detail;
    }
    void openWithDesktop(const QString& path) override { opened << path; }

    std::deque<QString> saveAnswers;
    std::deque<QString> openAnswers;
    bool askAnswer = false;
    QStringList informed;
    QStringList asked;
    QStringList notified;
    QStringList details;
    QStringList opened;

private:
    static QString take(std::deque<QString>& answers)
    {
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
