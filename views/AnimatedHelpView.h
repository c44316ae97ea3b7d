#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

class QLabel;

// The hint strip above the empty list: a small looping icon and a line or
// two of large text telling the user what to do. The window's layout gives its room
// to the list while it is hidden. The icon loops a few rounds when the strip
// shows and when its window comes to the front again, then rests: a loop
// without end would wake the program 14 times a second for as long as the
// list stays empty.
class AnimatedHelpView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FrameCount = 15;

    explicit AnimatedHelpView(QWidget *parent = nullptr);

    QString hintCaption() const;
    void setHintCaption(const QString &caption);

    bool isActive() const { return m_isActive; }
    // Switching to the current state again does nothing.
    void setIsActive(bool active);

    int imageIndex() const { return m_imageIndex; }
    bool isAnimating() const { return m_animateTimer.isActive(); }
    void timerAnimateOnTimer();

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitCaption();
    void startRounds();
    void showAnimatedHint();
    void hideAnimatedHint();

    QList<QImage> m_frames;
    QTimer m_animateTimer;
    QImage m_animateImage;
    QLabel *m_hintCaptionField;
    int m_imageIndex = 0;
    int m_framesLeft = 0;
    bool m_isActive = false;
};
