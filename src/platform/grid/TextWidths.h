#pragma once
// Widths of texts in a font, in pixels, exactly as QFontMetrics::
// horizontalAdvance gives them. Each distinct text is measured once per font
// and its width kept for the life of the program, so sizing the columns of a
// table shapes each text once however often it appears, in the table or in
// the next table of the same data. The widths kept for the program are
// bounded (MaxKept, every font together); past the bound they are kept only
// while the object lives (one sizing of a table). Numbers (digits, signs and
// separators) are not shaped nor kept when the font sets those characters
// side by side without kerning: their width is the sum of their characters'
// advances, which is what shaping them gives. For the user-interface thread.
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

namespace platform::grid {

class TextWidths {
public:
    static constexpr int MaxKept = 32768; // a few megabytes at most

    explicit TextWidths(const QFont &font);

    int width(const QString &text);
    const QFontMetrics &metrics() const { return m_metrics; }

    // Widths kept for every font; forgets them all (for tests).
    static int kept();
    static void forget();

    // The characters of a number, and the advances of each in the font in
    // 1/64 pixel (0 = not a character of a number); empty when the font
    // kerns some pair of them, so that numbers are shaped like other texts.
    static constexpr char16_t NumberChars[] = u"0123456789,.-+";
    struct NumberAdvances {
        bool additive = false;
        int advance[128] = {};
    };
    // Those of `font`, measured once for the program as for its widths.
    static NumberAdvances numbers(const QFont &font);

private:
    QFontMetrics m_metrics;
    struct FontWidths *m_font; // kept for the program
    QHash<QString, int> m_recent; // kept while this object lives
};

} // namespace platform::grid
