#include "platform/report/Report.h"
#include "platform/Screen.h"
#include "platform/Error.h"
#include "platform/Prompts.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace platform::report {

using platform::db::Recordset;
using platform::db::Value;

QFont FontDef::toQFont() const
{
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    // Without hinting the widths of the glyphs scale with the device, so a text
    // breaks into the same lines on paper, in the preview and in an image.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

Control Label(const QString &name, const QString &caption, const QRect &rect, const FontDef &font)
{
    Control c;
    c.name = name;
    c.kind = Kind::Label;
    c.caption = caption;
    c.rect = rect;
    c.font = font;
    return c;
}

Control TextBox(const QString &name, const QString &field, const QRect &rect, const FontDef &font, Format format)
{
    Control c;
    c.name = name;
    c.kind = Kind::TextBox;
    c.dataField = field;
    c.rect = rect;
    c.font = font;
    c.format = format;
    return c;
}

Control Rectangle(const QString &name, const QRect &rect)
{
    Control c;
    c.name = name;
    c.kind = Kind::Rectangle;
    c.rect = rect;
    return c;
}

QString FormatValue(const Value &value, Format format)
{
    if (value.isNull())
        return {};
    if (format == Format::BooleanSiNo)
        return value.toBool() ? QStringLiteral("Si") : QStringLiteral("No");
    return value.toString();
}

const Item *Page::find(const QString &name) const
{
    for (const Item &i : items)
        if (i.name.compare(name, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

QString Page::plainText() const
{
    std::vector<const Item *> texts;
    for (const Item &i : items)
        if (i.kind != Kind::Rectangle)
            texts.push_back(&i);
    std::stable_sort(texts.begin(), texts.end(), [](const Item *a, const Item *b) {
        if (a->rect.top() != b->rect.top())
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QStringList lines;
    for (const Item *i : texts)
        lines << i->text;
    return lines.join(u'\n');
}

QSizeF DefaultPaperTwips()
{
    const QSizeF pt = QPageSize(QPageSize::A4).size(QPageSize::Point);
    return pt * TwipsPerPoint;
}

namespace {

QString displayText(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

// A device of 1440 dots per inch: one dot is one twip, so texts measured on it
// come out in the design's units.
const QPaintDevice *twipDevice()
{
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        const int dpm = int(TwipsPerInch / 0.0254 + 0.5);
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    return &device;
}

// Controls whose vertical extents overlap, kept together on one page.
struct Band {
    int top = 0;
    int bottom = 0;
    std::vector<const Control *> controls;
};

std::vector<Band> bandsOf(const Section &s)
{
    std::vector<const Control *> sorted;
    for (const Control &c : s.controls)
        sorted.push_back(&c);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Control *a, const Control *b) { return a->rect.top() < b->rect.top(); });
    std::vector<Band> bands;
    for (const Control *c : sorted) {
        const int top = c->rect.top();
        const int bottom = top + c->rect.height();
        if (!bands.empty() && top < bands.back().bottom) {
            bands.back().bottom = std::max(bands.back().bottom, bottom);
            bands.back().controls.push_back(c);
        } else {
            bands.push_back({top, bottom, {c}});
        }
    }
    return bands;
}

// A control of a section for one record: its text broken into lines and its
// extent (section coordinates, twips) grown to hold them. A text continued on
// the next page is a piece holding the lines still to place.
struct Piece {
    const Control *c = nullptr;
    QString text;
    TextLayout layout;
    size_t firstLine = 0;   // the lines [firstLine, endLine) belong to this piece
    size_t endLine = 0;
    size_t splitAt = 0;     // while broken at a page's end: the first line of the next page
    double top = 0;
    double height = 0;
    double bottom() const { return top + height; }
    bool whole() const { return firstLine == 0 && endLine == layout.lines.size(); }
};

// A band of pieces, after the growth of the bands above it.
struct GrownBand {
    double top = 0;
    double bottom = 0;
    std::vector<Piece> pieces;
};

constexpr double Slack = 0.5;   // twips: rounding of the measures
constexpr double Resume = 60;   // twips: a text resumes this far below the top of its next page (clear of a frame's edge)

class Paginator {
public:
    Paginator(const Design &d, const Recordset &data, const QSizeF &paper) : m_d(d), m_data(data), m_paper(paper)
    {
        m_bodyBottom = paper.height() - d.margins.bottom() - d.pageFooter.height;
    }

    std::vector<Page> run()
    {
        checkFields();
        startPage(true);
        place(m_d.reportHeader, m_data.recordCount() > 0 ? 0 : -1);
        placePageHeader();
        for (int r = 0; r < m_data.recordCount(); ++r)
            place(m_d.detail, r);
        place(m_d.reportFooter, m_data.recordCount() > 0 ? m_data.recordCount() - 1 : -1);
        finishPage();
        return std::move(m_pages);
    }

private:
    void checkFields() const
    {
        for (const Section *s : {&m_d.reportHeader, &m_d.pageHeader, &m_d.detail, &m_d.pageFooter, &m_d.reportFooter})
            for (const Control &c : s->controls)
                if (c.kind == Kind::TextBox && m_data.fieldIndex(c.dataField) < 0)
                    throw RuntimeError(rpterr::FieldNotFound,
                                       QStringLiteral("Campo dati '%1' non trovato (%2).").arg(c.dataField, c.name));
    }

    void startPage(bool first)
    {
        m_pages.emplace_back();
        m_y = m_d.margins.top();
        if (!first)
            placePageHeader();
    }

    void placePageHeader()
    {
        placeAt(m_d.pageHeader, m_y, m_row);
        m_y += m_d.pageHeader.height;
        m_bodyTop = m_y;
    }

    void finishPage()
    {
        placeAt(m_d.pageFooter, m_bodyBottom, m_row);
    }

    void newPage()
    {
        finishPage();
        startPage(false);
    }

    QString textOf(const Control &c, int row) const
    {
        if (c.kind == Kind::Label)
            return c.caption;
        if (c.kind == Kind::TextBox && row >= 0)
            return FormatValue(m_data.at(row, m_data.fieldIndex(c.dataField)), c.format);
        return {};
    }

    // The control for the record `row`; a text box grows to hold its text when `grow`.
    Piece measure(const Control &c, int row, bool grow) const
    {
        Piece p;
        p.c = &c;
        p.text = textOf(c, row);
        p.top = c.rect.top();
        p.height = c.rect.height();
        if (c.kind != Kind::Rectangle && !p.text.isEmpty()) {
            p.layout = LayOutText(p.text, c.font, c.rect.width());
            p.endLine = p.layout.lines.size();
            if (grow && c.kind == Kind::TextBox)
                p.height = std::max(p.height, p.layout.height());
        }
        return p;
    }

    // Puts a piece on the current page, the section's top at `origin`.
    void put(const Piece &p, double origin)
    {
        Item it;
        it.section = m_sectionName;
        it.name = p.c->name;
        it.kind = p.c->kind;
        it.font = p.c->font;
        it.backColor = p.c->backColor;
        it.rect = QRectF(m_d.margins.left() + p.c->rect.left(), origin + p.top, p.c->rect.width(), p.height);
        it.text = p.text;
        if (p.endLine > p.firstLine) {
            const TextLayout &l = p.layout;
            const double base = l.lines[p.firstLine].top;
            for (size_t k = p.firstLine; k < p.endLine; ++k)
                it.lines.push_back({l.lines[k].text, l.lines[k].top - base});
            it.lineHeight = l.lineHeight;
            it.ascent = l.ascent;
            if (!p.whole()) {
                const qsizetype from = l.starts[p.firstLine];
                const qsizetype to = p.endLine < l.starts.size() ? l.starts[p.endLine] : l.text.size();
                it.text = l.text.mid(from, to - from);
            }
        }
        m_pages.back().items.push_back(std::move(it));
    }

    // Places the controls of `s` for the row `row` with the section's top at `origin`, as designed.
    void placeAt(const Section &s, double origin, int row)
    {
        const QString flowing = std::exchange(m_sectionName, s.name);   // a page header placed amid a section
        for (const Control &c : s.controls)
            put(measure(c, row, false), origin);
        m_sectionName = flowing;
    }

    // The bands of `s` for the record `row`, each text box grown to its text and
    // what lies below it moved down; a rectangle around a grown box grows with it.
    // `height` receives the section's grown height.
    std::vector<GrownBand> grownBands(const Section &s, int row, double &height) const
    {
        std::vector<GrownBand> out;
        double shift = 0;
        for (const Band &b : bandsOf(s)) {
            GrownBand g;
            for (const Control *c : b.controls)   // in the order of their tops
                g.pieces.push_back(measure(*c, row, true));
            // How far each piece moves down: the growth of the boxes wholly above it, in a chain.
            std::vector<double> down(g.pieces.size(), 0.0);
            auto growth = [&](size_t k) { return g.pieces[k].height - g.pieces[k].c->rect.height(); };
            for (size_t q = 0; q < g.pieces.size(); ++q)
                for (size_t p = 0; p < q; ++p)
                    if (g.pieces[p].c->rect.top() + g.pieces[p].c->rect.height() <= g.pieces[q].c->rect.top())
                        down[q] = std::max(down[q], down[p] + growth(p));
            for (size_t r = 0; r < g.pieces.size(); ++r) {
                if (g.pieces[r].c->kind != Kind::Rectangle)
                    continue;
                double stretch = 0;
                for (size_t k = 0; k < g.pieces.size(); ++k)
                    if (k != r && g.pieces[r].c->rect.contains(g.pieces[k].c->rect))
                        stretch = std::max(stretch, down[k] + growth(k) - down[r]);
                g.pieces[r].height += stretch;
            }
            double bottom = b.bottom;
            for (size_t k = 0; k < g.pieces.size(); ++k) {
                Piece &p = g.pieces[k];
                p.top += down[k];
                bottom = std::max(bottom, p.bottom());
                p.top += shift;
            }
            g.top = b.top + shift;
            g.bottom = bottom + shift;
            shift += bottom - b.bottom;
            out.push_back(std::move(g));
        }
        height = s.height + shift;
        return out;
    }

    // Flows one band from `origin` (the page position of the section's top):
    // kept whole on the next page when it does not fit here but fits a page;
    // otherwise broken at the page's end, texts between whole lines. Returns
    // the origin on the page where the band ends; `grownBy` receives how much
    // lower the band ends than measured (a text pushed to the next page).
    double flow(GrownBand &b, double origin, double &grownBy)
    {
        const double fullRoom = m_bodyBottom - m_bodyTop;
        if (origin + b.bottom > m_bodyBottom + Slack && origin + b.top > m_bodyTop + Slack &&
            b.bottom - b.top <= fullRoom) {
            newPage();
            origin = m_y - b.top;
        }
        std::vector<Piece> rest = std::move(b.pieces);
        for (;;) {
            double bottom = b.top;
            for (const Piece &p : rest)
                bottom = std::max(bottom, p.bottom());
            if (origin + bottom <= m_bodyBottom + Slack || fullRoom <= 0) {
                for (const Piece &p : rest)
                    put(p, origin);
                grownBy = std::max(0.0, bottom - b.bottom);
                return origin;
            }
            const double cut = m_bodyBottom - origin;       // the page's end, in section coordinates
            const double pageStart = m_bodyTop - origin;    // the page's body top, likewise
            // The texts broken here first: a text whose next line starts a little
            // above the page's end goes on lower on the next page, and what lies
            // below it (a frame around it) moves down (stretches) as much.
            std::vector<std::pair<const Control *, double>> pushes;
            for (Piece &p : rest) {
                p.splitAt = p.firstLine;
                if (p.c->kind != Kind::TextBox || p.endLine == p.firstLine || p.bottom() <= cut + Slack ||
                    p.top >= cut - Slack)
                    continue;
                const TextLayout &l = p.layout;
                const double base = l.lines[p.firstLine].top;
                size_t k = p.firstLine;
                while (k < p.endLine && p.top + (l.lines[k].top - base) + l.lineHeight <= cut + Slack)
                    ++k;
                if (k == p.firstLine && p.top <= pageStart + Resume + Slack)
                    k = p.firstLine + 1;   // a line taller than the page: drawn all the same
                p.splitAt = k;
                const double restTop = k == p.firstLine ? p.top : p.top + (l.lines[k].top - base);
                if (k < p.endLine && cut + Resume > restTop)
                    pushes.emplace_back(p.c, cut + Resume - restTop);
            }
            for (Piece &p : rest) {
                double down = 0, stretch = 0;
                for (const auto &[c, by] : pushes) {
                    if (p.c == c)
                        continue;
                    if (p.c->rect.top() >= c->rect.top() + c->rect.height())
                        down = std::max(down, by);
                    else if (p.c->kind == Kind::Rectangle && p.c->rect.contains(c->rect))
                        stretch = std::max(stretch, by);
                }
                p.top += down;
                p.height += stretch;
            }
            std::vector<Piece> next;
            for (Piece &p : rest) {
                if (p.bottom() <= cut + Slack) {
                    put(p, origin);
                    continue;
                }
                if (p.top >= cut - Slack) {
                    next.push_back(std::move(p));
                    continue;
                }
                const bool atPageTop = p.top <= pageStart + Resume + Slack;
                if (p.c->kind == Kind::TextBox && p.endLine > p.firstLine) {
                    const size_t k = p.splitAt;
                    if (k == p.firstLine) {
                        p.top = cut + Resume;   // not one line fits: the box starts on the next page
                        next.push_back(std::move(p));
                        continue;
                    }
                    Piece here = p;
                    here.endLine = k;
                    here.height = cut - p.top;
                    put(here, origin);
                    if (k == p.endLine)
                        continue;
                    Piece cont = std::move(p);
                    const double remaining = cont.layout.lineHeight * double(cont.endLine - k);
                    cont.height = std::max(remaining, cont.bottom() - cut);
                    cont.firstLine = k;
                    cont.top = cut + Resume;
                    next.push_back(std::move(cont));
                    continue;
                }
                if (p.c->kind == Kind::Rectangle || atPageTop) {
                    // A frame goes on over the next page; anything else taller than a page is cut.
                    Piece here = p;
                    here.height = cut - p.top;
                    put(here, origin);
                    if (p.c->kind == Kind::Rectangle) {
                        p.height = p.bottom() - cut;
                        p.top = cut;
                        next.push_back(std::move(p));
                    }
                    continue;
                }
                p.top = cut;   // a caption moves to the next page whole
                next.push_back(std::move(p));
            }
            newPage();
            origin = m_y - cut;
            rest = std::move(next);
        }
    }

    // Flows a section: kept whole on the next page when it does not fit in the
    // room left but fits on an empty page; otherwise split between its bands.
    void place(const Section &s, int row)
    {
        m_row = row;
        if (s.height <= 0 && s.controls.empty())
            return;
        m_sectionName = s.name;
        double height = 0;
        std::vector<GrownBand> bands = grownBands(s, row, height);
        const double room = m_bodyBottom - m_y;
        const double fullRoom = m_bodyBottom - m_bodyTop;
        if (height > room && height <= fullRoom && m_y > m_bodyTop)
            newPage();
        double origin = m_y;
        double extra = 0;   // how much lower than measured the bands above ended
        for (GrownBand &b : bands) {
            if (extra > 0) {
                b.top += extra;
                b.bottom += extra;
                for (Piece &p : b.pieces)
                    p.top += extra;
            }
            double grownBy = 0;
            origin = flow(b, origin, grownBy);
            extra += grownBy;
        }
        m_y = origin + height + extra;
    }

    const Design &m_d;
    const Recordset &m_data;
    QSizeF m_paper;
    std::vector<Page> m_pages;
    QString m_sectionName;
    double m_y = 0;
    double m_bodyTop = 0;
    double m_bodyBottom = 0;
    int m_row = -1;
};

QSizeF paperOf(const QPrinter &printer)
{
    return printer.pageLayout().fullRect(QPageLayout::Point).size() * TwipsPerPoint;
}

void setUpPrinter(QPrinter &printer, const QString &docName)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(docName);
}

} // namespace

TextLayout LayOutText(const QString &text, const FontDef &font, double widthTwips)
{
    TextLayout out;
    out.text = displayText(text);
    const QFont f = font.toQFont();
    const QFontMetricsF metrics(f, twipDevice());
    // (the leading may be negative; a line is never lower than its glyphs)
    out.lineHeight = std::max({metrics.lineSpacing(), metrics.height(), 1.0});
    out.ascent = metrics.ascent();
    if (out.text.isEmpty())
        return out;
    QString laid = out.text;
    laid.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(laid, f, twipDevice());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, widthTwips));
        const double top = out.lineHeight * double(out.lines.size());
        line.setPosition(QPointF(0, top));
        QString shown = out.text.mid(line.textStart(), line.textLength());
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);   // the blanks and the line end that close a line are not drawn
        out.starts.push_back(line.textStart());
        out.lines.push_back({shown, top});
    }
    layout.endLayout();
    return out;
}

