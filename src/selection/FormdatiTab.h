#pragma once
// The selection window: items and years from the classification tree, the
// territories of a level, and "Visualizza Dati", which builds the data query
// (gSqlDati) and opens the data table.
#include "selection/FormdatiTabLogic.h"

#include <QString>
#include <QVariantList>
#include <QWidget>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QGroupBox;

class FormdatiTab : public QWidget {
    Q_OBJECT
public:
    explicit FormdatiTab(QWidget *parent = nullptr);
    ~FormdatiTab() override;

    // The window's name and help topic.
    static constexpr const char *FormName = "FormdatiTab";
    static constexpr long HelpTopic = 1000;

    // Finds the open selection window or creates, loads and shows a new one.
    static FormdatiTab *ShowForm();

    // The type code of the group check box last clicked.
    QString PTerr() const { return m_pTerr; }
    void setPTerr(const QString &NewTerr) { m_pTerr = NewTerr; }

    QString FiltroTerritori() const { return m_filtroTerritori; }
    int NumSelezionati() const { return m_numSelezionati; }
    const std::vector<selection::TerrRec> &arrTerr() const { return m_arrTerr; }

    // Event handlers (the controls call them; tests may call them directly).
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void objtree_NodeClick(QTreeWidgetItem *node);
    // Returns true when the note menu was offered.
    bool objtree_MouseDown(Qt::MouseButton button);
    void mnu_note_Click();
    void lst_allVar_Click();
    void lst_allVar_DblClick();
    void cmdmetadati_Click();
    void CmdNewric_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();
    void cmdDatiPiu_Click();
    void serie_Click();
    void optVisualizza_Click(int index);
    void Check1_Click(int index);

    // Territories and the data query.
    void CaricaTerritori(int tipo, int escludi);
    void CreaFiltroTerritori();
    void AggiornaFiltroTerritori() { CreaFiltroTerritori(); }
    // Builds gSqlDati from the selection list and the territory filter; false
    // (the failure reported) when it could not.
    bool CreaQuery();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void loadYears(QTreeWidgetItem *node);
    void selectYear(QTreeWidgetItem *node);
    bool isYearNode(const QTreeWidgetItem *node) const;
    QTreeWidgetItem *selectedNode() const;

    // Controls (object names as the handlers know them).
    QLabel *Label8 = nullptr;
    QTabWidget *SSTab1 = nullptr;
    // Territory tab.
    QListWidget *lstDescTerr = nullptr;
    QListWidget *lstCodTerr = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *optVisualizza[3] = {};
    QButtonGroup *optGroup = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *Check1[6] = {};   // 1..5
    // Items tab.
    QLabel *Label3 = nullptr;
    QTreeWidget *objtree = nullptr;
    QGroupBox *Frame3 = nullptr;
    QListWidget *lst_allVar = nullptr;
    QLabel *lblSelezionati = nullptr;
    QLineEdit *txtCount = nullptr;
    QPushButton *cmdmetadati = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label5 = nullptr;
    // Buttons.
    QPushButton *serie = nullptr;
    QPushButton *CmdNewric = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdDatiPiu = nullptr;
    QPushButton *conferma = nullptr;
    // Note popup.
    QMenu *mnu_mNote = nullptr;
    QAction *mnu_note = nullptr;

    // State.
    int m_numSelezionati = 0;
    QString m_filtroTerritori;
    QString m_pTerr;
    std::vector<selection::TerrRec> m_arrTerr;
    QVariantList m_areaArray;
    bool m_unloaded = false;
};
