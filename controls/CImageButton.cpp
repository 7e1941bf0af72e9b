#include "controls/CImageButton.h"

#include "res/Bitmaps.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cstdint>

namespace {

// Slot numbers, alignment modes and pressed styles arrive as byte-sized values.
std::uint8_t lowByte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

QSize logicalSize(const QPixmap& pixmap)
{
    return pixmap.deviceIndependentSize().toSize();
}

// Copies the image with its transparent-colour pixels masked out.
// 0 success, 1 size unreadable, 2 mask not made.
int maskedImage(const QPixmap& source, QColor transparent, QPixmap& result)
{
    const QSize size = logicalSize(source);
    if (size.width() <= 0 || size.height() <= 0)
        return 1;
    const QBitmap mask = source.createMaskFromColor(transparent, Qt::MaskInColor);
    if (mask.isNull() || mask.size() != source.size())
        return 2;
    result = source;
    result.setMask(mask);
    return 0;
}

constexpr int kCaptionFlags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;

}  // namespace

CImageButton::CImageButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    // The owning window shows through wherever no background is painted.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
    resetColours(false);
    // Connected before any owner can connect, so the focus moves before the
    // owner hears of the click.
    connect(this, &QAbstractButton::clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
}

CImageButton::~CImageButton() = default;

int CImageButton::setImages(int inId, QColor inTransparent, int outId, QColor outTransparent)
{
    const QPixmap in = loadBitmap(inId);
    const QPixmap out = outId != 0 ? loadBitmap(outId) : QPixmap();
    return setImages(in, inTransparent, out, outTransparent);
}

int CImageButton::setImages(const QPixmap& in, QColor inTransparent, const QPixmap& out,
                            QColor outTransparent)
{
    imageIn_ = QPixmap();
    imageOut_ = QPixmap();
    if (in.isNull()) {
        update();
        return 0;
    }
    QPixmap maskedIn;
    if (const int result = maskedImage(in, inTransparent, maskedIn); result != 0)
        return result;
    QPixmap maskedOut;
    if (!out.isNull()) {
        if (const int result = maskedImage(out, outTransparent, maskedOut); result != 0)
            return result;
    }
    imageIn_ = maskedIn;
    imageOut_ = maskedOut;
    update();
    return 0;
}

int CImageButton::setAlignment(int mode, bool repaint)
{
    const std::uint8_t value = lowByte(mode);
    if (value > 3)
        return 4;
    alignment_ = value;
    if (repaint)
        update();
    return 0;
}

int CImageButton::setPressShift(int style, bool repaint)
{
    switch (lowByte(style)) {
    case 0:
        pressShiftX_ = 1;
        pressShiftY_ = 1;
        break;
    case 1:
        pressShiftX_ = 0;
        pressShiftY_ = 2;
        break;
    default:
        return 6;
    }
    if (repaint)
        update();
    return 0;
}

int CImageButton::setSlotColour(int slot, QColor colour, bool repaint)
{
    const std::uint8_t index = lowByte(slot);
    if (index > 6)
        return 3;
    slots_[index] = colour;
    if (repaint)
        update();
    return 0;
}

QColor CImageButton::slotColour(int slot) const
{
    if (slot < 0 || slot > 6)
        return {};
    return slots_[slot];
}

int CImageButton::resetColours(bool repaint)
{
    // The focus caption takes the face colour, not the text colour.
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Active, QPalette::Button);
    const QColor text = pal.color(QPalette::Active, QPalette::ButtonText);
    slots_[0] = face;
    slots_[1] = text;
    slots_[2] = face;
    slots_[3] = text;
    slots_[4] = face;
    slots_[5] = face;
    if (repaint)
        update();
    return 0;
}

bool CImageButton::sizeToImage()
{
    if (imageIn_.isNull())
        return false;
    marginX_ = 0;
    marginY_ = 0;
    resize(logicalSize(imageIn_));
    return true;
}

int CImageButton::setEdge(bool enable, bool repaint)
{
    drawEdge_ = enable;
    if (repaint)
        update();
    return 0;
}

void CImageButton::setTransparent(bool repaint)
{
    // Qt composes a non-opaque child over its parent, which is the owning
    // window's background behind every pixel this button leaves alone.
    transparent_ = true;
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    if (repaint)
        update();
}

void CImageButton::setCheckBoxMode(bool on)
{
    isCheckBox_ = on;
    if (!on)
        setChecked(false);
    setCheckable(on);
    update();
}

void CImageButton::setDefaultButton(bool on)
{
    isDefault_ = on;
    setDefault(on);
}

void CImageButton::fullSetUp(int inId, int outId)
{
    fullSetUp(loadBitmap(inId), outId != 0 ? loadBitmap(outId) : QPixmap());
}

void CImageButton::fullSetUp(const QPixmap& in, const QPixmap& out)
{
    setImages(in, Qt::white, out, Qt::white);
    setAlignment(3, false);
    setPressShift(1, false);
    setSlotColour(1, Qt::white, true);
    setSlotColour(3, Qt::white, true);
    sizeToImage();
    setEdge(false, false);
    setTransparent(false);
}

void CImageButton::shortSetUp(int inId, int outId)
{
    shortSetUp(loadBitmap(inId), outId != 0 ? loadBitmap(outId) : QPixmap());
}

void CImageButton::shortSetUp(const QPixmap& in, const QPixmap& out)
{
    setImages(in, Qt::white, out, Qt::white);
    setAlignment(3, false);
    setSlotColour(1, Qt::white, true);
    setSlotColour(3, Qt::white, true);
}

