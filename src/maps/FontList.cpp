#include "maps/FontList.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QSet>

namespace mdl_Font {

QStringList FontFamilies()
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &f : QFontDatabase::families()) {
        // Private families (names starting with '.') are not for the user.
        if (f.isEmpty() || f.startsWith(u'.') || QFontDatabase::isPrivateFamily(f) || seen.contains(f))
            continue;
        seen.insert(f);
        out << f;
    }
    return out;
}

void FillFontCombo(QComboBox *combo)
{
    if (!combo)
        return;
    const bool blocked = combo->blockSignals(true);
    combo->clear();
    combo->addItems(FontFamilies());
    combo->blockSignals(blocked);
}

} // namespace mdl_Font
