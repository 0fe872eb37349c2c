#include "platform/Prompts.h"
#include "platform/Files.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

// GCC 12 reports a false "maybe uninitialized" inside std::optional<QString> moves.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace platform {

namespace {
Prompts *g_current = nullptr;

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}
} // namespace

Prompts &prompts()
{
    static QtPrompts qt;
    return g_current ? *g_current : qt;
}

void setPrompts(Prompts *p)
{
    g_current = p;
}

// ---- Qt dialogs ------------------------------------------------------------

int QtPrompts::msgBox(const QString &text, int style, const QString &title)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title.isEmpty() ? AppTitle : title);
    box.setText(text);
    const int icon = style & 0x70;
    switch (icon) {
    case mb::Critical: box.setIcon(QMessageBox::Critical); break;
    case mb::Question: box.setIcon(QMessageBox::Question); break;
    case mb::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case mb::Information: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct B { QMessageBox::StandardButton qt; int answer; };
    std::vector<B> buttons;
    switch (style & 0x7) {
    case mb::OkCancel: buttons = {{QMessageBox::Ok, mb::Ok}, {QMessageBox::Cancel, mb::Cancel}}; break;
    case mb::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, mb::Abort}, {QMessageBox::Retry, mb::Retry}, {QMessageBox::Ignore, mb::Ignore}};
        break;
    case mb::YesNoCancel:
        buttons = {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}, {QMessageBox::Cancel, mb::Cancel}};
        break;
    case mb::YesNo: buttons = {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}}; break;
    case mb::RetryCancel: buttons = {{QMessageBox::Retry, mb::Retry}, {QMessageBox::Cancel, mb::Cancel}}; break;
    default: buttons = {{QMessageBox::Ok, mb::Ok}}; break;
    }
    for (const B &b : buttons)
        box.addButton(b.qt);
    const size_t def = (style & mb::DefaultButton2) && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons[def].qt);
    const int r = box.exec();
    for (const B &b : buttons)
        if (r == b.qt)
            return b.answer;
    // Closed with Escape or the title bar: Cancel when offered, else the first button.
    for (const B &b : buttons)
        if (b.answer == mb::Cancel || b.answer == mb::No)
            return b.answer;
    return buttons.front().answer;
}

QString QtPrompts::openFile(const QString &title, const QString &filter, const QString &initialFolder)
{
    return QFileDialog::getOpenFileName(dialogParent(), title, initialFolder, filter);
}

QString QtPrompts::saveFile(const QString &title, const QString &filter, const QString &initialPath,
                            bool confirmOverwrite)
{
    return QFileDialog::getSaveFileName(dialogParent(), title, initialPath, filter, nullptr,
                                        confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
}

QString QtPrompts::browseForFolder(const QString &prompt, const QString &initialFolder)
{
    const QString dir = QFileDialog::getExistingDirectory(dialogParent(), prompt, initialFolder);
    return files::withSep(dir);
}

std::optional<QString> QtPrompts::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString s = QInputDialog::getText(dialogParent(), title.isEmpty() ? AppTitle : title, prompt,
                                            QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

std::optional<QString> QtPrompts::passwordBox(const QString &prompt, const QString &title)
{
    bool ok = false;
    const QString s = QInputDialog::getText(dialogParent(), title.isEmpty() ? AppTitle : title, prompt,
                                            QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

std::optional<QColor> QtPrompts::chooseColor(const QColor &initial, const QString &title)
{
    const QColor c = QColorDialog::getColor(initial, dialogParent(), title);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtPrompts::choosePrinter(void *printer, PrintDialog dialog)
{
    return dialog && dialog(printer, dialogParent());
}

} // namespace platform
