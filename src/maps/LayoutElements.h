#pragma once
// Property holders of the elements of the printed map page: a text (title,
// description), the border box and the legend rows. Positions are page inches
// from the paper's top-left corner; colours are RGB colour numbers (red in the
// low byte). The holders only keep what is written; the page renderer draws.
#include <QString>
#include <vector>

namespace maps {

struct LayoutText {
    double Top = 0, Left = 0;
    QString FontSize;  // point size as text, "14"
    QString FontName;
    QString Text;
    double Color = 0;  // black until a colour is chosen
};

struct LayoutBorder {
    double Top = 0, Bottom = 0, Right = 0, Left = 0;
    double Color = 0;
};

class LayoutLegend {
public:
    struct Row {
        QString FontName;
        int FontSize = 0;
        QString Text;
        double Left = 0, Top = 0; // the row's reference point: the colour box lies to its left
        double TextColor = 0;
        double BoxColor = 0;      // set by Add only
    };

    // Appends a row (its index is the former Count). The size comes as text;
    // a text that is not a whole number gives size 0.
    void Add(const QString &fontName, const QString &fontSize, double textColor, double boxColor,
             const QString &text, double left, double top);
    int Count() const { return int(m_rows.size()); }
    // Row i, 0 <= i < Count; RuntimeError(SubscriptOutOfRange) outside.
    Row &row(int i);
    const Row &row(int i) const;

private:
    std::vector<Row> m_rows;
};

} // namespace maps
