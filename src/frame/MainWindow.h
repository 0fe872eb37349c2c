#pragma once
// The main window: a multiple-document window whose menu bar is built from the
// database at start-up; every other window opens inside it.
#include "frame/Layout.h"
#include "frame/Startup.h"

#include <QMainWindow>
#include <memory>

class frmMainMDI : public QMainWindow {
    Q_OBJECT
public:
    // `lockPath`: the single-instance lock ("" = the user's runtime folder).
    explicit frmMainMDI(const QString &programFolder, const QString &lockPath = {});
    ~frmMainMDI() override;

    // The start-up; false when the program must end (see frame::Startup).
    bool MDIForm_Load();
    int exitCode() const { return m_startup->exitCode(); }
    frame::Startup &startup() { return *m_startup; }
    frame::BackgroundMdiArea *area() const { return m_area; }

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void MDIForm_Resize();

    frame::BackgroundMdiArea *m_area;
    std::unique_ptr<frame::Startup> m_startup;
};
