#pragma once
// Every modal interaction of the program goes through one Prompts object, so
// that windows run headless in tests with scripted answers.
#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace platform {

// Message box styles and answers, with the classic numbers.
namespace mb {
constexpr int OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256;
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}

// The title of boxes that give none of their own.
inline const QString AppTitle = QStringLiteral("Trambelo");

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box: `style` is the sum of the buttons and icon numbers above;
    // an empty title shows "Trambelo". Returns the answer (mb::Ok, mb::Yes, ...).
    virtual int msgBox(const QString &text, int style = mb::OkOnly, const QString &title = {}) = 0;

    // Open / save file dialogs. `filter` uses Qt's syntax ("Immagini (*.bmp *.jpg)").
    // Return the chosen path, or "" when cancelled.
    // `confirmOverwrite` false: the caller asks its own question about an existing file.
    virtual QString openFile(const QString &title, const QString &filter, const QString &initialFolder) = 0;
    virtual QString saveFile(const QString &title, const QString &filter, const QString &initialPath,
                             bool confirmOverwrite = true) = 0;

    // The folder browser: the initial folder preselected; returns the chosen
    // folder with exactly one trailing separator, or "" when cancelled.
    virtual QString browseForFolder(const QString &prompt, const QString &initialFolder) = 0;

    // A one-line text input; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText = {}) = 0;
    // The same for a password: what is typed is not shown.
    virtual std::optional<QString> passwordBox(const QString &prompt, const QString &title) = 0;

    // The colour chooser; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial, const QString &title = {}) = 0;

    // The printer chooser: true when the user confirms (the printer set up in `printer`).
    // `printer` is a QPrinter* and `dialog` shows the toolkit's print dialog on
    // it: both come from the print support, which the program loads only with
    // the windows that print, so this header and its code stay free of it.
    using PrintDialog = bool (*)(void *printer, QWidget *parent);
    virtual bool choosePrinter(void *printer, PrintDialog dialog) = 0;
};

// The current prompts (a QtPrompts unless a test installed another one).
Prompts &prompts();
// Installs `p` (not owned) as the current prompts; nullptr restores the Qt ones.
void setPrompts(Prompts *p);

// The real dialogs, on Qt widgets.
class QtPrompts : public Prompts {
public:
    int msgBox(const QString &text, int style, const QString &title) override;
    QString openFile(const QString &title, const QString &filter, const QString &initialFolder) override;
    QString saveFile(const QString &title, const QString &filter, const QString &initialPath,
                     bool confirmOverwrite = true) override;
    QString browseForFolder(const QString &prompt, const QString &initialFolder) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    std::optional<QString> passwordBox(const QString &prompt, const QString &title) override;
    std::optional<QColor> chooseColor(const QColor &initial, const QString &title) override;
    bool choosePrinter(void *printer, PrintDialog dialog) override;
};

} // namespace platform
