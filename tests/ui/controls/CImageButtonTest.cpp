// The bitmap push button as pixels and input: sizes after the two set-up
// recipes, white made transparent over the owner's background, in/out image
// switching, pointer-over tracking and its repaints, press shift and edges,
// caption colours by state, image placement per alignment mode, invalid
// arguments, palette reset, disabling, check-box mode and default tracking.
#include "controls/CImageButton.h"
#include "res/Bitmaps.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor kBackdrop(30, 140, 90);   // the owner's background
const QColor kInFace(200, 200, 200);
const QColor kOutFace(60, 60, 60);
const QColor kInMarker(220, 0, 0);
const QColor kOutMarker(0, 0, 220);
const QPoint kMarker(40, 4);           // a 2x2 block in both images

// Light face, white bottom row and top-left pixel, red marker.
QPixmap imageIn(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kInFace);
    for (int x = 0; x < size.width(); ++x)
        image.setPixelColor(x, size.height() - 1, Qt::white);
    image.setPixelColor(0, 0, Qt::white);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            image.setPixelColor(kMarker.x() + dx, kMarker.y() + dy, kInMarker);
    return QPixmap::fromImage(image);
}

// Dark face, white upper corners (a 3-pixel staircase), blue marker.
QPixmap imageOut(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kOutFace);
    const int right = size.width() - 1;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j + i < 3; ++j) {
            image.setPixelColor(i, j, Qt::white);
            image.setPixelColor(right - i, j, Qt::white);
        }
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
            image.setPixelColor(kMarker.x() + dx, kMarker.y() + dy, kOutMarker);
    return QPixmap::fromImage(image);
}

QRgb rgb(QColor colour)
{
    return colour.rgb();
}

int countPixels(const QImage& image, QRect area, QColor colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                ++count;
    return count;
}

struct ImageButtonFixture : ::testing::Test {
    QWidget host;

    ImageButtonFixture()
    {
        // Palette and font before the buttons exist, as the owning dialogs do.
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, kBackdrop);
        host.setPalette(pal);
        host.setAutoFillBackground(true);
        // Aliased glyphs keep caption pixels in exactly the caption colour.
        QFont font(QStringLiteral("Arial"), 8);
        font.setStyleStrategy(QFont::NoAntialias);
        host.setFont(font);
        host.resize(240, 120);
    }

    CImageButton* full(const QString& caption = QStringLiteral("Exit"))
    {
        auto* button = new CImageButton(caption, &host);
        button->move(10, 10);
        button->fullSetUp(imageIn({82, 26}), imageOut({85, 26}));
        button->show();
        return button;
    }

    CImageButton* shortButton(const QString& caption = QStringLiteral("Overview"))
    {
        auto* button = new CImageButton(caption, &host);
        button->setGeometry(10, 50, 82, 21);
        button->shortSetUp(imageIn({82, 26}), imageOut({85, 26}));
        button->show();
        return button;
    }

    void showActive()
    {
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        // Activation hands the focus to the first button; tests choose focus themselves.
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
    }

    // The owner's pixels, so transparency shows the owner's background.
    QImage shotOf(const CImageButton* button)
    {
        return host.grab(button->geometry()).toImage();
    }

    static void enter(CImageButton* button, QPoint at = {20, 10})
    {
        QEnterEvent event(at, at, button->mapToGlobal(QPointF(at)));
        QCoreApplication::sendEvent(button, &event);
    }

    static void leave(CImageButton* button)
    {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(button, &event);
    }

    static void move(CImageButton* button, QPoint at, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(at), button->mapToGlobal(QPointF(at)),
                          Qt::NoButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
};

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(ImageButtonFixture, FullSetUpTakesTheSizeOfImageInAndShortSetUpKeepsItsOwn)
{
    struct Case {
        QSize in, out, before, expected;
        bool fullRecipe;
    };
    const Case cases[] = {
        {{82, 26}, {85, 26}, {84, 28}, {82, 26}, true},
        {{56, 33}, {56, 33}, {48, 26}, {56, 33}, true},
        {{82, 26}, {85, 26}, {82, 21}, {82, 21}, false},
    };
    for (const Case& c : cases) {
        CImageButton button(QStringLiteral("start"), &host);
        button.setGeometry(QRect(QPoint(30, 40), c.before));
        if (c.fullRecipe)
            button.fullSetUp(imageIn(c.in), imageOut(c.out));
        else
            button.shortSetUp(imageIn(c.in), imageOut(c.out));
        EXPECT_EQ(button.size(), c.expected);
        EXPECT_EQ(button.pos(), QPoint(30, 40)) << "resizing must not move the button";
        EXPECT_EQ(button.isTransparent(), c.fullRecipe);
        EXPECT_EQ(button.drawsEdge(), !c.fullRecipe);
        EXPECT_EQ(button.pressShift(), c.fullRecipe ? QPoint(0, 2) : QPoint(1, 1));
        EXPECT_EQ(button.margins(), c.fullRecipe ? QPoint(0, 0) : QPoint(3, 3));
    }
}

