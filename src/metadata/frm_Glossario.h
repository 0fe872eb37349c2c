#pragma once
// The glossary: terms found by initial letter, by sector, by a text contained in
// the term or at its start, or all of them; the definition of the term clicked,
// and its printed entry.
#include "platform/db/Database.h"

#include <QString>
#include <QWidget>
#include <optional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class frm_Glossario : public QWidget {
    Q_OBJECT
public:
    explicit frm_Glossario(QWidget *parent = nullptr);
    ~frm_Glossario() override;

    static constexpr const char *FormName = "frm_Glossario";
    static constexpr long HelpTopic = 3000;

    // The search modes (the index of Option1).
    enum Modo { Contiene = 0, Lettera = 1, IniziaPer = 2, Tutti = 3, Settore = 4 };

    static frm_Glossario *ShowForm();

    // Event handlers (the controls call them; tests may call them directly).
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Option1_Click(int index);
    void cmb_alfabeto_Click();
    void cmbSettore_Click();
    void cmd_ricerca_Click();
    void lst_NameVar_Click();
    void Cmd_print_Click();
    void cmdChiudi_Click();
    void cmdHelp_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    // Runs a list query and shows its terms; `clearDesc` also empties the definition.
    void fillList(const QString &sql, bool clearDesc);

    QLabel *Label3 = nullptr;
    QGroupBox *fraRicerca = nullptr;
    QRadioButton *Option1[5] = {};
    QButtonGroup *optGroup = nullptr;
    QLineEdit *txt_ricerca[2] = {};
    QPushButton *cmd_ricerca = nullptr;
    QComboBox *cmb_alfabeto = nullptr;
    QComboBox *cmbSettore = nullptr;
    QComboBox *cmbIdSettore = nullptr;
    QLabel *Label1 = nullptr;
    QListWidget *lst_NameVar = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *txt_desc = nullptr;
    QPushButton *Cmd_print = nullptr;
    QPushButton *cmdChiudi = nullptr;
    QPushButton *cmdHelp = nullptr;

    std::optional<platform::db::Database> m_conn;   // from load to unload
    bool m_unloaded = false;
};
