#pragma once
// The print layout of a thematic map: a preview of the whole sheet of the
// current printer with the map picture, the border box, the title, the legend
// and the description; a settings tab per element; placement with the mouse;
// printing of the page and saving of the preview as BMP or JPEG. The page is
// built once from the map window when the layout opens.
#include "maps/LayoutPage.h"
#include "maps/LayoutRender.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QSlider;
class QTabWidget;
class frm_Mappa;

namespace maps {
class ColorBox;
class PagePreview;
}

class PrintMappa : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *FormName = "PrintMappa";
    static constexpr long HelpTopic = 1300;

    explicit PrintMappa(QWidget *parent = nullptr);
    ~PrintMappa() override;

    // Opens the layout on the map window's current map (an open layout is
    // brought to the front as it is).
    static PrintMappa *ShowForm(frm_Mappa &mappa);
    static PrintMappa *Instance();

    // The popup of a right click on overlapping elements: returns the name
    // chosen, "" when closed without a choice. Tests replace it.
    static inline std::function<QString(const QStringList &names)> PopupChooser;

    // Builds the page from the map window.
    void Form_Load(frm_Mappa &mappa);
    // The same from its parts (the map picture, the description, the class grid).
    void LoadPage(const QPicture &map, const QString &descText, const platform::grid::TextGrid &classGrid);

    const maps::LayoutPage &page() const { return m_page; }
    maps::LayoutPage &page() { return m_page; }
    // The printer the page is laid out for and printed on.
    QPrinter &printer() { return *m_printer; }

    // Legend list and rows.
    void CaricaLegenda(const platform::grid::TextGrid &grid);
    void AggiornaLegenda();
    // The preview's page scale; returns the preview ratio.
    double ScalaAnteprima();
    void RidisegnaAnteprima();
    // Draws the page on a painter of the preview or of the printer.
    void regola(QPainter &painter, const maps::PageDevice &dev);
    // The preview as an image (white sheet, the page drawn at preview size).
    QImage PreviewImage();
    // The preview's page device (page inches to preview pixels).
    maps::PageDevice PreviewPageDevice() const;

    // Handlers.
    void Chk_Titolo_Click();
    void chkDesc_Click();
    void txt_Titolo_LostFocus();
    void txtDesc_LostFocus();
    void lbl_colore_Click();
    void lblDesc_Colore_Click();
    void lbl_colorBordo_Click();
    void lbl_coloreleggenda_Click();
    void cmb_LFont_Click();
    void cmb_LFontSize_Click();
    void lst_leggenda_Click();
    void lst_leggenda_DblClick();
    void cmdEditOk_Click();
    void cmd_GrM_Click();
    void cmd_GrP_Click();
    void Picture1_MouseDown(Qt::MouseButton button, const QPointF &pt);
    void Picture1_MouseMove(Qt::MouseButtons buttons, const QPointF &pt);
    void Picture1_MouseUp();
    void cmdStampa_Click();
    void cmdSalva_Click();
    void cmd_close_Click();
    void cmdHelp_Click();

private:
    void buildUi();
    void connectHandlers();
    int legendSelection() const;

    maps::LayoutPage m_page;
    std::unique_ptr<QPrinter> m_printer;
    int editIndex = -1;

    QLabel *Label13 = nullptr;
    maps::PagePreview *Picture1 = nullptr;
    QTabWidget *SSTab1 = nullptr;
    QCheckBox *Chk_Titolo = nullptr, *chk_Cartina = nullptr, *chk_Bordo = nullptr, *chk_Leggenda = nullptr,
              *chkDesc = nullptr;
    QLineEdit *txt_Titolo = nullptr, *txtDesc = nullptr, *txtEditLegenda = nullptr;
    QComboBox *cmb_Font = nullptr, *cmb_Fontsize = nullptr, *cmb_LFont = nullptr, *cmb_LFontSize = nullptr,
              *cmbDesc_TipoFont = nullptr, *cmbDesc_DimFont = nullptr;
    maps::ColorBox *lbl_colore = nullptr, *lbl_colorBordo = nullptr, *lbl_coloreleggenda = nullptr,
                   *lblDesc_Colore = nullptr;
    QSlider *Slider1 = nullptr;
    QListWidget *lst_leggenda = nullptr;
    QPushButton *cmdEditOk = nullptr, *cmd_GrM = nullptr, *cmd_GrP = nullptr;
    QPushButton *cmdStampa = nullptr, *cmdSalva = nullptr, *cmd_close = nullptr, *cmdHelp = nullptr;
    QMenu *mnu_sel = nullptr;
};
