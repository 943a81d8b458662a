#pragma once
// Prompts for tests: every question is answered from a queue of expected answers, in order, and
// recorded. A question with no answer queued, or of another kind than the next answer, fails the
// running test with the question's caption and text and gets a harmless answer (Cancel, No, an
// empty file name, no font or colour, no printing); answers still queued when the object goes
// away fail the test too. Nothing ever opens a window, so no test can block on a dialog.
//
//     ScriptedPrompts prompts;                       // installs itself until the end of the scope
//     prompts.expect("Confirm", "Delete this record?", Prompts::Yes);
//     grid.deleteCurrent();
//     EXPECT_TRUE(prompts.done());
#include <QColor>
#include <QFont>
#include <QString>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

#include "widgets/prompts.h"

class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Beep, OpenFile, SaveFile, Folder, Font, Color, Print };

    // One recorded call.
    struct Call {
        Kind kind = Kind::Message;
        QString caption; // message caption, or the dialog title of a file or folder dialog
        QString text;    // message text
        int buttons = 0;
        Button defaultButton = NoButton;
        Icon icon = Icon::None;
        QString filter, defaultSuffix, directory; // file dialogs
        bool overwritePrompt = false;
        QFont initialFont;
        QColor initialColor;
    };

    ScriptedPrompts();           // installs this object as Prompts::instance()
    ~ScriptedPrompts() override; // restores the previous prompts; fails on answers left unused
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    // Queue the answer to the next message box, whatever it asks.
    ScriptedPrompts& answer(Button button);
    // Queue the answer to the next message box, which must have this caption and text.
    ScriptedPrompts& expect(const QString& caption, const QString& text, Button button);
    // Next open or save file dialog (or folder dialog): "" answers Cancel.
    ScriptedPrompts& answerFile(const QString& path);
    ScriptedPrompts& answerFolder(const QString& path);
    ScriptedPrompts& answerFont(std::optional<QFont> font);
    ScriptedPrompts& answerColor(std::optional<QColor> color);
    ScriptedPrompts& answerPrint(bool print);

    // What was asked, in order (beeps included).
    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> messages() const; // only the message boxes
    int beeps() const;
    // True when every queued answer was used.
    bool done() const { return queue_.empty(); }
    int pending() const { return int(queue_.size()); }
    // Forget the queued answers without failing.
    void clearQueue() { queue_.clear(); }

    Button message(QWidget* parent, const QString& caption, const QString& text, int buttons,
                   Button defaultButton, Icon icon) override;
    void beep() override;
    QString openFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& defaultSuffix, const QString& directory) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& defaultSuffix, const QString& directory, bool overwritePrompt) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& directory) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
    bool print(QWidget* parent, QPrinter* printer) override;

private:
    struct MessageAnswer {
        Button button;
        std::optional<QString> caption, text;
    };
    struct FileAnswer {
        QString path;
        bool folder;
    };
    struct FontAnswer {
        std::optional<QFont> font;
    };
    struct ColorAnswer {
        std::optional<QColor> color;
    };
    struct PrintAnswer {
        bool print;
    };
    using Answer = std::variant<MessageAnswer, FileAnswer, FontAnswer, ColorAnswer, PrintAnswer>;

    template <typename T> std::optional<T> take(const Call& call);
    static QString describe(const Call& call);
    static QString describe(const Answer& answer);

    std::deque<Answer> queue_;
    std::vector<Call> calls_;
    Prompts* previous_ = nullptr;
};

// Installs any Prompts for the lifetime of the object and puts the previous one back.
class PromptsInstaller {
public:
    explicit PromptsInstaller(Prompts& prompts) : previous_(&Prompts::instance()) {
        Prompts::install(&prompts);
    }
    ~PromptsInstaller() { Prompts::install(previous_); }
    PromptsInstaller(const PromptsInstaller&) = delete;
    PromptsInstaller& operator=(const PromptsInstaller&) = delete;

private:
    Prompts* previous_;
};
