#pragma once
// The metadata sheet of one variable: filled once when it opens, from the first
// row of the sheet query gSqlScheda on Metadati.mdb; it only displays, and
// prints through the variable report.
#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform::db {
class Recordset;
}

class frmSchedaVariabili : public QWidget {
    Q_OBJECT
public:
    explicit frmSchedaVariabili(QWidget *parent = nullptr);

    static constexpr const char *FormName = "frmSchedaVariabili";
    static constexpr long HelpTopic = 2100;

    // The open sheet brought forward unchanged when it shows the sheet query
    // gSqlScheda; otherwise a new one loaded and shown (an open sheet of another
    // item is closed first).
    static frmSchedaVariabili *ShowForm();
    static frmSchedaVariabili *Instance();

    // The size the sheet opens with (its boxes alone would ask for more).
    QSize sizeHint() const override;

    void Form_Load();
    void cmdStampa_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();

    QLineEdit *txtVariabili = nullptr;
    QLineEdit *txtSettore = nullptr;
    QLineEdit *txtArgomento = nullptr;
    QPlainTextEdit *txtFonti = nullptr;
    QPlainTextEdit *txtPubblicazioni = nullptr;
    QPlainTextEdit *txtEnti = nullptr;
    QLineEdit *txtLivelloTerr = nullptr;
    QLineEdit *txtNumProv = nullptr;
    QLineEdit *txtUnita_mis = nullptr;   // objectName "txtUnità_mis"
    QLineEdit *txtPeriodo_rif = nullptr;
    QPlainTextEdit *txtNoteSerie = nullptr;
    QPlainTextEdit *txtNoteAnni = nullptr;
    std::array<QCheckBox *, 13> Check{};
    QPushButton *cmdStampa = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;

private:
    void buildUi();
    void fill(const platform::db::Recordset &rs);
    // The Id of the variable shown ("" when none was loaded).
    QString m_id;
    // The sheet query the sheet was loaded from.
    QString m_sql;
};
