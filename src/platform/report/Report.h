#pragma once
// A small banded report engine: a design made of sections (report header, page
// header, detail, page footer, report footer) holding labels, text boxes bound
// to recordset fields by name (letter case ignored) and rectangles, measured in
// twips (1440 per inch). The detail is repeated for every record; a section
// taller than the room left on a page continues on the next one, the controls
// that sit side by side moving together. A text box grows to hold its whole
// text, pushing down what lies below it, and a text longer than the room left
// on a page goes on over the next pages, broken between whole lines. Pages are
// drawn with a QPainter on any device (printer, PDF, image) and shown in a
// modal print preview.
#include "platform/db/Recordset.h"
#include "platform/print/Print.h"

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPageLayout>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;
class QImage;

namespace platform::report {

constexpr double TwipsPerInch = 1440.0;
constexpr double TwipsPerPoint = 20.0;

// Error numbers raised by the engine.
namespace rpterr {
constexpr long NoPrinter = 8555;       // no printer installed
constexpr long FieldNotFound = 8524;   // a text box bound to a field the data does not hold
constexpr long PrintFailed = 8556;     // the printer refused the job
}

struct FontDef {
    QString family = QStringLiteral("Arial");
    double pointSize = 8.25;
    bool bold = false;
    QFont toQFont() const;
};

enum class Kind { Label, TextBox, Rectangle };
// How a text box shows its value: as text, or a Boolean as "Si"/"No" (Null: nothing).
enum class Format { Text, BooleanSiNo };

struct Control {
    QString name;
    Kind kind = Kind::Label;
    QString caption;     // labels
    QString dataField;   // text boxes
    QRect rect;          // twips, relative to the section
    FontDef font;
    Format format = Format::Text;
    QColor backColor;    // invalid: transparent
};

struct Section {
    QString name;
    int height = 0;      // twips
    std::vector<Control> controls;
};

struct Design {
    QString caption;     // the preview window's caption
    int reportWidth = 0; // twips
    QMargins margins;    // twips: left, top, right, bottom
    Section reportHeader, pageHeader, detail, pageFooter, reportFooter;
};

// Design helpers.
Control Label(const QString &name, const QString &caption, const QRect &rect, const FontDef &font = {});
Control TextBox(const QString &name, const QString &field, const QRect &rect, const FontDef &font = {},
                Format format = Format::Text);
Control Rectangle(const QString &name, const QRect &rect);

// The text of a field value in a given format.
QString FormatValue(const platform::db::Value &value, Format format);

// One line of a text as drawn: its characters and its top, in twips below the
// top of its item.
struct TextLine {
    QString text;
    double top = 0;
};

// One control as laid out on a page.
struct Item {
    QString section;
    QString name;
    Kind kind = Kind::Label;
    QString text;        // the whole text, or the part on this page of a text continued over pages
    QRectF rect;         // twips from the top-left corner of the paper
    FontDef font;
    QColor backColor;
    std::vector<TextLine> lines;   // `text` broken into the lines of the box's width
    double lineHeight = 0;         // twips
    double ascent = 0;             // twips from a line's top to its baseline
};

// A text broken into lines `widthTwips` wide in the font given, as the pages draw it.
struct TextLayout {
    std::vector<TextLine> lines;
    std::vector<qsizetype> starts;   // where each line starts in `text`
    QString text;                    // the text as drawn (line ends made uniform)
    double lineHeight = 0;
    double ascent = 0;
    double height() const { return lineHeight * double(lines.size()); }
};
TextLayout LayOutText(const QString &text, const FontDef &font, double widthTwips);

struct Page {
    std::vector<Item> items;
    // The item named `name` (case ignored), or nullptr.
    const Item *find(const QString &name) const;
    // The texts of the labels and text boxes, one per line, top to bottom.
    QString plainText() const;
};

// The A4 portrait paper, in twips.
QSizeF DefaultPaperTwips();

// Lays out the design for every row of `data` on paper of the given size (twips).
// Raises RuntimeError(FieldNotFound) for a text box bound to a missing field.
std::vector<Page> Paginate(const Design &design, const platform::db::Recordset &data, const QSizeF &paperTwips);

// Draws one page on `painter`, whose origin is the paper's top-left corner;
// `pixelsPerTwip` converts the design's measures to the device.
void RenderPage(QPainter &painter, const Page &page, double pixelsPerTwip);
// Draws every page on the printer (full-page mode); false when the printer
// cannot be painted on.
bool RenderPages(QPrinter &printer, const std::vector<Page> &pages);
// One page as an image at `dpi`, on white.
QImage RenderPageImage(const Page &page, const QSizeF &paperTwips, double dpi);

// Whether a printer is installed (see platform/print/Print.h).
using print::PrinterInstalled;
using print::SetPrinterProbe;

// A report: a design bound to the rows of one recordset, shown in a modal
// preview from which the user prints.
class DataReport {
public:
    DataReport(QString name, Design design);
    virtual ~DataReport();
    DataReport(const DataReport &) = delete;
    DataReport &operator=(const DataReport &) = delete;

    const QString &name() const { return m_name; }
    const Design &design() const { return m_design; }

    // The rows the report reads.
    void setDataSource(platform::db::Recordset rows);
    const platform::db::Recordset *dataSource() const;
    void clearDataSource();

    // The pages of the current data on A4 paper (or the paper given, in twips).
    std::vector<Page> pages(const QSizeF &paperTwips = DefaultPaperTwips()) const;

    // Shows the modal preview (its caption from the design). Layout errors are
    // raised through the error event instead. When the preview closes, the
    // report ends (DataReport_Terminate).
    void Show(QWidget *parent = nullptr);
    // Prints every page: the printer chooser (on a PDF file when no printer is
    // installed), then the job. A job that cannot be produced raises the error
    // event: NoPrinter when no printer is installed and the file could not be
    // written either, PrintFailed otherwise.
    void PrintReport(QWidget *parent = nullptr);

protected:
    // The error event: `showError` (true on entry) asks the engine to show its
    // own message (the description) after the handler.
    virtual void DataReport_Error(long number, const QString &description, bool &showError);
    // The report ends: the handler releases what the report opened.
    virtual void DataReport_Terminate();

private:
    void raiseError(long number, const QString &description);

    QString m_name;
    Design m_design;
    std::optional<platform::db::Recordset> m_data;
};

} // namespace platform::report
