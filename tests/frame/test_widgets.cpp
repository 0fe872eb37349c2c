// The shared controls of the windows.
#include "frame/Widgets.h"

#include <QFont>
#include <QFontMetrics>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <functional>
#include <iterator>
#include <memory>
#include <gtest/gtest.h>

namespace {

const QString Info = QStringLiteral(
    "Trambelo - banca dati di indicatori e variabili di dotazione infrastrutturale\r\n"
    "delle province e delle regioni italiane, anni 1996-2008.\r\n\r\n"
    "Territori (province, regioni, ripartizioni, Italia, aree Obiettivo 1) e classificazioni\r\n"
    "sono reali; i valori sono dati dimostrativi: non sono statistiche ufficiali.\r\n");

QFont fontOf(const char *family, int points, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

// The measure gives the toolkit's own bounding rectangle for every text,
// font, alignment and width, in whatever order the widths are asked: its
// lines are broken again for each width from a shaping made once.
TEST(WrappedTextMeasure, GivesTheToolkitsRectangleForEveryWidthInAnyOrder)
{
    const QString texts[] = {
        QStringLiteral("Il sistema di indicatori di dotazione e funzionalità delle infrastrutture"),
        Info,
        QStringLiteral("Parola\tcon\ttabulazioni   e spazi in fondo   "),
        QStringLiteral("Unaparolalunghissimachenonentrainnessunarigadiquestaprova e poi altre"),
        QStringLiteral("\n\nRighe vuote in testa\n"),
        QStringLiteral("x"),
    };
    const QFont fonts[] = {QFont(), fontOf("Verdana", 14, true), fontOf("DejaVu Serif", 22, false)};
    const int flagSets[] = {Qt::AlignLeft | Qt::AlignTop, Qt::AlignLeft, Qt::AlignRight | Qt::AlignBottom,
                            Qt::AlignHCenter | Qt::AlignVCenter};
    const int widths[] = {300, 40, 0, -25, 1000, 300, 699, 471, 16777215, 40};
    for (const QFont &font : fonts) {
        const QFontMetrics fm(font);
        for (const QString &text : texts) {
            frame::WrappedTextMeasure measure(text, font);
            for (int align : flagSets) {
                const int flags = align | Qt::TextWordWrap;
                ASSERT_TRUE(frame::WrappedTextMeasure::handles(flags, text));
                for (int w : widths)
                    EXPECT_EQ(measure.boundingRect(w, 2000, flags), fm.boundingRect(QRect(0, 0, w, 2000), flags, text))
                        << font.family().toStdString() << " " << font.pointSize() << ", flags " << flags
                        << ", width " << w << ": " << text.left(20).toStdString();
            }
        }
    }
}

// A wrapped label gives the heights and size hints the toolkit's label gives
// in the same state, for every width, also after each thing they depend on
// changed: a size kept for an older text, font or margin would lay the page
// out wrong.
TEST(WrappedLabel, GivesTheToolkitsSizesThroughEveryChange)
{
    frame::WrappedLabel wrapped;
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
        {"a longer text with its own lines", [](QLabel &l) { l.setText(Info); }},
        {"a larger bold font", [&](QLabel &l) { l.setFont(big); }},
        {"a family this system may not have", [](QLabel &l) { l.setFont(fontOf("Verdana", 14, true)); }},
        {"margins", [](QLabel &l) { l.setContentsMargins(30, 5, 40, 5); }},
        {"an indent", [](QLabel &l) { l.setIndent(25); }},
        {"a margin", [](QLabel &l) { l.setMargin(7); }},
        {"a frame without an indent",
         [](QLabel &l) {
             l.setIndent(-1);
             l.setFrameStyle(QFrame::Box | QFrame::Plain);
         }},
        {"centred at the bottom", [](QLabel &l) { l.setAlignment(Qt::AlignHCenter | Qt::AlignBottom); }},
        {"a minimum and a maximum size",
         [](QLabel &l) {
             l.setMinimumSize(60, 30);
             l.setMaximumWidth(250);
         }},
        {"another size policy", [](QLabel &l) { l.setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed); }},
        {"plain text", [](QLabel &l) { l.setTextFormat(Qt::PlainText); }},
        {"rich text", [](QLabel &l) {
             l.setTextFormat(Qt::AutoText);
             l.setText(QStringLiteral("<b>Fonte</b>: ISTAT, confini amministrativi"));
         }},
        {"a mnemonic", [](QLabel &l) { l.setText(QStringLiteral("&Stampa il foglio dei metadati")); }},
        {"selectable text",
         [](QLabel &l) {
             l.setText(QStringLiteral("Testo che si può selezionare"));
             l.setTextInteractionFlags(Qt::TextSelectableByMouse);
         }},
        {"no wrapping", [](QLabel &l) { l.setWordWrap(false); }},
        {"wrapping again, another text", [](QLabel &l) {
             l.setTextInteractionFlags(Qt::LinksAccessibleByMouse);
             l.setWordWrap(true);
             l.setText(QStringLiteral("Progetto operativo"));
         }},
    };
    const int widths[] = {40, 120, 300, 120, 1000, 0, 40};
    // The toolkit's label in the state of the wrapped one after `done` steps,
    // made afresh: its own kept hints ignore some changes.
    const auto plainAfter = [&](size_t done) {
        auto plain = std::make_unique<QLabel>();
        plain->setWordWrap(true);
        for (size_t i = 0; i < done; ++i)
            steps[i].change(*plain);
        return plain;
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].name);
        steps[i].change(wrapped);
        const auto plain = plainAfter(i + 1);
        EXPECT_EQ(wrapped.sizeHint(), plain->sizeHint());
        EXPECT_EQ(wrapped.minimumSizeHint(), plain->minimumSizeHint());
        for (int w : widths)
            EXPECT_EQ(wrapped.heightForWidth(w), plain->heightForWidth(w)) << "width " << w;
    }
    // Many widths, as an interactive resize asks: still the toolkit's.
    wrapped.setText(Info);
    auto plain = plainAfter(std::size(steps));
    plain->setText(Info);
    for (int w = 20; w < 900; w += 37)
        EXPECT_EQ(wrapped.heightForWidth(w), plain->heightForWidth(w)) << "width " << w;
}

