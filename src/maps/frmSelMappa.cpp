#include "maps/frmSelMappa.h"

#include "frame/Globals.h"

#include <QHBoxLayout>
#include <QPushButton>

frmSelMappa::frmSelMappa(int &tipoTerrNow, QWidget *parent) : QDialog(parent), m_tipoTerrNow(tipoTerrNow)
{
    setObjectName(QString::fromLatin1(FormName));
    setWindowTitle(QStringLiteral("Selezione territorio"));
    setModal(true);
    cmdProv = new QPushButton(QStringLiteral("Provincia"), this);
    cmdProv->setObjectName(QStringLiteral("cmdProv"));
    cmdReg = new QPushButton(QStringLiteral("Regione"), this);
    cmdReg->setObjectName(QStringLiteral("cmdReg"));
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    auto *row = new QHBoxLayout(this);
    row->addWidget(cmdProv);
    row->addWidget(cmdReg);
    row->addWidget(cmdAnnulla);
    connect(cmdProv, &QPushButton::clicked, this, &frmSelMappa::cmdProv_Click);
    connect(cmdReg, &QPushButton::clicked, this, &frmSelMappa::cmdReg_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmSelMappa::cmdAnnulla_Click);
}

int frmSelMappa::Choose(int &tipoTerrNow)
{
    frmSelMappa dlg(tipoTerrNow);
    dlg.exec();
    if (!dlg.m_answered)
        dlg.cmdAnnulla_Click();
    return tipoTerrNow;
}

void frmSelMappa::cmdProv_Click()
{
    gLivelloMappa = 2;
    gNomeLivelloMappa = QStringLiteral("provincia");
    m_tipoTerrNow = 1;
    m_answered = true;
    accept();
}

void frmSelMappa::cmdReg_Click()
{
    gLivelloMappa = 3;
    gNomeLivelloMappa = QStringLiteral("regione");
    m_tipoTerrNow = 2;
    m_answered = true;
    accept();
}

void frmSelMappa::cmdAnnulla_Click()
{
    gLivelloMappa = 0;
    m_tipoTerrNow = 0;
    m_answered = true;
    QDialog::reject();
}

void frmSelMappa::reject()
{
    cmdAnnulla_Click();
}
