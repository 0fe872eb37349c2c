#pragma once
// A clickable colour swatch: a label or picture box whose back colour is the colour.
#include <QLabel>

namespace maps {

class ColorBox : public QLabel {
    Q_OBJECT
public:
    explicit ColorBox(const QString &text = {}, QWidget *parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor &c);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void paintColor();
    QColor m_color = Qt::white;
};

} // namespace maps