std::vector<Page> Paginate(const Design &design, const Recordset &data, const QSizeF &paperTwips)
{
    return Paginator(design, data, paperTwips).run();
}

void RenderPage(QPainter &painter, const Page &page, double pixelsPerTwip)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const Item &it : page.items) {
        const QRectF r(it.rect.left() * pixelsPerTwip, it.rect.top() * pixelsPerTwip, it.rect.width() * pixelsPerTwip,
                       it.rect.height() * pixelsPerTwip);
        if (it.backColor.isValid())
            painter.fillRect(r, it.backColor);
        if (it.kind == Kind::Rectangle) {
            QPen pen(Qt::black);
            pen.setWidthF(std::max(1.0, 15 * pixelsPerTwip));   // about a point
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r);
            continue;
        }
        if (it.text.isEmpty())
            continue;
        painter.save();
        painter.setPen(Qt::black);
        painter.setFont(it.font.toQFont());
        if (it.lines.empty()) {
            painter.setClipRect(r);
            painter.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, displayText(it.text));
        } else {
            // A caption stays in its box; a text box has grown to hold its lines.
            if (it.kind == Kind::Label)
                painter.setClipRect(r);
            for (const TextLine &line : it.lines)
                painter.drawText(QPointF(r.left(), r.top() + (line.top + it.ascent) * pixelsPerTwip), line.text);
        }
        painter.restore();
    }
    painter.restore();
}