void CImageButton::paintEvent(QPaintEvent*)
{
    PaintState state;
    state.pressed = isDown() || (isCheckBox_ && isChecked());
    state.focused = hasFocus();
    state.disabled = !isEnabled();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawBackground(painter, state);
    drawEdge(painter, state);
    QRect caption = rect();
    if (!imageIn_.isNull())
        drawImage(painter, state, caption);
    if (!text().isEmpty())
        drawCaption(painter, state, caption);
    // No focus rectangle: focus shows only through the slot 4 and 5 colours.
}

void CImageButton::drawBackground(QPainter& painter, const PaintState& state) const
{
    if (transparent_)
        return;
    int slot = 2;
    if (mouseOver_ || state.pressed)
        slot = 0;
    else if (state.focused)
        slot = 4;
    painter.fillRect(rect(), slots_[slot]);
}

void CImageButton::drawEdge(QPainter& painter, const PaintState& state) const
{
    if (!drawEdge_)
        return;
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    QColor topLeft;
    QColor bottomRight;
    if (state.pressed) {
        topLeft = shadow;
        bottomRight = highlight;
    } else if (mouseOver_) {
        topLeft = highlight;
        bottomRight = shadow;
    } else {
        return;
    }
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, 1, topLeft);
    painter.fillRect(0, 0, 1, h, topLeft);
    painter.fillRect(0, h - 1, w, 1, bottomRight);
    painter.fillRect(w - 1, 0, 1, h, bottomRight);
}

QRect CImageButton::placeImage(QSize image, bool hasCaption, QRect& caption) const
{
    const QRect item = rect();
    const int iw = image.width();
    const int ih = image.height();
    const int centredX = item.left() + (item.width() - iw) / 2;
    const int centredY = item.top() + (item.height() - ih) / 2;
    int x = item.left();
    int y = item.top();
    switch (alignment_) {
    case 0:  // image left of the caption
        if (hasCaption) {
            x = item.left() + marginX_;
            caption.setLeft(caption.left() + iw + marginX_);
        } else {
            x = centredX;
        }
        y = centredY;
        break;
    case 1:  // image above the caption
        x = centredX;
        if (hasCaption) {
            y = marginY_;
            caption.setTop(caption.top() + ih);
        } else {
            y = centredY;
        }
        break;
    case 2:  // image right of the caption
        if (hasCaption) {
            x = width() - marginX_ - iw;
            caption.setLeft(marginX_);
            caption.setRight(x - 1);
            y = centredY;
        } else {
            x = centredX;
            y = item.top();
        }
        break;
    default:  // 3: image at the top-left, caption over the whole button
        break;
    }
    return {QPoint(x, y), image};
}

void CImageButton::drawImage(QPainter& painter, const PaintState& state, QRect& caption) const
{
    const bool wantIn = isCheckBox_ ? state.pressed : (state.pressed || mouseOver_);
    const QPixmap& image = (wantIn || imageOut_.isNull()) ? imageIn_ : imageOut_;
    QRect place = placeImage(logicalSize(image), !text().isEmpty(), caption);
    if (state.pressed && !isCheckBox_)
        place.translate(pressShiftX_, pressShiftY_);
    if (state.disabled) {
        QStyleOption option;
        option.initFrom(this);
        painter.drawPixmap(place.topLeft(),
                           style()->generatedIconPixmap(QIcon::Disabled, image, &option));
    } else {
        painter.drawPixmap(place.topLeft(), image);
    }
}

void CImageButton::drawCaption(QPainter& painter, const PaintState& state, QRect caption) const
{
    if (state.pressed && !isCheckBox_)
        caption.translate(pressShiftX_, pressShiftY_);
    const QString captionText = text();
    const QRect bounds(caption.topLeft(),
                       QSize(std::max(caption.width(), 0), std::max(caption.height(), 0)));
    const QSize measured = painter.fontMetrics().boundingRect(bounds, kCaptionFlags, captionText).size();
    const QRect centred(caption.left() + (caption.width() - measured.width()) / 2,
                        caption.top() + (caption.height() - measured.height()) / 2,
                        measured.width(), measured.height());
    if (state.disabled) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(centred.translated(1, 1), kCaptionFlags, captionText);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(centred, kCaptionFlags, captionText);
        return;
    }
    int slot = 3;
    if (mouseOver_ || state.pressed)
        slot = 1;
    else if (state.focused)
        slot = 5;
    painter.setPen(slots_[slot]);
    painter.drawText(centred, kCaptionFlags, captionText);
}

void CImageButton::startPointerOver()
{
    if (mouseOver_)
        return;
    mouseOver_ = true;
    update();
}

void CImageButton::endPointerOver()
{
    if (!mouseOver_)
        return;
    mouseOver_ = false;
    update();
}

void CImageButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    // A drag that began elsewhere does not light the button.
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        return;
    startPointerOver();
}

void CImageButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    endPointerOver();
}

void CImageButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && !mouseOver_)
        return;
    // While this button holds the mouse during a press, moves arrive from outside too.
    if (rect().contains(event->position().toPoint()))
        startPointerOver();
    else
        endPointerOver();
}

void CImageButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    endPointerOver();
}

void CImageButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        endPointerOver();
}

bool CImageButton::event(QEvent* event)
{
    const bool result = QPushButton::event(event);
    switch (event->type()) {
    case QEvent::Polish:
        // The look never follows the style's hover state; hover repaints would be wasted.
        setAttribute(Qt::WA_Hover, false);
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        resetColours(true);
        break;
    default:
        break;
    }
    return result;
}
