#pragma once
// The map level chooser: provinces or regions, asked when the data table holds
// both. It sets gLivelloMappa, gNomeLivelloMappa and the data table's
// territory type, then closes. Closing it any other way is "Annulla".
#include <QDialog>

class QPushButton;

class frmSelMappa : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *FormName = "frmSelMappa";

    // `tipoTerrNow`: the data table's territory type, set by the choice.
    explicit frmSelMappa(int &tipoTerrNow, QWidget *parent = nullptr);

    // Shows the chooser modally (no owner) and returns the territory type chosen
    // (1 provinces, 2 regions, 0 cancelled), also left in `tipoTerrNow`.
    static int Choose(int &tipoTerrNow);

    void cmdProv_Click();
    void cmdReg_Click();
    void cmdAnnulla_Click();

    void reject() override; // the close box and Escape

private:
    int &m_tipoTerrNow;
    bool m_answered = false;
    QPushButton *cmdProv = nullptr;
    QPushButton *cmdReg = nullptr;
    QPushButton *cmdAnnulla = nullptr;
};
