#include "widgets/prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

namespace {

QMessageBox::StandardButton toStandard(Prompts::Button b) {
    switch (b) {
    case Prompts::Ok:
        return QMessageBox::Ok;
    case Prompts::Yes:
        return QMessageBox::Yes;
    case Prompts::No:
        return QMessageBox::No;
    case Prompts::Cancel:
        return QMessageBox::Cancel;
    case Prompts::NoButton:
        break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon toIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::None:
        return QMessageBox::NoIcon;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The answer when a box is closed without pressing a button (Escape, the window's close box).
Prompts::Button closedAnswer(int buttons) {
    if (buttons & Prompts::Cancel) return Prompts::Cancel;
    if (buttons & Prompts::No) return Prompts::No;
    if (buttons & Prompts::Ok) return Prompts::Ok;
    return Prompts::NoButton;
}

class DialogPrompts final : public Prompts {
public:
    Button message(QWidget* parent, const QString& caption, const QString& text, int buttons,
                   Button defaultButton, Icon icon) override {
        if (buttons == NoButton) buttons = Ok;
        QMessageBox box(toIcon(icon), caption, text, QMessageBox::NoButton, parent);
        for (Button b : {Yes, No, Ok, Cancel})
            if (buttons & b) box.addButton(toStandard(b));
        if (defaultButton != NoButton && (buttons & defaultButton))
            box.setDefaultButton(toStandard(defaultButton));
        Button closed = closedAnswer(buttons);
        box.setEscapeButton(box.button(toStandard(closed)));
        box.exec();
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return Ok;
        case QMessageBox::Yes:
            return Yes;
        case QMessageBox::No:
            return No;
        case QMessageBox::Cancel:
            return Cancel;
        default:
            return closed;
        }
    }

    void beep() override { QApplication::beep(); }

    QString openFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& defaultSuffix, const QString& directory) override {
        QFileDialog dialog(parent, title, directory, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& defaultSuffix, const QString& directory, bool overwritePrompt) override {
        QFileDialog dialog(parent, title, directory, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !overwritePrompt);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString chooseFolder(QWidget* parent, const QString& title, const QString& directory) override {
        return QFileDialog::getExistingDirectory(parent, title, directory);
    }

    std::optional<QFont> font(QWidget* parent, const QFont& initial) override {
        bool ok = false;
        QFont chosen = QFontDialog::getFont(&ok, initial, parent);
        if (!ok) return std::nullopt;
        return chosen;
    }

    std::optional<QColor> color(QWidget* parent, const QColor& initial) override {
        QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    }

    bool print(QWidget* parent, QPrinter* printer) override {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

Prompts* installed = nullptr;

} // namespace

Prompts& Prompts::instance() {
    static DialogPrompts real;
    return installed ? *installed : real;
}

void Prompts::install(Prompts* prompts) {
    installed = prompts;
}
