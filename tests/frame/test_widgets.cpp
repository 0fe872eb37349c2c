// The shared controls of the windows.
#include "frame/Widgets.h"

#include <QFont>
#include <QLabel>
#include <functional>
#include <gtest/gtest.h>

// A wrapped label gives the heights of the toolkit's label for every width,
// also after each thing its heights depend on changed: a height kept for an
// older text, font or margin would lay the page out wrong.
TEST(WrappedLabel, GivesTheToolkitsHeightsThroughEveryChange)
{
    frame::WrappedLabel wrapped;
    QLabel plain;
    plain.setWordWrap(true);
    const auto both = [&](const std::function<void(QLabel &)> &change) {
        change(wrapped);
        change(plain);
    };
    struct Step {
        const char *name;
        std::function<void(QLabel &)> change;
    };
    QFont big;
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    const Step steps[] = {
        {"empty", [](QLabel &) {}},
        {"a text", [](QLabel &l) { l.setText(QStringLiteral("Il sistema di indicatori di dotazione e funzionalità")); }},
        {"the same again", [](QLabel &) {}},
        {"a longer text with its own lines",
         [](QLabel &l) {
             l.setText(QStringLiteral("Trambelo - banca dati di indicatori e variabili\r\ndelle province e delle "
                                      "regioni italiane, anni 1996-2008.\r\n\r\nFonte: ISTAT"));
         }},
        {"a larger bold font", [&](QLabel &l) { l.setFont(big); }},
        {"margins", [](QLabel &l) { l.setContentsMargins(30, 5, 40, 5); }},
        {"an indent", [](QLabel &l) { l.setIndent(25); }},
        {"a margin", [](QLabel &l) { l.setMargin(7); }},
        {"plain text", [](QLabel &l) { l.setTextFormat(Qt::PlainText); }},
        {"no wrapping", [](QLabel &l) { l.setWordWrap(false); }},
        {"wrapping again, another text", [](QLabel &l) {
             l.setWordWrap(true);
             l.setText(QStringLiteral("Progetto operativo"));
         }},
    };
    const int widths[] = {40, 120, 300, 120, 1000, 40};
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        both(s.change);
        for (int w : widths)
            EXPECT_EQ(wrapped.heightForWidth(w), plain.heightForWidth(w)) << "width " << w;
    }
    // Many widths, as an interactive resize asks: still the toolkit's.
    for (int w = 20; w < 900; w += 37)
        EXPECT_EQ(wrapped.heightForWidth(w), plain.heightForWidth(w)) << "width " << w;
}