bool RenderPages(QPrinter &printer, const std::vector<Page> &pages)
{
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double ppt = printer.resolution() / TwipsPerInch;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage())
            return false;
        RenderPage(painter, pages[i], ppt);
    }
    return painter.end();
}

QImage RenderPageImage(const Page &page, const QSizeF &paperTwips, double dpi)
{
    const double ppt = dpi / TwipsPerInch;
    QImage img(QSize(int(paperTwips.width() * ppt + 0.5), int(paperTwips.height() * ppt + 0.5)), QImage::Format_RGB32);
    const int dpm = int(dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    QPainter p(&img);
    RenderPage(p, page, ppt);
    return img;
}

// ---- the report -------------------------------------------------------------------

namespace {

// The modal preview: the pages as they will print, page navigation, zoom,
// printing and closing.
class PreviewDialog : public QDialog {
public:
    PreviewDialog(DataReport &report, const std::function<void()> &print, QWidget *parent)
        : QDialog(parent), m_report(report)
    {
        setObjectName(report.name());
        setWindowTitle(report.design().caption);
        setModal(true);
        setUpPrinter(m_printer, report.design().caption);
        m_printer.setOutputFormat(QPrinter::PdfFormat);   // the preview paints, never writes

        m_view = new QPrintPreviewWidget(&m_printer, this);
        m_view->setObjectName(QStringLiteral("anteprima"));
        connect(m_view, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
            try {
                m_pages = m_report.pages(paperOf(*printer));
            } catch (const RuntimeError &) {
                m_pages.clear();   // checked before the preview opened: the data cannot change meanwhile
            }
            RenderPages(*printer, m_pages);
        });
        connect(m_view, &QPrintPreviewWidget::previewChanged, this, [this] { updatePageLabel(); });
        // Scrolling through the pages changes the current page too.
        if (auto *scroll = m_view->findChild<QAbstractScrollArea *>())
            connect(scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updatePageLabel(); });

        auto button = [this](const char *name, const QString &text) {
            auto *b = new QPushButton(text, this);
            b->setObjectName(QString::fromLatin1(name));
            b->setAutoDefault(false);
            return b;
        };
        QPushButton *cmdStampa = button("cmdStampa", QStringLiteral("Stampa..."));
        QPushButton *cmdPrima = button("cmdPaginaPrecedente", QStringLiteral("< Pagina precedente"));
        QPushButton *cmdDopo = button("cmdPaginaSuccessiva", QStringLiteral("Pagina successiva >"));
        QPushButton *cmdIngrandisci = button("cmdIngrandisci", QStringLiteral("Ingrandisci"));
        QPushButton *cmdRiduci = button("cmdRiduci", QStringLiteral("Riduci"));
        QPushButton *cmdAdatta = button("cmdPaginaIntera", QStringLiteral("Pagina intera"));
        QPushButton *cmdChiudi = button("cmdChiudi", QStringLiteral("Chiudi"));
        m_lblPagina = new QLabel(this);
        m_lblPagina->setObjectName(QStringLiteral("lblPagina"));

        connect(cmdStampa, &QPushButton::clicked, this, [print] { print(); });
        connect(cmdPrima, &QPushButton::clicked, this, [this] {
            m_view->setCurrentPage(std::max(1, m_view->currentPage() - 1));
            updatePageLabel();
        });
        connect(cmdDopo, &QPushButton::clicked, this, [this] {
            m_view->setCurrentPage(std::min(m_view->pageCount(), m_view->currentPage() + 1));
            updatePageLabel();
        });
        connect(cmdIngrandisci, &QPushButton::clicked, m_view, [this] { m_view->zoomIn(); });
        connect(cmdRiduci, &QPushButton::clicked, m_view, [this] { m_view->zoomOut(); });
        connect(cmdAdatta, &QPushButton::clicked, m_view, [this] { m_view->fitInView(); });
        connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::reject);

        auto *bar = new QHBoxLayout;
        bar->addWidget(cmdStampa);
        bar->addSpacing(12);
        bar->addWidget(cmdPrima);
        bar->addWidget(m_lblPagina);
        bar->addWidget(cmdDopo);
        bar->addSpacing(12);
        bar->addWidget(cmdIngrandisci);
        bar->addWidget(cmdRiduci);
        bar->addWidget(cmdAdatta);
        bar->addStretch(1);
        bar->addWidget(cmdChiudi);
        auto *main = new QVBoxLayout(this);
        main->addLayout(bar);
        main->addWidget(m_view, 1);
        resize(900, 900);
        FitToScreen(this);
        m_view->fitToWidth();
    }

