#pragma once
// The data table window: runs the data query of the selection (gSqlDati) and
// shows it in the grid `datagrid`, with sorting, searching, the description of
// the current column and the commands on a column.
#include "selection/dispData_Logic.h"

#include <QWidget>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace platform::grid {
class GridView;
class TextGrid;
}

class frm_dispData : public QWidget {
    Q_OBJECT
public:
    explicit frm_dispData(QWidget *parent = nullptr);
    ~frm_dispData() override;

    static constexpr const char *FormName = "frm_dispData";
    static constexpr long HelpTopic = 1100;

    // Finds the open data table or creates one, shows it as a child window
    // and runs the data query.
    static frm_dispData *ShowForm();
    // The open data table, or nullptr.
    static frm_dispData *Instance();

    // The territory type whose rows go to the map: 1 provinces, 2 regions,
    // 0 no map level chosen.
    int tipoTerrNow = 0;
    // True while a sort or a search reorders the grid.
    bool SortInProgress = false;

    // The grids: the data table and the hidden copy of one territory type.
    platform::grid::TextGrid &datagrid() { return *m_datagrid; }
    platform::grid::TextGrid &datagrid2() { return *m_datagrid2; }
    platform::grid::GridView *datagridView() const { return m_view; }

    // Controls read by other windows.
    QComboBox *cmb_Ordina = nullptr;
    QComboBox *cmb_ric = nullptr;
    QLineEdit *lblDescVar = nullptr;

    void Form_Load();
    void Form_Unload();
    void DoQuery();
    void ColorGridLines();
    void AutosizeCols();
    void ShowControls();
    void AlignGrids();

    // Event handlers (the controls call them; tests may call them directly).
    void datagrid_EnterCell();
    void datagrid_Click();
    void datagrid_MouseDown(int button, const QPoint &pos);
    void datagrid_KeyDown(int keyCode);
    void cmd_ordinaA_Click();
    void cmd_ordinaD_Click();
    void mnu_asce_Click();
    void mnu_disce_Click();
    void cmd_ric_Click();
    void mnu_clipboard_Click();
    void mnu_metadati_Click();
    void cmdFunzione_Click();
    void cmdInfo_Click();
    void cmdHelp_Click();
    void cmdChiudi_Click();
    void cmd_createmap_Click();
    void mnu_createMap_Click();
    void cmdEsportaXls_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    void sortOn(const QString &procName, int col, bool byName, int code);
    void enableAfterQuery(bool ok);

    platform::grid::TextGrid *m_datagrid = nullptr;
    platform::grid::TextGrid *m_datagrid2 = nullptr;
    platform::grid::GridView *m_view = nullptr;

    QLabel *Label8 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txt_ricda = nullptr;
    QLineEdit *txt_rica = nullptr;
    QPushButton *cmd_ric = nullptr;
    QToolButton *cmd_ordinaA = nullptr;
    QToolButton *cmd_ordinaD = nullptr;
    QToolButton *cmd_createmap = nullptr;
    QToolButton *cmdFunzione = nullptr;
    QToolButton *cmdInfo = nullptr;
    QPushButton *cmdEsportaXls = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;
    QFrame *Shape1 = nullptr;
    QFrame *Shape4 = nullptr;

    QMenu *mnu_ordinam = nullptr;
    QMenu *mnu_ordina = nullptr;
    QAction *mnu_asce = nullptr;
    QAction *mnu_disce = nullptr;
    QAction *mnu_createMap = nullptr;
    QMenu *mClipbo = nullptr;
    QAction *mnu_clipboard = nullptr;
    QAction *mnu_metadati = nullptr;

    dispData::ColumnDescriptions m_descriptions;
    bool m_unloaded = false;
};
