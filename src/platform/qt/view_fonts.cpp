#include "platform/qt/view_fonts.h"

#include <QStringList>

namespace {

// The monospaced faces come first: like 宋体 they give Latin letters half
// the width of a Chinese character, so captions fit the widths drawn for it.
const char* const kCjkFallbacks[] = {"SimSun", "WenQuanYi Zen Hei Mono", "Noto Sans Mono CJK SC", "WenQuanYi Zen Hei",
                                     "Noto Sans CJK SC"};
constexpr int kWindowPoints = 9;

QStringList familiesStartingWith(const QString& first)
{
    QStringList families{first};
    for (const char* fallback : kCjkFallbacks) {
        if (!families.contains(QString::fromUtf8(fallback)))
            families << QString::fromUtf8(fallback);
    }
    return families;
}

} // namespace

QFont ViewFonts::windowFont()
{
    QFont font;
    font.setFamilies(familiesStartingWith(QStringLiteral("宋体")));
    font.setPointSize(kWindowPoints);
    return font;
}

QFont ViewFonts::fontFor(const FontSpec& spec)
{
    QFont font = windowFont();
    if (!spec.family.empty())
        font.setFamilies(familiesStartingWith(QString::fromStdString(spec.family)));
    if (spec.points > 0)
        font.setPointSize(spec.points);
    font.setUnderline(spec.underline);
    return font;
}