TEST_F(ImageButtonFixture, ProgramBitmapsGiveButtonSizesAndLetTheOwnerShowThroughTheirWhite)
{
    if (loadBitmap(151).isNull() || loadBitmap(145).isNull())
        GTEST_SKIP() << "program bitmaps not compiled in";
    auto* large = new CImageButton(QStringLiteral("Exit"), &host);
    large->move(10, 10);
    large->fullSetUp(151, 152);
    EXPECT_EQ(large->size(), QSize(82, 26));
    auto* small = new CImageButton(QStringLiteral("SAVE"), &host);
    small->move(120, 10);
    small->fullSetUp(145, 146);
    EXPECT_EQ(small->size(), QSize(56, 33));
    showActive();

    // Upper corners of both out images are white.
    EXPECT_EQ(shotOf(large).pixel(0, 0), rgb(kBackdrop));
    EXPECT_EQ(shotOf(small).pixel(0, 0), rgb(kBackdrop));
    EXPECT_EQ(shotOf(small).pixel(55, 0), rgb(kBackdrop));
    // Image in of the large buttons has a white bottom row.
    enter(large);
    EXPECT_EQ(shotOf(large).pixel(40, 25), rgb(kBackdrop));
    EXPECT_NE(shotOf(large).pixel(40, 12), rgb(kBackdrop));
}

TEST_F(ImageButtonFixture, FullSetUpAtRestShowsImageOutCutOffOverTheOwnersBackground)
{
    CImageButton* button = full();
    showActive();
    const QImage shot = shotOf(button);
    ASSERT_EQ(shot.size(), QSize(82, 26));
    EXPECT_EQ(shot.pixel(0, 0), rgb(kBackdrop)) << "white corner lets the owner through";
    EXPECT_EQ(shot.pixel(2, 0), rgb(kBackdrop));
    EXPECT_EQ(shot.pixel(3, 0), rgb(kOutFace));
    EXPECT_EQ(shot.pixel(kMarker.x(), kMarker.y()), rgb(kOutMarker));
    // Image out is 85 wide: its white top-right corner lies beyond column 81.
    EXPECT_EQ(shot.pixel(81, 0), rgb(kOutFace));
    EXPECT_GT(countPixels(shot, shot.rect(), Qt::white), 3) << "caption in white";
}

TEST_F(ImageButtonFixture, PointerOverSwitchesToImageInAndLeavingSwitchesBack)
{
    CImageButton* button = full();
    showActive();
    enter(button);
    EXPECT_TRUE(button->pointerOver());
    QImage shot = shotOf(button);
    EXPECT_EQ(shot.pixel(kMarker.x(), kMarker.y()), rgb(kInMarker));
    EXPECT_EQ(shot.pixel(5, 25), rgb(kBackdrop)) << "white bottom row of image in is transparent";
    EXPECT_EQ(shot.pixel(5, 24), rgb(kInFace));
    EXPECT_GT(countPixels(shot, shot.rect(), Qt::white), 3);

    leave(button);
    EXPECT_FALSE(button->pointerOver());
    shot = shotOf(button);
    EXPECT_EQ(shot.pixel(kMarker.x(), kMarker.y()), rgb(kOutMarker));
}

TEST_F(ImageButtonFixture, EnteringRepaintsOnceAndMovingInsideDoesNotRepaint)
{
    CImageButton* button = full();
    showActive();
    PaintCounter counter;
    QCoreApplication::processEvents();
    button->installEventFilter(&counter);

    enter(button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints >= 1; }, 2000));
    move(button, {30, 12});
    move(button, {60, 20});
    move(button, {2, 2});
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);

    // Pending updates are flushed by one pass of the event loop, so the
    // count above would have seen a repaint asked for by the moves.
    leave(button);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 2);
}

