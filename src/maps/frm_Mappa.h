#pragma once
// The thematic map window: the statistics of the mapped column, the layers of
// the level, the three ways of building classes (quartiles, equal amplitude,
// manual), the class grid that is the map's legend, the layer style panel,
// zoom, identify and the scale text.
#include "maps/MapClasses.h"
#include "maps/ShapeConfig.h"
#include "platform/db/Recordset.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace platform::grid {
class GridView;
class TextGrid;
}
namespace platform::map {
class MapWidget;
struct MapRect;
}

namespace maps {
class ColorBox;
class MapWorkTable;
}

class frm_Mappa : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *FormName = "frm_Mappa";
    static constexpr long HelpTopic = 1200;

    explicit frm_Mappa(const maps::MapInput &input, QWidget *parent = nullptr);
    ~frm_Mappa() override;

    // Opens the map on `input`. An open map window is closed first (its work
    // table dropped), so the new one starts from its own data. Returns nullptr
    // when the window could not load (the error or the reason was reported).
    static frm_Mappa *ShowForm(const maps::MapInput &input);
    // The open map window, or nullptr.
    static frm_Mappa *Instance();

    // Opens the print layout on this window ("Salva e Stampa" and the export
    // button); set by the print layout.
    static inline std::function<void(frm_Mappa &)> OpenPrintLayout;

    // Statistics of the column.
    double ValMin = 0, ValMax = 0, ValSomma = 0, ValMedia = 0, ValVarianza = 0, ValDevStd = 0, ValCV = 0;
    QString TabMappa;
    std::vector<maps::LayerInfo> LayerInfo;
    int IdxLayerTema = 0;

    // What the print layout reads.
    platform::map::MapWidget *Map2 = nullptr;
    QLineEdit *txtVariabile = nullptr;
    platform::grid::TextGrid &GridIndici() { return *m_grid; }
    const maps::MapInput &input() const { return m_input; }
    // True while a thematic map is drawn (the work table holds it).
    bool isMapDrawn() const { return m_drawn; }

    // False when the load failed; the window then unloads itself.
    bool Form_Load();
    void Form_Unload();

    // Classes and drawing.
    void Cmd_cmdAutocolor_Click();
    void cmd_reset_Click();
    void cmdSelClassiUgualeAmp_Click();
    void cmd_Select_Click();
    void cmd_GoMap_Click();
    void Command2_Click();

    // Style panel and colour choosers.
    void Avanz_Click();
    void chk_zoom_Click();
    void chk_inform_Click();
    void chk_outline_Click();
    void chk_Trasparent_Click();
    void cmb_namelayers_Click();
    void cmd_applica_Click();
    void cmd_salva_Click();
    void pic_colorsfondo_Click();
    void pic_colorSep_Click();
    void pic_mapbackcolor_Click();
    void lbl_colore_Click();
    void lbl_mincolor_Click();
    void lbl_maxcolor_Click();
    void GridIndici_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();

    // Map interaction.
    void Map2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void DoZoom(Qt::KeyboardModifiers shift);
    void DoIdentify(const QPoint &pos);
    void RefreshScale();

    // Buttons.
    void cmd_close_Click();
    void cmd_Stampa_Click();
    void cmd_export_Click();
    void cmdHelp_Click();
    void cmdNota_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void loadLayers();
    std::shared_ptr<platform::map::MapLayer> thematicLayer(bool warn) const;
    // Colours the thematic layer from the work table (`table`, as a drawing
    // stored it, or else read now).
    void colourThematicLayer(const std::vector<QColor> &palette, const QColor &defaultColor,
                             std::optional<platform::db::Recordset> table = std::nullopt);
    void setGridShown(bool shown);
    void appendGridRow(const QString &label, const QColor &color);
    std::vector<QColor> gridColors(int rows) const;
    void pickColor(maps::ColorBox *box);

    maps::MapInput m_input;
    std::unique_ptr<maps::MapWorkTable> m_workTable; // tMappa, one connection for the window's life
    std::vector<maps::ValuedRow> m_rows;
    std::vector<maps::ClassDef> m_classes; // equal-amplitude or manual classes listed
    bool m_drawn = false;
    int m_drawnClasses = 0;                // class rows of the drawn map
    bool m_gridShown = false;
    bool m_unloaded = false;

    platform::grid::TextGrid *m_grid = nullptr;
    platform::grid::GridView *GridIndiciView = nullptr;

    QSplitter *picSplitter = nullptr;
    QLabel *lbl_Ricfor = nullptr;
    QLabel *Label9 = nullptr, *Label11 = nullptr, *Label12 = nullptr;
    QLabel *lbl_mincon = nullptr, *lbl_maxcon = nullptr;
    QRadioButton *Option1 = nullptr, *Option2 = nullptr, *Option3 = nullptr;
    QGroupBox *Frame5 = nullptr, *Frame3 = nullptr, *Frame2 = nullptr, *Frame4 = nullptr, *fraCB = nullptr;
    maps::ColorBox *lbl_mincolor = nullptr, *lbl_maxcolor = nullptr, *lbl_colore = nullptr;
    QPushButton *Cmd_cmdAutocolor = nullptr, *cmd_reset = nullptr, *cmdNota = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *txtClassi = nullptr, *txt_min = nullptr, *txt_Max = nullptr;
    QPushButton *cmdSelClassiUgualeAmp = nullptr, *Command2 = nullptr, *cmd_Select = nullptr, *cmd_GoMap = nullptr;
    QCheckBox *chk_zoom = nullptr, *chk_inform = nullptr, *Avanz = nullptr;
    QComboBox *cmb_namelayers = nullptr;
    maps::ColorBox *pic_colorsfondo = nullptr, *pic_colorSep = nullptr, *pic_mapbackcolor = nullptr;
    QLabel *lbl_colors = nullptr, *lbl_colorsep = nullptr, *lbl_sep = nullptr, *Label6 = nullptr;
    QCheckBox *chk_outline = nullptr, *chk_Trasparent = nullptr;
    QPushButton *cmd_applica = nullptr, *cmd_salva = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QLabel *lblScalaKm = nullptr;
    QPushButton *cmd_close = nullptr, *cmd_Stampa = nullptr, *cmdHelp = nullptr;
    QToolButton *cmd_export = nullptr;
};
