// The reference: a bare main window of the toolkit with the program's four
// menus and their commands, maximised, ended at its first frame.
#include "FirstFrame.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Trambelo"));
    startupbench::FirstFrame::install();

    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Trambelo"));
    w.setCentralWidget(new QMdiArea);
    QMenu *file = w.menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Aggiornamento banca dati..."));
    QMenu *banche = w.menuBar()->addMenu(QStringLiteral("Banche dati"));
    banche->addAction(QStringLiteral("Variabili di dotazione infrastrutturale"));
    banche->addAction(QStringLiteral("Indicatori di dotazione infrastrutturale"));
    banche->addSeparator();
    banche->addMenu(QStringLiteral("Archivio storico"))->addAction(QStringLiteral("Indicatori 1991-1995"));
    QMenu *meta = w.menuBar()->addMenu(QStringLiteral("Metadati"));
    meta->addAction(QStringLiteral("Consulta metadati"));
    meta->addAction(QStringLiteral("Lista variabili e indicatori"));
    meta->addAction(QStringLiteral("Glossario"));
    w.menuBar()->addMenu(QStringLiteral("?"))->addAction(QStringLiteral("Informazioni su Trambelo"));
    // Maximised as the program's window is, also where no window manager
    // maximises (Xvfb): the same size of window to lay out and paint.
    if (QScreen *s = w.screen())
        w.setGeometry(s->availableGeometry());
    w.showMaximized();
    return app.exec();
}