TEST_F(ImageButtonFixture, MovementStartsAndEndsPointerOverUnlessADragCameFromOutside)
{
    CImageButton* button = full();
    showActive();

    move(button, {20, 10}, Qt::LeftButton);
    EXPECT_FALSE(button->pointerOver()) << "left button held down from outside";

    move(button, {20, 10});
    EXPECT_TRUE(button->pointerOver()) << "movement inside starts it without an enter";

    // While the button holds the mouse, moves also arrive from outside it.
    move(button, {90, 10}, Qt::LeftButton);
    EXPECT_FALSE(button->pointerOver());

    // Entering while the left button, pressed on the owner, is still down.
    QWindow* window = host.windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint onOwner(200, 100);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, onOwner);
    ASSERT_TRUE(QGuiApplication::mouseButtons() & Qt::LeftButton);
    enter(button);
    EXPECT_FALSE(button->pointerOver());
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, onOwner);
    enter(button);
    EXPECT_TRUE(button->pointerOver());
}

TEST_F(ImageButtonFixture, ImageAndCaptionMoveByThePressShiftWhileHeldDown)
{
    struct Case {
        bool fullRecipe;
        QPoint shift;
    };
    for (const Case c : {Case{true, {0, 2}}, Case{false, {1, 1}}}) {
        CImageButton* button = c.fullRecipe ? full() : shortButton();
        showActive();
        const QPoint inside(40, 12);
        enter(button, inside);
        const QImage over = shotOf(button);
        QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, inside);
        ASSERT_TRUE(button->isDown());
        const QImage held = shotOf(button);
        EXPECT_EQ(held.pixel(kMarker + c.shift), rgb(kInMarker));
        EXPECT_NE(held.pixel(kMarker + c.shift + QPoint(2, 2)), rgb(kInMarker));
        // The caption moves with the image: compare a band of the caption.
        const QRect band(20, 8, 40, 12);
        EXPECT_EQ(held.copy(band.translated(c.shift)), over.copy(band))
            << "caption and image must land where the shift puts them";
        QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, inside);
        delete button;
    }
}

TEST_F(ImageButtonFixture, ShortSetUpDrawsRaisedEdgeOnPointerOverAndSunkenEdgeWhilePressed)
{
    CImageButton* button = shortButton();
    showActive();
    const QColor face = button->palette().color(QPalette::Button);
    const QColor light = button->palette().color(QPalette::Light);
    const QColor dark = button->palette().color(QPalette::Dark);
    ASSERT_NE(light, dark);

    // At rest: no edge; the white corner of image out shows the face colour.
    QImage shot = shotOf(button);
    EXPECT_EQ(shot.pixel(0, 0), rgb(face));

    // Pointer over: image in sits at (0, 0) and its white corner shows the raised edge.
    enter(button);
    shot = shotOf(button);
    EXPECT_EQ(shot.pixel(0, 0), rgb(light));

    // Held down: image in moves to (1, 1), uncovering the top row and left column.
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, {40, 10});
    shot = shotOf(button);
    EXPECT_EQ(shot.pixel(0, 0), rgb(dark));
    EXPECT_EQ(shot.pixel(30, 0), rgb(dark));
    EXPECT_EQ(shot.pixel(0, 15), rgb(dark));
    EXPECT_EQ(shot.pixel(30, 1), rgb(kInFace));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, {40, 10});
}

TEST_F(ImageButtonFixture, ClickedButtonHasTheFocusBeforeItsOwnerHearsAndShowsTheFaceColourCaption)
{
    CImageButton* button = full();
    auto* other = new QPushButton(QStringLiteral("other"), &host);
    other->move(120, 60);
    showActive();
    other->setFocus();
    const QColor face = button->palette().color(QPalette::Active, QPalette::Button);
    ASSERT_NE(face, QColor(Qt::white));
    const QImage before = shotOf(button);
    EXPECT_GT(countPixels(before, before.rect(), Qt::white), 3);
    EXPECT_EQ(countPixels(before, before.rect(), face), 0);

    bool focusedWhenClicked = false;
    QObject::connect(button, &QAbstractButton::clicked,
                     [&] { focusedWhenClicked = button->hasFocus(); });
    button->click();  // the keyboard's click: no mouse press hands over the focus
    EXPECT_TRUE(focusedWhenClicked);
    leave(button);

    const QImage after = shotOf(button);
    EXPECT_EQ(countPixels(after, after.rect(), Qt::white), 0);
    EXPECT_GT(countPixels(after, after.rect(), face), 3);

    other->setFocus();
    const QImage unfocused = shotOf(button);
    EXPECT_GT(countPixels(unfocused, unfocused.rect(), Qt::white), 3);
}

