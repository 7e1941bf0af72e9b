#pragma once

#include <QDialog>

class QLabel;

// "About Trelvane": the icon, the version line and an empty second line.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* versionLine() const { return versionLine_; }
    QLabel* secondLine() const { return secondLine_; }

private:
    QLabel* versionLine_ = nullptr;
    QLabel* secondLine_ = nullptr;
};
