#pragma once
// The installed font families, for the font-name lists of the print layout.
#include <QStringList>

class QComboBox;

namespace mdl_Font {

// The families the system offers, in its order, each once.
QStringList FontFamilies();
// Empties the combo box and adds one entry per installed font family.
void FillFontCombo(QComboBox *combo);

} // namespace mdl_Font