TEST_F(ImageButtonFixture, ImageAndCaptionPlacementFollowTheAlignmentMode)
{
    struct Case {
        int mode;
        QString caption;
        QPoint imageTopLeft;
        QPoint captionCentre;  // of the caption rectangle left beside the image
    };
    // 100 x 40 button, 10 x 10 image, margins 3.
    const Case cases[] = {
        {0, QStringLiteral("Go"), {3, 15}, {58, 20}}, {0, QString(), {45, 15}, {}},
        {1, QStringLiteral("Go"), {45, 3}, {50, 25}}, {1, QString(), {45, 15}, {}},
        {2, QStringLiteral("Go"), {87, 15}, {45, 20}}, {2, QString(), {45, 0}, {}},
        {3, QStringLiteral("Go"), {0, 0}, {50, 20}},
    };
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(kInMarker);
    const QPixmap image = QPixmap::fromImage(red);
    for (const Case& c : cases) {
        CImageButton button(c.caption, &host);
        button.setGeometry(0, 0, 100, 40);
        ASSERT_EQ(button.setImages(image, Qt::white, QPixmap(), Qt::white), 0);
        ASSERT_EQ(button.setAlignment(c.mode), 0);
        const QImage shot = button.grab().toImage();
        const QPoint at = c.imageTopLeft;
        EXPECT_EQ(shot.pixel(at), rgb(kInMarker)) << "mode " << c.mode;
        EXPECT_EQ(shot.pixel(at + QPoint(9, 9)), rgb(kInMarker)) << "mode " << c.mode;
        EXPECT_NE(shot.pixel(at + QPoint(10, 10)), rgb(kInMarker)) << "mode " << c.mode;
        if (at.x() > 0 && at.y() > 0) {
            EXPECT_NE(shot.pixel(at - QPoint(1, 1)), rgb(kInMarker)) << "mode " << c.mode;
        }
        if (c.caption.isEmpty())
            continue;
        QRect glyphs;
        const QRgb text = button.slotColour(3).rgb();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) == text)
                    glyphs |= QRect(x, y, 1, 1);
        ASSERT_FALSE(glyphs.isEmpty()) << "mode " << c.mode;
        EXPECT_NEAR(glyphs.center().x(), c.captionCentre.x(), 2) << "mode " << c.mode;
        EXPECT_NEAR(glyphs.center().y(), c.captionCentre.y(), 2) << "mode " << c.mode;
    }
}

TEST_F(ImageButtonFixture, InvalidSetUpArgumentsReturnTheirCodesAndChangeNothing)
{
    CImageButton button(QStringLiteral("x"), &host);
    ASSERT_EQ(button.setAlignment(2), 0);
    EXPECT_EQ(button.setAlignment(4), 4);
    EXPECT_EQ(button.setAlignment(-1), 4);
    EXPECT_EQ(button.alignmentMode(), 2);

    ASSERT_EQ(button.setPressShift(1), 0);
    EXPECT_EQ(button.setPressShift(2), 6);
    EXPECT_EQ(button.setPressShift(3), 6);
    EXPECT_EQ(button.pressShift(), QPoint(0, 2));
    EXPECT_EQ(button.setPressShift(0x100), 0) << "only the low 8 bits of a style count";
    EXPECT_EQ(button.pressShift(), QPoint(1, 1));
    EXPECT_EQ(button.setPressShift(0x301), 0);
    EXPECT_EQ(button.pressShift(), QPoint(0, 2));

    const QColor slot6 = button.slotColour(6);
    EXPECT_EQ(button.setSlotColour(7, Qt::red), 3);
    for (int slot = 0; slot < 6; ++slot)
        EXPECT_NE(button.slotColour(slot), QColor(Qt::red)) << slot;
    EXPECT_EQ(button.slotColour(6), slot6);
    EXPECT_EQ(button.setSlotColour(6, Qt::red), 0);
    EXPECT_EQ(button.slotColour(6), QColor(Qt::red));
}

TEST_F(ImageButtonFixture, AnImageInThatNamesNoBitmapLeavesOnlyBackgroundAndCaption)
{
    CImageButton* button = shortButton(QString());
    ASSERT_TRUE(button->hasImages());
    EXPECT_EQ(button->setImages(999999, Qt::white, 152, Qt::white), 0);
    EXPECT_FALSE(button->hasImages());
    EXPECT_FALSE(button->hasImageOut());
    const QImage shot = button->grab().toImage();
    const QColor face = button->palette().color(QPalette::Active, QPalette::Button);
    EXPECT_EQ(countPixels(shot, shot.rect(), face), shot.width() * shot.height());

    // A null pixmap is the same as a missing resource; a null out is no out image.
    EXPECT_EQ(button->setImages(QPixmap(), Qt::white, imageOut({85, 26}), Qt::white), 0);
    EXPECT_FALSE(button->hasImages());
    EXPECT_EQ(button->setImages(imageIn({82, 26}), Qt::white, QPixmap(), Qt::white), 0);
    EXPECT_TRUE(button->hasImages());
    EXPECT_FALSE(button->hasImageOut());
}

