#pragma once
// The about window: title, version, date and notes of the last database update
// (table InfoAggiornamento of Metadati.mdb), the credits, and the database
// update from a zip archive.
#include <QDialog>

class QLabel;
class QPushButton;

class frmInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *FormName = "frmInfo";
    static constexpr long HelpContextID = 5000;

    explicit frmInfo(QWidget *parent = nullptr);

    // Opens the window modally: the update information is loaded first (an
    // error reading it is logged and the window opens all the same).
    static void ShowModal();

    void Form_Load();
    // Shows the date and notes of the last update. Raises on errors.
    void CaricaInfoAggiornamento();

    // The update: the user picks an archive, confirms, the other windows close,
    // the entries are extracted and checked (databases readable and whole, the
    // menu and the links of the next start), then every entry replaces the file
    // of the same name in the databases folder, the attached tables are set
    // again and the labels show the new update information. Any failure leaves
    // the databases as they were and is told in one box with its reason.
    void cmdAggiornaBd_Click();
    void cmdOK_Click();
    void cmdHelp_Click();

    // Closing is refused while an update runs.
    void reject() override;

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersione = nullptr;
    QLabel *lblVersioneBd = nullptr;
    QLabel *lblNote = nullptr;
    QLabel *lblFonte = nullptr;
    QPushButton *cmdAggiornaBd = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdHelp = nullptr;

private:
    bool m_updating = false;
};
