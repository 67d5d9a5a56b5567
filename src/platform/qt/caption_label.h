#pragma once

#include <QLabel>

// A label drawn like the original's: text from the top-left corner, on one
// line, clipped at the label's edges. Labels are drawn only 12 pixels high
// for a 9-point font; the CJK faces available on Linux are taller than 宋体,
// so the baseline is raised just enough to keep the strokes below it (and an
// underline) inside the label.
class CaptionLabel final : public QLabel {
public:
    explicit CaptionLabel(QWidget* parent);

    // The baseline's distance from the top for a given height.
    static int baselineFor(const QFontMetrics& metrics, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
};
