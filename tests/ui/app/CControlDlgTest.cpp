// The control dialog: the ".tvr" rule, the empty-path messages and focus, what
// "start" and "read" store, the data transfer that resets typed text, Esc, the
// remembered port, the port list dropping within its template height, and the
// question before a typed path empties a recording.
#include "acquisition/PortMemory.h"
#include "app/AppState.h"
#include "app/CControlDlg.h"
#include "controls/CImageButton.h"
#include "tests/ui/app/FakeDialogServices.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QFile>
#include <QScrollBar>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

namespace {

class ControlDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = std::make_unique<CControlDlg>(app, services);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QString pathIn(const QString& name) const { return dir.filePath(name); }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static qint64 sizeOf(const QString& path) { return QFileInfo(path).size(); }

    void click(CImageButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); }

    QTemporaryDir dir;
    AppState app;
    FakeDialogServices services;
    std::unique_ptr<CControlDlg> dialog;
};

TEST_F(ControlDialog, SaveDialogChoiceGetsTheCaseSensitiveTvrExtension)
{
    const struct {
        QString chosen;
        QString stored;
    } cases[] = {
        {"/data/run", "/data/run.tvr"},
        {"/data/run.tvr", "/data/run.tvr"},
        {"/data/RUN.TVR", "/data/RUN.TVR.tvr"},
        {"/data/run.log", "/data/run.log.tvr"},
    };
    for (const auto& c : cases) {
        services.saveAnswers.push_back(c.chosen);
        click(dialog->saveButton());
        EXPECT_EQ(dialog->savePathEdit()->text(), c.stored) << c.chosen.toStdString();
    }
}

TEST_F(ControlDialog, OpenDialogChoiceIsTakenWithoutExtensionCheck)
{
    services.openAnswers.push_back("/data/old.bin");
    click(dialog->openButton());
    EXPECT_EQ(dialog->openPathEdit()->text(), "/data/old.bin");
}

TEST_F(ControlDialog, StartWithoutSavePathAsksForOneAndStaysOpen)
{
    click(dialog->startButton());
    EXPECT_EQ(services.informed, QStringList{"Please set log save path"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->savePathEdit()->hasFocus());
}

TEST_F(ControlDialog, ReadWithoutOpenPathAsksForOneAndStaysOpen)
{
    click(dialog->readButton());
    EXPECT_EQ(services.informed, QStringList{"Please set open log file"});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->openPathEdit()->hasFocus());
}

TEST_F(ControlDialog, StartStoresPortAndPathAndEmptiesTheLogFile)
{
    const QString path = pathIn("charge.tvr");
    services.saveAnswers.push_back(path);
    writeFile(path, QByteArray(128, 'x'));
    click(dialog->saveButton()); // confirmed in the save dialog: no second question
    dialog->portList()->setCurrentIndex(dialog->portList()->findText("COM7"));
    app.words.runMode = 1;
    click(dialog->startButton());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(services.asked.isEmpty());
    EXPECT_EQ(app.words.runMode.load(), 0);
    EXPECT_EQ(app.words.portIndex.load(), 4);
    EXPECT_EQ(app.logSavePath, path);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(sizeOf(path), 0);
}

