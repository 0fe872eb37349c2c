#include "frame/Widgets.h"

#include <QLabel>

namespace frame {

void Describe(QWidget *w, const QString &text)
{
    w->setAccessibleName(text);
    if (w->toolTip().isEmpty())
        w->setToolTip(text);
}

WrappedLabel::WrappedLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setWordWrap(true);
}

WrappedLabel::Measured WrappedLabel::current() const
{
    return {text(), font(), contentsMargins(), margin(), indent(), alignment(), textFormat(), wordWrap()};
}

int WrappedLabel::heightForWidth(int width) const
{
    Measured now = current();
    if (!(now == m_measured)) {
        m_measured = std::move(now);
        m_heights.clear();
    }
    for (const auto &[w, h] : m_heights)
        if (w == width)
            return h;
    const int h = QLabel::heightForWidth(width);
    // A layout asks for a handful of widths; an interactive resize for many.
    if (m_heights.size() >= 8)
        m_heights.erase(m_heights.begin());
    m_heights.emplace_back(width, h);
    return h;
}

QLabel *TitleBand(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSize(f.pointSize() + 5);
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setStyleSheet(QStringLiteral("QLabel { background: #000080; color: white; padding: 4px; }"));
    return l;
}

} // namespace frame
