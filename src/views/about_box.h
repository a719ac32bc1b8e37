#pragma once
// TfrmAbout: the about box, also the start-up splash. A borderless window
// shaped like its picture (the picture's bottom-left colour is transparent),
// with a notice line and the version on it. From the menu it fades in; a
// click closes it, and it goes away as soon as it loses activation.

#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>

namespace velmar::views {

inline constexpr const char* kAboutVersion = "Version 1.03";
inline constexpr const char* kAboutNotice = "Velmar  競馬予想支援ソフト";

// The product picture, 410 x 180, drawn here (its corners hold the
// transparent colour).
QImage aboutPicture();

// One rectangle per horizontal run of pixels that are not `transparent` on
// each row; an empty region when every pixel is transparent.
QRegion regionOfPicture(const QImage& image, QRgb transparent);

class TfrmAbout : public QWidget {
    Q_OBJECT
  public:
    enum class Use { Splash, About };
    explicit TfrmAbout(Use use, QWidget* owner = nullptr);

    // The about use: shows modally, fading in; returns when it is gone.
    void exec();
    // One step of the fade (what every timer tick does).
    void fadeStep();
    QTimer* timer() const { return Timer1_; }
    // Opacity on the 0..255 scale of the fade (windowOpacity = alpha / 255).
    int alpha() const { return alpha_; }
    const QRegion& shape() const { return shape_; }
    // The splash goes when `mainWindow` becomes active, even when the splash
    // itself never got activation.
    void releaseWhenActive(QWidget* mainWindow);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void release();

    Use use_;
    QImage picture_;
    QRegion shape_;
    QTimer* Timer1_;
    bool released_ = false;
    int alpha_ = 255;
};

} // namespace velmar::views
