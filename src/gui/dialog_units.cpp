#include "gui/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace sonarel {
namespace {

constexpr int kLetterCount = 52;

int AverageLetterWidth(const QFontMetrics& metrics) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(kLetters) + kLetterCount / 2) / kLetterCount;
}

} // namespace

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(AverageLetterWidth(QFontMetrics(font)), QFontMetrics(font).height()) {
}

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : char_width_(averageCharWidth > 0 ? averageCharWidth : 1),
      char_height_(charHeight > 0 ? charHeight : 1) {
}

void DialogUnits::FitWidth(int pixels, int units) {
    if (units <= 0 || pixels <= 0) {
        return;
    }
    const int needed = (4 * pixels + units - 1) / units;
    char_width_ = std::max(char_width_, needed);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

} // namespace sonarel
