#pragma once
// The formula window: the user builds an arithmetic formula over the value
// columns of the data table with a keypad and the list of columns, and
// "Esegui" appends its result, row by row, as a new named column of the table.
// It works on the copy of the grid in gMatriceDati made when it was opened.
#include "selection/Formula.h"

#include <QDialog>
#include <QStringList>
#include <array>

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class frm_dispData;

class frmFunzione : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *FormName = "frmFunzione";
    static constexpr long HelpTopic = 4000;

    // The window over the data table `dati`, loaded from gMatriceDati.
    explicit frmFunzione(frm_dispData &dati, QWidget *parent = nullptr);

    // Shows the window modally over the open data table; nothing when no data
    // table is open.
    static void ShowForm();

    // Element c holds the header of grid column c for c >= 5; 0 to 4 are empty.
    QStringList NomiColonne;

    // The formula being built.
    QString Formula() const { return m_keypad.Text(); }
    const formula::Keypad &Keypad() const { return m_keypad; }

    void Form_Load();
    void CaricaVariabili();
    void OperatoreQuery(const QString &token);
    void AggiungiNumero(const QString &character);
    QString ChiediNomeIndicatore();

    // Event handlers (the controls call them; tests may call them directly).
    void cmdNumero_Click(int index);
    void cmdVirgola_Click();
    void cmdSomma_Click();
    void cmdDifferenza_Click();
    void cmdMoltiplica_Click();
    void cmdRapporto_Click();
    void cmdEleva_Click();
    void cmdParentesiAp_Click();
    void cmdParentesiCh_Click();
    void cmdPercentuale_Click();
    void lstColonne_DblClick();
    void cmdReset_Click();
    void cmdAnnulla_Click();
    void cmdEsegui_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildUi();
    void showFormula();

    frm_dispData &m_dati;
    formula::Keypad m_keypad;
    QStringList m_headers; // every header of the table, the fixed columns included

    QPlainTextEdit *lstFunzione = nullptr;
    QListWidget *lstColonne = nullptr;
    QListWidget *lstFunzioneX = nullptr;
    std::array<QPushButton *, 10> cmdNumero{};
    QPushButton *cmdVirgola = nullptr;
    QPushButton *cmdSomma = nullptr;
    QPushButton *cmdDifferenza = nullptr;
    QPushButton *cmdMoltiplica = nullptr;
    QPushButton *cmdRapporto = nullptr;
    QPushButton *cmdEleva = nullptr;
    QPushButton *cmdParentesiAp = nullptr;
    QPushButton *cmdParentesiCh = nullptr;
    QPushButton *cmdPercentuale = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QPushButton *cmdEsegui = nullptr;
    QLabel *lblAiuto = nullptr;
    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
    QFrame *Shape1 = nullptr;
    QFrame *Shape2 = nullptr;
};
