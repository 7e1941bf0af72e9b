#include "app/CControlDlg.h"

#include "acquisition/PortMemory.h"
#include "app/DialogServices.h"
#include "controls/CImageButton.h"
#include "controls/DialogUnits.h"
#include "controls/PlainToolTip.h"
#include "doctor/PortSurvey.h"
#include "recording/LogFile.h"
#include "res/Bitmaps.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>

#include <algorithm>

namespace {

constexpr int kPortCount = 13; // COM3 .. COM15
// The port list's template size is 64 x 71 dialog units: the closed field
// (12 high) and the dropped list under it, which scrolls.
constexpr int kPortFieldHeightDu = 12;
constexpr int kPortListHeightDu = 71;

// Some styles (Fusion among them) drop a combo box's entries as a menu that
// shows all of them, over whatever lies around; this one asks for the plain
// list, which keeps to the rows it is given and scrolls.
class ListPopupStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

CImageButton* makeButton(QWidget* parent, const QString& caption, QRect geometry)
{
    auto* button = new CImageButton(caption, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CControlDlg::CControlDlg(AppState& app, DialogServices& services, QWidget* parent)
    : QDialog(parent), app_(app), services_(services)
{
    setWindowTitle(QStringLiteral("Trelvane"));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setFixedSize(DialogUnits::x(387), DialogUnits::y(191));

    // Created in the template's tab order.
    saveEdit_ = new QLineEdit(this);
    saveEdit_->setGeometry(DialogUnits::rect(98, 90, 169, 12));
    openEdit_ = new QLineEdit(this);
    openEdit_->setGeometry(DialogUnits::rect(98, 113, 169, 12));
    saveButton_ = makeButton(this, QStringLiteral("SAVE"), DialogUnits::rect(290, 86, 32, 17));
    openButton_ = makeButton(this, QStringLiteral("Open"), DialogUnits::rect(290, 111, 32, 15));
    portList_ = new QComboBox(this);
    portList_->setGeometry(DialogUnits::x(19), DialogUnits::y(160), DialogUnits::x(64),
                           DialogUnits::y(kPortFieldHeightDu));
    for (int i = 0; i < kPortCount; ++i)
        portList_->addItem(QStringLiteral("COM%1").arg(i + 3));
    // Which device each entry reaches now, or "not present".
    const PortSurvey survey;
    for (int i = 0; i < kPortCount; ++i)
        portList_->setItemData(i, plainToolTip(PortSurvey::entryDescription(survey.monitorPort(i + 3), i + 3)),
                               Qt::ToolTipRole);
    auto* popupStyle = new ListPopupStyle;
    popupStyle->setParent(portList_);
    portList_->setStyle(popupStyle);
    portList_->setMaxVisibleItems(visiblePortRows());
    startButton_ = makeButton(this, QStringLiteral("start"), DialogUnits::rect(94, 159, 56, 16));
    readButton_ = makeButton(this, QStringLiteral("read"), DialogUnits::rect(171, 160, 54, 15));
    exitButton_ = makeButton(this, QStringLiteral("Exit"), DialogUnits::rect(317, 158, 56, 16));
    startButton_->setDefaultButton(true);

    startButton_->fullSetUp(151, 152);
    readButton_->fullSetUp(151, 152);
    exitButton_->fullSetUp(151, 152);
    openButton_->fullSetUp(145, 146);
    saveButton_->fullSetUp(145, 146);

    portList_->setCurrentIndex(PortMemory::load());

    connect(startButton_, &QPushButton::clicked, this, &CControlDlg::accept);
    connect(readButton_, &QPushButton::clicked, this, &CControlDlg::onRead);
    connect(exitButton_, &QPushButton::clicked, this, &CControlDlg::reject);
    connect(saveButton_, &QPushButton::clicked, this, &CControlDlg::onSave);
    connect(openButton_, &QPushButton::clicked, this, &CControlDlg::onOpen);
}

int CControlDlg::visiblePortRows() const
{
    // As many whole rows as the list's part of the template height holds,
    // inside the popup's frame.
    const int listHeight = DialogUnits::y(kPortListHeightDu) - DialogUnits::y(kPortFieldHeightDu);
    const int frame = 2 * portList_->view()->frameWidth();
    const int row = std::max(1, portList_->view()->sizeHintForRow(0));
    return std::clamp((listHeight - frame) / row, 1, kPortCount);
}

void CControlDlg::preselectPort(int portIndex)
{
    if (portIndex >= 0 && portIndex < kPortCount)
        portList_->setCurrentIndex(portIndex);
}

void CControlDlg::presetSavePath(const QString& path)
{
    saveText_ = path;
    transferToControls();
}

void CControlDlg::transferToControls()
{
    openEdit_->setText(openText_);
    saveEdit_->setText(saveText_);
}

void CControlDlg::transferFromControls()
{
    openText_ = openEdit_->text();
    saveText_ = saveEdit_->text();
}

void CControlDlg::onSave()
{
    const QString chosen = services_.chooseSaveFile(this);
    if (!chosen.isEmpty()) {
        saveText_ = chosen;
        // Case-sensitive on purpose: "LOG.TVR" becomes "LOG.TVR.tvr".
        if (!saveText_.endsWith(QStringLiteral(".tvr"), Qt::CaseSensitive))
            saveText_ += QStringLiteral(".tvr");
        confirmedSavePath_ = chosen == saveText_ ? saveText_ : QString();
    }
    transferToControls();
}

void CControlDlg::onOpen()
{
    const QString chosen = services_.chooseOpenFile(this);
    if (!chosen.isEmpty())
        openText_ = chosen;
    transferToControls();
}

bool CControlDlg::confirmReplacing(const QString& path)
{
    // The save dialog already asked about a file chosen there; a typed path
    // naming a recorded charge must not be emptied without asking.
    if (path == confirmedSavePath_)
        return true;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return true;
    return services_.ask(this, QStringLiteral("Replace the existing log file \"%1\"?").arg(path),
                         QStringLiteral("It already holds %1 bytes of recorded data; starting empties it.")
                             .arg(info.size()));
}

void CControlDlg::accept()
{
    transferFromControls();
    if (saveText_.isEmpty()) {
        services_.inform(this, QStringLiteral("Please set log save path"));
        saveEdit_->setFocus();
        return;
    }
    if (!confirmReplacing(saveText_))
        return;
    app_.words.runMode.store(RunMode::Live);
    app_.words.portIndex.store(portList_->currentIndex());
    app_.logSavePath = saveText_;
    const std::string error = createLogFile(QFile::encodeName(saveText_).toStdString());
    if (!error.empty()) {
        services_.inform(this, QString::fromStdString(error), QStringLiteral("Log file: %1").arg(saveText_));
        return;
    }
    QDialog::accept();
}

void CControlDlg::onRead()
{
    transferFromControls();
    if (openText_.isEmpty()) {
        services_.inform(this, QStringLiteral("Please set open log file"));
        openEdit_->setFocus();
        return;
    }
    app_.words.runMode.store(RunMode::Replay);
    app_.logOpenPath = openText_;
    QDialog::accept();
}

void CControlDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawStretchedBitmap(painter, rect(), 140);
}