TEST_F(ControlDialog, TypedPathOfARecordingIsEmptiedOnlyAfterConfirmation)
{
    const QString path = pathIn("yesterday.tvr");
    writeFile(path, QByteArray(640, 'r'));
    dialog->savePathEdit()->setText(path);

    services.askAnswer = false;
    click(dialog->startButton());
    ASSERT_EQ(services.asked.size(), 1);
    EXPECT_TRUE(services.asked.first().contains(path));
    EXPECT_TRUE(services.asked.first().startsWith("Replace the existing log file"));
    EXPECT_EQ(sizeOf(path), 640);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    services.askAnswer = true;
    click(dialog->startButton());
    EXPECT_EQ(services.asked.size(), 2);
    EXPECT_EQ(sizeOf(path), 0);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(ControlDialog, TypedPathOfAnEmptyOrMissingFileNeedsNoQuestion)
{
    const QString path = pathIn("new.tvr");
    dialog->savePathEdit()->setText(path);
    click(dialog->startButton());
    EXPECT_TRUE(services.asked.isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(ControlDialog, LogFileThatCannotBeCreatedShowsTheSystemReason)
{
    const QString badPaths[] = {pathIn("missing/folder/run.tvr"), dir.path()};
    for (const QString& path : badPaths) {
        services.informed.clear();
        services.details.clear();
        dialog->savePathEdit()->setText(path);
        click(dialog->startButton());
        ASSERT_EQ(services.informed.size(), 1) << path.toStdString();
        EXPECT_FALSE(services.informed.first().isEmpty());
        EXPECT_TRUE(services.details.first().contains(path));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_NE(dialog->result(), QDialog::Accepted);
    }
}

TEST_F(ControlDialog, ReadTakesATypedPathAndLeavesThePortAlone)
{
    app.words.portIndex = 7;
    dialog->openPathEdit()->setText("/data/typed.tvr");
    click(dialog->readButton());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(app.words.runMode.load(), 1);
    EXPECT_EQ(app.logOpenPath, "/data/typed.tvr");
    EXPECT_EQ(app.words.portIndex.load(), 7);
}

TEST_F(ControlDialog, FileButtonsResetTypedTextToTheStoredTexts)
{
    dialog->savePathEdit()->setText("/typed/but/never/stored.tvr");
    click(dialog->openButton()); // cancelled
    EXPECT_EQ(dialog->savePathEdit()->text(), "");
}

TEST_F(ControlDialog, EscapeActsAsExit)
{
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ControlDialog, ExitButtonTouchesNothing)
{
    click(dialog->exitButton());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(app.logSavePath.isEmpty());
}

TEST(ControlDialogPorts, ListsCom3ToCom15AndSelectsTheRememberedPort)
{
    AppState app;
    FakeDialogServices services;
    PortMemory::save(9);
    CControlDlg dialog(app, services);
    ASSERT_EQ(dialog.portList()->count(), 13);
    EXPECT_EQ(dialog.portList()->itemText(0), "COM3");
    EXPECT_EQ(dialog.portList()->itemText(12), "COM15");
    EXPECT_EQ(dialog.portList()->currentIndex(), 9);

    PortMemory::save(99); // nothing usable remembered
    CControlDlg second(app, services);
    EXPECT_EQ(second.portList()->currentText(), "COM3");
}

// The text a tool tip shows: markup is rendered, anything else is shown as it is.
QString shownText(const QString& toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

TEST(ControlDialogPorts, EveryEntryTellsTheDeviceBehindItOrNotPresent)
{
    // A ports folder whose name looks like markup: it must show as written.
    QTemporaryDir base;
    const QString portsDir = base.filePath(QStringLiteral("<b>ports</b>"));
    ASSERT_TRUE(QDir().mkpath(portsDir));
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString device = QString::fromLocal8Bit(name);
    ASSERT_TRUE(QFile::link(device, portsDir + QStringLiteral("/COM5")));
    const QByteArray saved = qgetenv("TRELVANE_PORTS_DIR");
    const bool hadPortsDir = qEnvironmentVariableIsSet("TRELVANE_PORTS_DIR");
    qputenv("TRELVANE_PORTS_DIR", QFile::encodeName(portsDir));

    AppState app;
    FakeDialogServices services;
    CControlDlg dialog(app, services);
    const QString com5 = dialog.portList()->itemData(2, Qt::ToolTipRole).toString();
    const QString com15 = dialog.portList()->itemData(12, Qt::ToolTipRole).toString();

    if (hadPortsDir)
        qputenv("TRELVANE_PORTS_DIR", saved);
    else
        qunsetenv("TRELVANE_PORTS_DIR");
    ::close(master);
    ::close(slave);

    EXPECT_EQ(dialog.portList()->itemText(2), "COM5");
    EXPECT_EQ(shownText(com5).toStdString(), (device + " via " + portsDir + "/COM5").toStdString());
    if (!QFileInfo::exists("/dev/ttyUSB12") && !QFileInfo::exists("/dev/ttyACM12")) {
        EXPECT_EQ(com15.toStdString(), "not present");
    }
    for (int i = 0; i < dialog.portList()->count(); ++i)
        EXPECT_FALSE(dialog.portList()->itemData(i, Qt::ToolTipRole).toString().isEmpty()) << i;
}

TEST_F(ControlDialog, PortListDropsAScrollingListWithinItsTemplateHeight)
{
    QComboBox* list = dialog->portList();
    list->setCurrentIndex(0);
    list->showPopup();
    QAbstractItemView* view = list->view();
    QWidget* popup = view->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));

    // 64 x 71 dialog units for field and list together: 124 pixels from the field's top.
    const QRect field(list->mapToGlobal(QPoint(0, 0)), list->size());
    const QRect dropped = popup->geometry();
    int wholeRows = 0;
    for (int row = 0; row < list->count(); ++row) {
        if (view->viewport()->rect().contains(view->visualRect(list->model()->index(row, 0))))
            ++wholeRows;
    }
    // Qt lays the list's top edge on the field's bottom row.
    EXPECT_GE(dropped.top(), field.bottom()) << "the list covers its own field";
    EXPECT_LE(dropped.top() + dropped.height(), field.top() + 124) << "the list reaches beyond its template height";
    EXPECT_GE(wholeRows, 3);
    EXPECT_LT(wholeRows, list->count());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());

    // The last port is there to scroll to.
    view->scrollTo(list->model()->index(list->count() - 1, 0));
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(list->model()->index(list->count() - 1, 0))));
    list->hidePopup();
}

TEST(ControlDialogLayout, ButtonsTakeTheSizeOfTheirBitmaps)
{
    AppState app;
    FakeDialogServices services;
    CControlDlg dialog(app, services);
    EXPECT_EQ(dialog.size(), QSize(580, 334));
    EXPECT_EQ(dialog.startButton()->size(), QSize(82, 26));
    EXPECT_EQ(dialog.exitButton()->size(), QSize(82, 26));
    EXPECT_EQ(dialog.saveButton()->size(), QSize(56, 33));
    EXPECT_EQ(dialog.openButton()->pos(), QPoint(435, 194));
}

} // namespace
