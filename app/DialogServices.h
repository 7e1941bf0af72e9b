#pragma once

#include <QString>

class QWidget;

// The dialogs and shell calls the windows need, behind one seam so that tests
// can answer them without a real modal dialog.
class DialogServices {
public:
    virtual ~DialogServices() = default;
    // Save dialog with overwrite confirmation; "" when cancelled.
    virtual QString chooseSaveFile(QWidget* parent) = 0;
    // Open dialog; "" when cancelled.
    virtual QString chooseOpenFile(QWidget* parent) = 0;
    // A modal message box titled "Trelvane" with an OK button.
    virtual void inform(QWidget* parent, const QString& text, const QString& detail = QString()) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool ask(QWidget* parent, const QString& text, const QString& detail = QString()) = 0;
    // A message box that does not block the caller.
    virtual void notify(QWidget* parent, const QString& text, const QString& detail = QString()) = 0;
    // Open a file with the desktop's default handler.
    virtual void openWithDesktop(const QString& path) = 0;
};

// The real dialogs.
class QtDialogServices : public DialogServices {
public:
    QString chooseSaveFile(QWidget* parent) override;
    QString chooseOpenFile(QWidget* parent) override;
    void inform(QWidget* parent, const QString& text, const QString& detail) override;
    bool ask(QWidget* parent, const QString& text, const QString& detail) override;
    void notify(QWidget* parent, const QString& text, const QString& detail) override;
    void openWithDesktop(const QString& path) override;
};