TEST_F(ImageButtonFixture, PaletteAndStyleChangesRestoreTheDefaultCaptionColours)
{
    const QColor face(180, 170, 40);
    const QColor text(10, 20, 120);
    const std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_TRUE(style);
    for (const bool paletteChange : {true, false}) {
        CImageButton* button = full();
        showActive();
        ASSERT_EQ(button->slotColour(1), QColor(Qt::white));
        ASSERT_EQ(button->slotColour(3), QColor(Qt::white)) << "showing the owner keeps white captions";

        if (paletteChange) {
            QPalette changed = host.palette();
            changed.setColor(QPalette::Button, face);
            changed.setColor(QPalette::ButtonText, text);
            host.setPalette(changed);
        } else {
            button->setStyle(style.get());
        }
        const QColor expectedText = button->palette().color(QPalette::Active, QPalette::ButtonText);
        const QColor expectedFace = button->palette().color(QPalette::Active, QPalette::Button);
        if (paletteChange) {
            ASSERT_EQ(expectedText, text);
            ASSERT_EQ(expectedFace, face);
        }
        ASSERT_NE(expectedText, QColor(Qt::white));
        for (const int slot : {1, 3})
            EXPECT_EQ(button->slotColour(slot), expectedText) << slot;
        for (const int slot : {0, 2, 4, 5})
            EXPECT_EQ(button->slotColour(slot), expectedFace) << slot;
        const QImage shot = shotOf(button);
        EXPECT_EQ(countPixels(shot, shot.rect(), Qt::white), 0);
        EXPECT_GT(countPixels(shot, shot.rect(), expectedText), 3);
        delete button;
    }
}

TEST_F(ImageButtonFixture, DisablingEndsPointerOverAndDrawsTheCaptionInShadow)
{
    CImageButton* button = full();
    showActive();
    enter(button);
    ASSERT_TRUE(button->pointerOver());
    button->setEnabled(false);
    EXPECT_FALSE(button->pointerOver());
    // The caption is drawn twice: highlight one pixel down-right, shadow in place.
    const QImage shot = shotOf(button);
    const QColor highlight = button->palette().color(QPalette::Disabled, QPalette::Light);
    const QColor shadow = button->palette().color(QPalette::Disabled, QPalette::Dark);
    EXPECT_GT(countPixels(shot, shot.rect(), highlight), 3);
    EXPECT_GT(countPixels(shot, shot.rect(), shadow), 3);
}

TEST_F(ImageButtonFixture, FocusLossEndsPointerOver)
{
    CImageButton* button = full();
    auto* other = new QPushButton(QStringLiteral("other"), &host);
    other->move(120, 60);
    showActive();
    button->setFocus();
    enter(button);
    ASSERT_TRUE(button->pointerOver());
    other->setFocus();
    EXPECT_FALSE(button->pointerOver());
}

TEST_F(ImageButtonFixture, CheckBoxModeTogglesAndShowsImageInOnlyWhileCheckedAndUnshifted)
{
    CImageButton* button = full();
    showActive();
    button->click();
    EXPECT_FALSE(button->isChecked()) << "a push button does not check";

    button->setCheckBoxMode(true);
    enter(button);
    EXPECT_EQ(shotOf(button).pixel(kMarker), rgb(kOutMarker)) << "pointer-over alone shows image out";
    QSignalSpy toggled(button, &QAbstractButton::toggled);
    button->click();
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(toggled.count(), 1);
    leave(button);
    QImage shot = shotOf(button);
    EXPECT_EQ(shot.pixel(kMarker), rgb(kInMarker)) << "checked counts as pressed, with no shift";

    button->click();
    EXPECT_FALSE(button->isChecked());
    shot = shotOf(button);
    EXPECT_EQ(shot.pixel(kMarker), rgb(kOutMarker));

    button->setCheckBoxMode(false);
    button->click();
    EXPECT_FALSE(button->isChecked());
}

TEST_F(ImageButtonFixture, DefaultButtonTrackingDoesNotChangeTheLook)
{
    CImageButton* button = shortButton();
    showActive();
    const QImage before = shotOf(button);
    button->setDefaultButton(true);
    EXPECT_TRUE(button->isDefaultButton());
    EXPECT_TRUE(button->isDefault());
    EXPECT_EQ(shotOf(button), before);
    button->setDefaultButton(false);
    EXPECT_FALSE(button->isDefaultButton());
    EXPECT_FALSE(button->isDefault());
}

}  // namespace
