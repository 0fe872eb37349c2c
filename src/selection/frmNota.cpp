#include "selection/frmNota.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmNota::frmNota(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNota"));
    setWindowTitle(QStringLiteral("Nota"));
    setModal(true);

    Picture1 = new QLabel(NoteText());
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setTextFormat(Qt::RichText);
    Picture1->setWordWrap(true);
    Picture1->setFixedWidth(521);
    Picture1->setMinimumHeight(300);
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Picture1->setMargin(12);
    Picture1->setAutoFillBackground(true);
    QPalette pal = Picture1->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    Picture1->setPalette(pal);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);

    Command1 = new QPushButton(QStringLiteral("Ok"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addStretch(1);
    auto *main = new QVBoxLayout(this);
    main->addWidget(Picture1);
    main->addLayout(buttons);
    setFixedSize(sizeHint());
}

QString frmNota::NoteText()
{
    return QStringLiteral(
        "<h3>Segni convenzionali</h3>"
        "<p><b>Variabili</b></p>"
        "<ul>"
        "<li><b>0</b> (zero): il fenomeno non esiste, oppure esiste ma non si sono verificati casi.</li>"
        "<li><b>cella vuota</b>: il dato non pu&ograve; essere fornito, per qualsiasi ragione.</li>"
        "</ul>"
        "<p><b>Indicatori</b></p>"
        "<ul>"
        "<li><b>cella vuota</b>: rapporto tra due frequenze nulle, oppure rapporto con numeratore "
        "positivo e denominatore uguale a zero.</li>"
        "<li><b>0</b> (zero): rapporto inferiore alla met&agrave; dell'unit&agrave; significativa pi&ugrave; "
        "piccola, oppure rapporto con numeratore nullo e denominatore positivo.</li>"
        "</ul>"
        "<h3>Arrotondamenti</h3>"
        "<p>Le variabili e gli indicatori sono arrotondati alla seconda cifra decimale.</p>");
}
