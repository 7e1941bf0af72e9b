// Paths, port names and system reasons shown in message boxes read literally:
// a file or folder named with markup is neither rendered nor made a link, in
// every box that can show one (the control dialog's file error and its
// question, the main window's notices, the acquisition thread's boxes), and
// in the tool tips that show a path.
#include "app/AppState.h"
#include "app/CControlDlg.h"
#include "app/CMonitorDlg.h"
#include "app/DialogServices.h"
#include "analysis/AnalysisWindow.h"
#include "controls/PlainToolTip.h"
#include "library/RunTableModel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A valid file name (no slash) that rich text would turn into a link and bold type.
const QString kMarkup = QStringLiteral("<a href=trelvane-test:x>link<b>bold");

// What a label shows. A label that renders rich text holds a document of what
// it displays; one that shows plain text displays its text as it stands.
QString shownText(const QLabel* label)
{
    if (const auto* document = label->findChild<QTextDocument*>())
        return document->toPlainText();
    return label->text();
}

QStringList shownTexts(const QMessageBox* box)
{
    QStringList texts;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            texts << shownText(label);
    }
    return texts;
}

bool showsLiterally(const QStringList& texts, const QString& path)
{
    for (const QString& text : texts) {
        if (text.contains(path))
            return true;
    }
    return false;
}

QMessageBox* visibleBox()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    }
    return nullptr;
}

// Runs `show` and returns the texts of the first box it brings up, closing it
// (from inside its event loop when the box is modal).
QStringList textsOfBoxShownBy(const std::function<void()>& show)
{
    QStringList texts;
    bool seen = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        QMessageBox* box = visibleBox();
        if (seen || box == nullptr)
            return;
        seen = true;
        texts = shownTexts(box);
        box->done(QMessageBox::No);
    });
    watcher.start(10);
    show();
    QDeadlineTimer deadline(5000);
    while (!seen && !deadline.hasExpired())
        QTest::qWait(10);
    return texts;
}

class PlainTextBoxes : public ::testing::Test {
protected:
    void TearDown() override { qunsetenv("TRELVANE_PORTS_DIR"); }

    // A folder named with markup, inside the temporary one.
    QString markupFolder()
    {
        const QString folder = dir.filePath(kMarkup);
        EXPECT_TRUE(QDir().mkpath(folder));
        return folder;
    }

    QTemporaryDir dir;
    AppState app;
    QtDialogServices services;
    std::unique_ptr<CMonitorDlg> window; // kept until its box has been seen
};

TEST_F(PlainTextBoxes, ShowEveryPathLiterally)
{
    const struct {
        const char* box;
        std::function<QString()> showBoxAndReturnPath; // sets up, shows, returns the path it must show
    } cases[] = {
        {"log file that cannot be created",
         [&] {
             const QString path = dir.filePath(kMarkup + QStringLiteral(".missing/run.tvr"));
             CControlDlg control(app, services);
             control.savePathEdit()->setText(path);
             control.show();
             control.accept();
             return path;
         }},
        {"replacing a recorded log",
         [&] {
             const QString path = markupFolder() + QStringLiteral("/run.tvr");
             QFile file(path);
             EXPECT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(QByteArray(64, '\x01'));
             file.close();
             CControlDlg control(app, services);
             control.savePathEdit()->setText(path);
             control.show();
             control.accept();
             return path;
         }},
        {"log file that cannot be replayed",
         [&] {
             app.words.runMode = 1;
             app.logOpenPath = markupFolder() + QStringLiteral("/gone.tvr");
             window = std::make_unique<CMonitorDlg>(app, services);
             window->show();
             return app.logOpenPath;
         }},
        {"port that cannot be opened",
         [&] {
             const QString ports = markupFolder();
             qputenv("TRELVANE_PORTS_DIR", QFile::encodeName(ports));
             app.words.runMode = 0;
             app.words.portIndex = 12;
             app.logSavePath = dir.filePath("never.tvr");
             window = std::make_unique<CMonitorDlg>(app, services);
             window->show();
             return ports;
         }},
    };
    for (const auto& c : cases) {
        QString path;
        const QStringList texts = textsOfBoxShownBy([&] { path = c.showBoxAndReturnPath(); });
        ASSERT_FALSE(texts.isEmpty()) << c.box << ": no box";
        EXPECT_TRUE(showsLiterally(texts, path))
            << c.box << " shows " << texts.join(QStringLiteral(" | ")).toStdString();
        window.reset();
    }
}

// What a tool tip shows: text that looks like markup is rendered as markup.
QString shownToolTip(const QString& tip)
{
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

TEST_F(PlainTextBoxes, ToolTipsShowEveryPathLiterally)
{
    const struct {
        const char* tip;
        std::function<QString(const QString& path)> tipFor; // the tool tip shown for a log at `path`
    } cases[] = {
        {"as given", [](const QString& path) { return plainToolTip(path); }},
        {"run table's file column",
         [](const QString& path) {
             RunTableModel model;
             LibraryRun run;
             run.path = QFile::encodeName(path).toStdString();
             model.setRuns({run});
             return model.index(0, model.columnOf(RunColumn::File)).data(Qt::ToolTipRole).toString();
         }},
        {"analysis window's run list",
         [](const QString& path) {
             AnalysisWindow window;
             EXPECT_TRUE(window.openFile(path));
             return window.runList()->count() == 1 ? window.runList()->item(0)->toolTip() : QString();
         }},
    };
    const QString path = markupFolder() + QStringLiteral("/") + kMarkup + QStringLiteral(".tvr");
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::WriteOnly)); // an empty log: no records
    log.close();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        EXPECT_EQ(shownToolTip(c.tipFor(path)), path);
    }
    EXPECT_EQ(plainToolTip(QStringLiteral("/home/a/run.tvr")), QStringLiteral("/home/a/run.tvr")) << "plain text stays as it is";
}

} // namespace