private:
    void updatePageLabel()
    {
        m_lblPagina->setText(QStringLiteral("Pagina %1 di %2").arg(m_view->currentPage()).arg(m_view->pageCount()));
    }

    DataReport &m_report;
    QPrinter m_printer{QPrinter::HighResolution};
    QPrintPreviewWidget *m_view = nullptr;
    QLabel *m_lblPagina = nullptr;
    std::vector<Page> m_pages;
};

} // namespace

DataReport::DataReport(QString name, Design design) : m_name(std::move(name)), m_design(std::move(design)) {}

DataReport::~DataReport() = default;

void DataReport::setDataSource(Recordset rows)
{
    m_data = std::move(rows);
}

const Recordset *DataReport::dataSource() const
{
    return m_data ? &*m_data : nullptr;
}

void DataReport::clearDataSource()
{
    m_data.reset();
}

std::vector<Page> DataReport::pages(const QSizeF &paperTwips) const
{
    static const Recordset none;
    return Paginate(m_design, m_data ? *m_data : none, paperTwips);
}

void DataReport::Show(QWidget *parent)
{
    try {
        pages();   // the bindings are checked before anything is shown
    } catch (const RuntimeError &e) {
        raiseError(e.number(), e.description());
        DataReport_Terminate();
        return;
    }
    if (!parent)
        parent = QApplication::activeWindow();
    {
        PreviewDialog dlg(*this, [this, &dlg] { PrintReport(&dlg); }, parent);
        dlg.exec();
    }
    DataReport_Terminate();
}

void DataReport::PrintReport(QWidget *)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, m_design.caption);
    if (!print::ChooseOutput(printer, m_design.caption))
        return;
    std::vector<Page> laidOut;
    try {
        laidOut = pages(paperOf(printer));
    } catch (const RuntimeError &e) {
        raiseError(e.number(), e.description());
        return;
    }
    if (RenderPages(printer, laidOut))
        return;
    if (!PrinterInstalled())
        raiseError(rpterr::NoPrinter, QStringLiteral("Stampante non installata!"));
    else if (print::ToFile(printer))
        raiseError(rpterr::PrintFailed, QStringLiteral("Impossibile scrivere il file '%1'.")
                                            .arg(QDir::toNativeSeparators(printer.outputFileName())));
    else
        raiseError(rpterr::PrintFailed, QStringLiteral("Impossibile stampare sulla stampante scelta."));
}

void DataReport::DataReport_Error(long, const QString &, bool &) {}

void DataReport::DataReport_Terminate()
{
    clearDataSource();
}

void DataReport::raiseError(long number, const QString &description)
{
    bool showError = true;
    DataReport_Error(number, description, showError);
    if (showError)
        prompts().msgBox(description, mb::Exclamation, m_design.caption);
}

} // namespace platform::report
