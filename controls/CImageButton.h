#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

class QPainter;

// The owner-drawn bitmap push button of every window: an image face with white
// as the transparent colour, a pointer-over image, a caption centred over it,
// and either the owning window's own background or a solid colour behind.
class CImageButton : public QPushButton {
    Q_OBJECT
public:
    explicit CImageButton(const QString& caption = QString(), QWidget* parent = nullptr);
    ~CImageButton() override;

    // Bitmaps by resource number. 0 success; 1 an image's size cannot be read;
    // 2 a mask cannot be made. An unknown in id leaves no images and returns 0.
    int setImages(int inId, QColor inTransparent, int outId = 0, QColor outTransparent = Qt::white);
    // A null out pixmap means no out image.
    int setImages(const QPixmap& in, QColor inTransparent, const QPixmap& out, QColor outTransparent);
    int setAlignment(int mode, bool repaint = true);      // 0..3, else 4
    int setPressShift(int style, bool repaint = true);    // 0: (1,1), 1: (0,2), else 6
    int setSlotColour(int slot, QColor colour, bool repaint = true); // 0..6, else 3
    int resetColours(bool repaint = true);
    bool sizeToImage();
    int setEdge(bool enable, bool repaint = true);
    void setTransparent(bool repaint = true);
    void setCheckBoxMode(bool on);
    void setDefaultButton(bool on);  // default-button tracking
    bool isDefaultButton() const { return isDefault_; }

    // The two fixed recipes, by resource number or with ready pixmaps.
    void fullSetUp(int inId, int outId);
    void fullSetUp(const QPixmap& in, const QPixmap& out);
    void shortSetUp(int inId, int outId);
    void shortSetUp(const QPixmap& in, const QPixmap& out);

    // Introspection for tests and owners.
    bool pointerOver() const { return mouseOver_; }
    QColor slotColour(int slot) const;
    QPoint pressShift() const { return {pressShiftX_, pressShiftY_}; }
    QPoint margins() const { return {marginX_, marginY_}; }
    bool hasImages() const { return !imageIn_.isNull(); }
    bool hasImageOut() const { return !imageOut_.isNull(); }
    bool isTransparent() const { return transparent_; }
    bool drawsEdge() const { return drawEdge_; }
    bool isCheckBoxMode() const { return isCheckBox_; }
    int alignmentMode() const { return alignment_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The item state of one paint.
    struct PaintState {
        bool pressed = false;
        bool focused = false;
        bool disabled = false;
    };

    void endPointerOver();
    void startPointerOver();

    void drawBackground(QPainter& painter, const PaintState& state) const;
    void drawEdge(QPainter& painter, const PaintState& state) const;
    void drawImage(QPainter& painter, const PaintState& state, QRect& caption) const;
    void drawCaption(QPainter& painter, const PaintState& state, QRect caption) const;
    QRect placeImage(QSize image, bool hasCaption, QRect& caption) const;

    int marginX_ = 3;
    int marginY_ = 3;
    int pressShiftX_ = 1;
    int pressShiftY_ = 1;
    bool mouseOver_ = false;
    bool transparent_ = false;
    bool isDefault_ = false;
    bool isCheckBox_ = false;
    int alignment_ = 0;
    bool drawEdge_ = true;
    QColor slots_[7];
    QPixmap imageIn_;   // transparent pixels already made transparent
    QPixmap imageOut_;
};
