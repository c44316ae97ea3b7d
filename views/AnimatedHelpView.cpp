#include "AnimatedHelpView.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FrameIntervalMs = 70;
// About three seconds: enough to catch the eye.
constexpr int Rounds = 3;
constexpr int ImageMargin = 10;
constexpr int CaptionLeft = 80;
constexpr int CaptionRight = 10;
constexpr int Height = 60;
constexpr int CaptionPointSize = 20;
constexpr int SmallestPointSize = 9;

} // namespace

AnimatedHelpView::AnimatedHelpView(QWidget *parent)
    : QWidget(parent), m_hintCaptionField(new QLabel(this))
{
    setFixedHeight(Height);
    for (int i = 1; i <= FrameCount; ++i)
        m_frames.append(QImage(u":/images/vantrel-icon-%1.png"_s.arg(i)));
    m_hintCaptionField->setWordWrap(true);
    m_hintCaptionField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_animateTimer.setInterval(FrameIntervalMs);
    connect(&m_animateTimer, &QTimer::timeout, this, &AnimatedHelpView::timerAnimateOnTimer);
    hide();
}

QString AnimatedHelpView::hintCaption() const
{
    return m_hintCaptionField->text();
}

void AnimatedHelpView::setHintCaption(const QString &caption)
{
    m_hintCaptionField->setText(caption);
    fitCaption();
}

void AnimatedHelpView::resizeEvent(QResizeEvent *)
{
    fitCaption();
}

// The caption is the first sentence a new user reads: it shows whole, on
// one line or two, in the largest size up to 20 points that the strip holds.
void AnimatedHelpView::fitCaption()
{
    const QRect area(CaptionLeft, 0, std::max(0, width() - CaptionLeft - CaptionRight), Height);
    m_hintCaptionField->setGeometry(area);
    QFont font = m_hintCaptionField->font();
    for (int size = CaptionPointSize; size >= SmallestPointSize; --size) {
        font.setPointSize(size);
        const QRect needed = QFontMetrics(font).boundingRect(QRect(QPoint(), area.size()), Qt::TextWordWrap,
                                                             hintCaption());
        if (needed.height() <= area.height() && needed.width() <= area.width())
            break;
    }
    m_hintCaptionField->setFont(font);
}

void AnimatedHelpView::setIsActive(bool active)
{
    if (active == m_isActive)
        return;
    if (active)
        showAnimatedHint();
    else
        hideAnimatedHint();
    m_isActive = active;
}

void AnimatedHelpView::showAnimatedHint()
{
    m_imageIndex = 0;
    show();
    startRounds();
}

void AnimatedHelpView::startRounds()
{
    m_framesLeft = Rounds * FrameCount;
    m_animateTimer.start();
}

void AnimatedHelpView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && m_isActive && isActiveWindow() && !isAnimating())
        startRounds();
    QWidget::changeEvent(event);
}

void AnimatedHelpView::hideAnimatedHint()
{
    m_animateTimer.stop();
    hide();
}

void AnimatedHelpView::timerAnimateOnTimer()
{
    m_imageIndex = m_imageIndex % FrameCount + 1;
    m_animateImage = m_frames.at(m_imageIndex - 1);
    update();
    if (--m_framesLeft <= 0)
        m_animateTimer.stop();
}

void AnimatedHelpView::paintEvent(QPaintEvent *)
{
    if (!m_isActive || m_animateImage.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(ImageMargin, (height() - m_animateImage.height()) / 2, m_animateImage);
}
