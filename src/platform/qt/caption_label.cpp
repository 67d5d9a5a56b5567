#include "platform/qt/caption_label.h"

#include <QPainter>
#include <algorithm>

namespace {

// Rows below the baseline that CJK strokes and an underline need.
constexpr int kRowsBelowBaseline = 2;

} // namespace

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

int CaptionLabel::baselineFor(const QFontMetrics& metrics, int height)
{
    return std::min(metrics.ascent(), height - kRowsBelowBaseline);
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QFont plain = font();
    const bool underline = plain.underline();
    plain.setUnderline(false);
    painter.setFont(plain);
    const QFontMetrics metrics(plain);
    const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    painter.setPen(ink);
    const int baseline = baselineFor(metrics, height());
    painter.drawText(QPoint(0, baseline), text());
    if (underline) {
        const int lineWidth = std::max(1, metrics.lineWidth());
        const int y = std::min(baseline + metrics.underlinePos(), height() - lineWidth);
        const int width = std::min(metrics.horizontalAdvance(text()), this->width());
        painter.fillRect(QRect(0, y, width, lineWidth), ink);
    }
}