// A wrapped label paints its lines from its own layout: the pixels are the
// toolkit label's, for each alignment, size (a label too short clips its
// text), margin, colour and font.
TEST(WrappedLabel, PaintsAsTheToolkitsLabel)
{
    struct Case {
        const char *name;
        QString text;
        QFont font;
        Qt::Alignment align;
        QSize size;
        std::function<void(QLabel &)> more;
    };
    const auto none = [](QLabel &) {};
    const QString title = QStringLiteral("Il sistema di indicatori di dotazione e funzionalità delle infrastrutture");
    const Case cases[] = {
        {"the welcome text", Info, QFont(), Qt::AlignLeft | Qt::AlignTop, {520, 300}, none},
        {"the title, centred in height", title, fontOf("Verdana", 14, true), Qt::AlignLeft | Qt::AlignVCenter,
         {600, 90}, none},
        {"at the bottom", title, QFont(), Qt::AlignLeft | Qt::AlignBottom, {200, 160}, none},
        {"too short: clipped to the contents", Info, QFont(), Qt::AlignLeft | Qt::AlignTop, {300, 60},
         [](QLabel &l) { l.setContentsMargins(0, 0, 0, 16); }},
        {"too short, centred in height", Info, QFont(), Qt::AlignLeft | Qt::AlignVCenter, {300, 45}, none},
        {"narrower than a word", QStringLiteral("Unaparolalunghissimachenonentra e poi"), QFont(),
         Qt::AlignLeft | Qt::AlignTop, {60, 80}, none},
        {"margins, indent, a frame and a colour", Info, fontOf("DejaVu Serif", 11, false), Qt::AlignLeft | Qt::AlignTop,
         {420, 260},
         [](QLabel &l) {
             l.setContentsMargins(12, 7, 20, 3);
             l.setMargin(4);
             l.setFrameStyle(QFrame::Box | QFrame::Plain);
             QPalette p = l.palette();
             p.setColor(QPalette::WindowText, QColor(0x10, 0x20, 0x6a));
             l.setPalette(p);
         }},
        {"an indent", title, QFont(), Qt::AlignLeft | Qt::AlignBottom, {300, 120}, [](QLabel &l) { l.setIndent(17); }},
        {"disabled", title, QFont(), Qt::AlignLeft | Qt::AlignTop, {300, 90}, [](QLabel &l) { l.setEnabled(false); }},
        {"centred: the toolkit paints it", title, QFont(), Qt::AlignHCenter | Qt::AlignTop, {250, 90}, none},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        frame::WrappedLabel wrapped;
        QLabel plain;
        plain.setWordWrap(true);
        for (QLabel *l : {static_cast<QLabel *>(&wrapped), &plain}) {
            l->setText(c.text);
            l->setFont(c.font);
            l->setAlignment(c.align);
            c.more(*l);
            l->resize(c.size);
        }
        const QImage a = wrapped.grab().toImage();
        const QImage b = plain.grab().toImage();
        ASSERT_EQ(a.size(), b.size());
        EXPECT_TRUE(a == b);
        // Measured first at other widths, as a layout does: the same pixels.
        wrapped.heightForWidth(c.size.width() / 2);
        wrapped.sizeHint();
        EXPECT_TRUE(wrapped.grab().toImage() == b);
    }
}
