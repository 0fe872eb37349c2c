#include "platform/report/Report.h"
#include "platform/Screen.h"
#include "platform/Error.h"
#include "platform/Prompts.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace platform::report {

using platform::db::Recordset;
using platform::db::Value;

QFont FontDef::toQFont() const
{
    QFont f(family);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
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

    // Places the controls of `s` for the row `row` with the section's top at `origin`.
    void placeAt(const Section &s, double origin, int row)
    {
        for (const Control &c : s.controls)
            placeControl(s, c, origin, row);
    }

    void placeControl(const Section &s, const Control &c, double origin, int row)
    {
        Item it;
        it.section = s.name;
        it.name = c.name;
        it.kind = c.kind;
        it.font = c.font;
        it.backColor = c.backColor;
        it.rect = QRectF(m_d.margins.left() + c.rect.left(), origin + c.rect.top(), c.rect.width(), c.rect.height());
        if (c.kind == Kind::Label)
            it.text = c.caption;
        else if (c.kind == Kind::TextBox && row >= 0)
            it.text = FormatValue(m_data.at(row, m_data.fieldIndex(c.dataField)), c.format);
        m_pages.back().items.push_back(std::move(it));
    }

    // Flows a section: kept whole on the next page when it does not fit in the
    // room left but fits on an empty page; otherwise split between its bands.
    void place(const Section &s, int row)
    {
        m_row = row;
        if (s.height <= 0 && s.controls.empty())
            return;
        const double room = m_bodyBottom - m_y;
        const double fullRoom = m_bodyBottom - m_bodyTop;
        if (s.height > room && s.height <= fullRoom && m_y > m_bodyTop)
            newPage();
        double origin = m_y;
        for (const Band &b : bandsOf(s)) {
            if (origin + b.bottom > m_bodyBottom && origin + b.top > m_bodyTop) {
                newPage();
                origin = m_y - b.top;
            }
            for (const Control *c : b.controls)
                placeControl(s, *c, origin, row);
        }
        m_y = origin + s.height;
    }

    const Design &m_d;
    const Recordset &m_data;
    QSizeF m_paper;
    std::vector<Page> m_pages;
    double m_y = 0;
    double m_bodyTop = 0;
    double m_bodyBottom = 0;
    int m_row = -1;
};

QString displayText(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

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

std::function<bool()> g_probe;

} // namespace

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
        painter.setClipRect(r);
        painter.setPen(Qt::black);
        painter.setFont(it.font.toQFont());
        painter.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, displayText(it.text));
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

bool PrinterInstalled()
{
    if (g_probe)
        return g_probe();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void SetPrinterProbe(std::function<bool()> probe)
{
    g_probe = std::move(probe);
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
    if (!PrinterInstalled()) {
        raiseError(rpterr::NoPrinter, QStringLiteral("Nessuna stampante installata: impossibile stampare."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, m_design.caption);
    if (!prompts().choosePrinter(&printer))
        return;
    std::vector<Page> laidOut;
    try {
        laidOut = pages(paperOf(printer));
    } catch (const RuntimeError &e) {
        raiseError(e.number(), e.description());
        return;
    }
    if (!RenderPages(printer, laidOut))
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
