#pragma once
// Dialog units: template coordinates scaled by the dialog font, so a layout grows with its
// text. A horizontal unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height.

#include <QFont>
#include <QRect>
#include <QSize>

#include "res/dialog_template.h"

namespace brenmoor::res {

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero;
// -1 for a zero denominator, as the platform's MulDiv answers.
int mulDiv(int number, int numerator, int denominator);

class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    // baseX is the advance of "A".."Z" "a".."z" over 52, rounded; baseY the font's height.
    static DialogUnits fromFont(const QFont& font);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

    int toPixelsX(int dluX) const { return mulDiv(dluX, baseX_, 4); }
    int toPixelsY(int dluY) const { return mulDiv(dluY, baseY_, 8); }
    QRect toPixels(const DluRect& rect) const;
    QSize toPixels(int widthDlu, int heightDlu) const;

private:
    int baseX_;
    int baseY_;
};

// The font a template's controls are drawn in: the template's face at its point size.
QFont dialogFont(const DialogTemplate& dialog);

}  // namespace brenmoor::res
