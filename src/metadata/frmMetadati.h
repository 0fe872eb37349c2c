#pragma once
// The metadata browser: the tree of areas, sub-areas and items of the database
// chosen in the list, and the metadata sheet of the item clicked.
#include <QString>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace metadata {
// The data kind of the database at `index` of the database list: the first row
// holds the variables, every other row indicators.
QString TipoDbPerIndice(int index);
}

class frmMetadati : public QWidget {
    Q_OBJECT
public:
    explicit frmMetadati(QWidget *parent = nullptr);

    static constexpr const char *FormName = "frmMetadati";
    static constexpr long HelpTopic = 2000;

    // Finds the open browser or creates, loads and shows a new one.
    static frmMetadati *ShowForm();

    // Event handlers (the controls call them; tests may call them directly).
    void Form_Load();
    void Form_Activate();
    void cmb_Databases_Click();
    void objtree_NodeClick(QTreeWidgetItem *node);
    void cmdmetadati_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();

private:
    void buildUi();
    // The node click without its own error boundary (shared by the two handlers).
    void nodeClick(QTreeWidgetItem *node);

    QLabel *Label3 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cmb_Databases = nullptr;
    QComboBox *cmb_DatabasesN = nullptr;
    QTreeWidget *objtree = nullptr;
    QPushButton *cmdmetadati = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;
};
