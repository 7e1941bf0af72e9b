#pragma once

#include "app/AppState.h"

#include <QDialog>

class CImageButton;
class DialogServices;
class QComboBox;
class QLineEdit;

// The first window of a run: choose the port and the log file to record
// ("start"), or a log file to replay ("read"), or nothing ("Exit").
class CControlDlg : public QDialog {
    Q_OBJECT
public:
    CControlDlg(AppState& app, DialogServices& services, QWidget* parent = nullptr);

    // Command-line presets: the port list entry and the save-path text.
    void preselectPort(int portIndex);
    void presetSavePath(const QString& path);

    QLineEdit* savePathEdit() const { return saveEdit_; }
    QLineEdit* openPathEdit() const { return openEdit_; }
    QComboBox* portList() const { return portList_; }
    CImageButton* startButton() const { return startButton_; }
    CImageButton* readButton() const { return readButton_; }
    CImageButton* exitButton() const { return exitButton_; }
    CImageButton* saveButton() const { return saveButton_; }
    CImageButton* openButton() const { return openButton_; }

public slots:
    void accept() override; // "start"
    void onSave();
    void onOpen();
    void onRead();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int visiblePortRows() const;
    void transferToControls();
    void transferFromControls();
    bool confirmReplacing(const QString& path);

    AppState& app_;
    DialogServices& services_;
    QLineEdit* saveEdit_ = nullptr;
    QLineEdit* openEdit_ = nullptr;
    QComboBox* portList_ = nullptr;
    CImageButton* saveButton_ = nullptr;
    CImageButton* openButton_ = nullptr;
    CImageButton* startButton_ = nullptr;
    CImageButton* readButton_ = nullptr;
    CImageButton* exitButton_ = nullptr;
    QString openText_;
    QString saveText_;
    QString confirmedSavePath_; // chosen in the save dialog, which already asked about overwriting
};
