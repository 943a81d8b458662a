#pragma once
// Every message box, beep, file dialog, font, colour and print dialog of the program goes
// through this interface, so that tests can answer each question without a screen.
#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QWidget;
class QPrinter;

class Prompts {
public:
    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4, Cancel = 8 };
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompts() = default;

    // A modal message box: caption, text, the buttons (or-ed Button values), the default one.
    // Returns the button pressed (Cancel or No when the box is closed another way).
    virtual Button message(QWidget* parent, const QString& caption, const QString& text, int buttons,
                           Button defaultButton, Icon icon) = 0;
    virtual void beep() = 0;

    // File dialogs return "" when cancelled. filter uses Qt's syntax ("Database Files (*.DBF)").
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& defaultSuffix, const QString& directory) = 0;
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& defaultSuffix, const QString& directory,
                             bool overwritePrompt) = 0;
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& directory) = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    virtual std::optional<QColor> color(QWidget* parent, const QColor& initial) = 0;
    // The print dialog on a prepared printer; false when cancelled.
    virtual bool print(QWidget* parent, QPrinter* printer) = 0;

    // Shorthands for the program's message kinds.
    void error(QWidget* parent, const QString& text) {
        message(parent, QStringLiteral("Error"), text, Ok, Ok, Icon::Critical);
    }
    void notice(QWidget* parent, const QString& text) {
        message(parent, QStringLiteral("Notice"), text, Ok, Ok, Icon::Information);
    }
    bool confirm(QWidget* parent, const QString& text) { // "Confirm", Yes/No
        return message(parent, QStringLiteral("Confirm"), text, Yes | No, No, Icon::Question) == Yes;
    }

    // The prompts in use. Defaults to the real dialogs; tests install their own.
    static Prompts& instance();
    static void install(Prompts* prompts); // nullptr restores the real dialogs
};
