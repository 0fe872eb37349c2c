#include "metadata/SchedaUi.h"
#include "frame/Widgets.h"
#include "metadata/SchedaLogic.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace scheda::ui {

QLabel *Heading(QWidget *parent)
{
    return frame::TitleBand(QStringLiteral("lblTitolo"), QStringLiteral(" Visualizza Scheda Metadati "), parent);
}

QLabel *Caption(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setStyleSheet(QStringLiteral("QLabel { color: #000080; font-weight: bold; }"));
    l->setAlignment(Qt::AlignRight | Qt::AlignTop);
    l->setContentsMargins(0, 4, 4, 0);
    return l;
}

QLineEdit *LineBox(QWidget *parent, const QString &name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

QPlainTextEdit *TextBox(QWidget *parent, const QString &name, int lines)
{
    auto *e = new QPlainTextEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const int h = QFontMetrics(e->font()).lineSpacing() * lines + 10;
    e->setMinimumHeight(h);
    e->setMaximumHeight(lines > 3 ? QWIDGETSIZE_MAX : h);
    return e;
}

QCheckBox *ShowOnlyCheck(QWidget *parent, const QString &name, const QString &text)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

QPushButton *Button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumWidth(90);
    return b;
}

QGroupBox *YearsFrame(QWidget *parent, std::array<QCheckBox *, 13> &checks)
{
    auto *box = new QGroupBox(QStringLiteral("Anni disponibili"), parent);
    box->setObjectName(QStringLiteral("fraAnni"));
    box->setStyleSheet(QStringLiteral("QGroupBox { background: white; color: #000080; font-weight: bold; margin-top: 1.2em; }"
                                      "QGroupBox::title { subcontrol-origin: margin; left: 8px; }"));
    auto *g = new QGridLayout(box);
    for (int k = 0; k < 13; ++k) {
        auto *year = new QLabel(QString::number(FirstYear + k), box);
        year->setObjectName(QStringLiteral("lblAnno%1").arg(k + 1));
        year->setAlignment(Qt::AlignCenter);
        checks[size_t(k)] = ShowOnlyCheck(box, QStringLiteral("Check%1").arg(k + 1), QString());
        frame::Describe(checks[size_t(k)], year->text());   // the year it shows
        g->addWidget(year, 0, k, Qt::AlignHCenter);
        g->addWidget(checks[size_t(k)], 1, k, Qt::AlignHCenter);
    }
    return box;
}

void SetText(QLineEdit *box, const QString &text)
{
    box->setText(ForDisplay(text));
    box->setCursorPosition(0);
}

void SetText(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(ForDisplay(text));
}

} // namespace scheda::ui
