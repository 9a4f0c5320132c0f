#include "res/dialog_units.h"

#include <QFontMetrics>
#include <cmath>
#include <cstdint>

namespace brenmoor::res {

int mulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t half = std::abs(static_cast<std::int64_t>(denominator)) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::abs(product) + half) / std::abs(static_cast<std::int64_t>(denominator));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

DialogUnits DialogUnits::fromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits(static_cast<int>(std::lround(advance / 52.0)), metrics.height());
}

QRect DialogUnits::toPixels(const DluRect& rect) const
{
    return QRect(toPixelsX(rect.x), toPixelsY(rect.y), toPixelsX(rect.width), toPixelsY(rect.height));
}

QSize DialogUnits::toPixels(int widthDlu, int heightDlu) const
{
    return QSize(toPixelsX(widthDlu), toPixelsY(heightDlu));
}

QFont dialogFont(const DialogTemplate& dialog)
{
    return QFont(QString::fromStdString(dialog.fontFace), dialog.fontPoints);
}

}  // namespace brenmoor::res
