#pragma once
// The list of codes: every variable or indicator code, and for the code clicked
// its description, sub-area, area and the years for which it exists.
#include "metadata/ListaCodici.h"
#include "platform/db/Database.h"

#include <QString>
#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmListaMetadati : public QWidget {
    Q_OBJECT
public:
    explicit frmListaMetadati(QWidget *parent = nullptr);
    ~frmListaMetadati() override;

    static constexpr const char *FormName = "frmListaMetadati";
    static constexpr long HelpTopic = 0;

    static frmListaMetadati *ShowForm();

    // Event handlers (the controls call them; tests may call them directly).
    void Form_Load();
    void Form_Unload();
    void cmbVarInd_Click();
    void lst_CodVar_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();

    // Fills the code list with the codes of the chosen kind.
    void CaricaListaCodici();
    // Shows the code selected in the list.
    void MostraMetadato();
    // Empties the texts and unticks the years: nothing shown.
    void PulisciMetadato();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();

    QLabel *Label3 = nullptr;
    QComboBox *cmbVarInd = nullptr;
    QListWidget *lst_CodVar = nullptr;
    QLabel *Label7 = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLabel *Label10 = nullptr;
    QLineEdit *txtArgomento = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtSettore = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *Check[metadata::NumAnni] = {};   // Check1 (1996) .. Check13 (2008)
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;

    std::optional<platform::db::Database> m_conn;   // from load to unload
    bool m_unloaded = false;
};
