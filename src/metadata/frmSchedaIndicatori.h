#pragma once
// The metadata sheet of one indicator: filled once when it opens, from the
// first row of the sheet query gSqlScheda on Metadati.mdb; it only displays,
// and prints through the indicator report.
#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform::db {
class Recordset;
}

class frmSchedaIndicatori : public QWidget {
    Q_OBJECT
public:
    explicit frmSchedaIndicatori(QWidget *parent = nullptr);

    static constexpr const char *FormName = "frmSchedaIndicatori";
    static constexpr long HelpTopic = 2200;

    // The open sheet brought forward unchanged when it shows the sheet query
    // gSqlScheda; otherwise a new one loaded and shown (an open sheet of another
    // item is closed first).
    static frmSchedaIndicatori *ShowForm();
    static frmSchedaIndicatori *Instance();

    // The size the sheet opens with (its boxes alone would ask for more).
    QSize sizeHint() const override;

    void Form_Load();
    void cmdStampa_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();

    QLineEdit *txtIndicatore = nullptr;
    QLineEdit *txtSettore = nullptr;
    QLineEdit *txtArgomento = nullptr;
    QLineEdit *txtPsm = nullptr;
    QLineEdit *txtBdquid = nullptr;
    QLineEdit *txtValutazione = nullptr;
    QPlainTextEdit *txtModalitaCalcolo = nullptr;
    QLineEdit *txtVariabiliAssociate = nullptr;
    QPlainTextEdit *txtNoteTecniche = nullptr;
    QLineEdit *txtDestinazione = nullptr;
    QCheckBox *chkProv = nullptr;
    QCheckBox *chkSll = nullptr;
    QCheckBox *chkComune = nullptr;
    QCheckBox *chkDatoP = nullptr;
    QCheckBox *chkSintesi = nullptr;
    std::array<QCheckBox *, 13> Check{};
    QPushButton *cmdStampa = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;

private:
    void buildUi();
    void fill(const platform::db::Recordset &rs);
    QString m_id;
    // The sheet query the sheet was loaded from.
    QString m_sql;
};
