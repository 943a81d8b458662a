#include "common/scriptedprompts.h"

#include <gtest/gtest.h>

namespace {
const char* kindName(ScriptedPrompts::Kind kind) {
    switch (kind) {
    case ScriptedPrompts::Kind::Message:
        return "message box";
    case ScriptedPrompts::Kind::Beep:
        return "beep";
    case ScriptedPrompts::Kind::OpenFile:
        return "open file dialog";
    case ScriptedPrompts::Kind::SaveFile:
        return "save file dialog";
    case ScriptedPrompts::Kind::Folder:
        return "folder dialog";
    case ScriptedPrompts::Kind::Font:
        return "font dialog";
    case ScriptedPrompts::Kind::Color:
        return "colour dialog";
    case ScriptedPrompts::Kind::Print:
        return "print dialog";
    }
    return "?";
}

QString buttonNames(int buttons) {
    QStringList names;
    if (buttons & Prompts::Yes) names << "Yes";
    if (buttons & Prompts::No) names << "No";
    if (buttons & Prompts::Ok) names << "Ok";
    if (buttons & Prompts::Cancel) names << "Cancel";
    return names.join('/');
}
} // namespace

ScriptedPrompts::ScriptedPrompts() : previous_(&Prompts::instance()) {
    Prompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts() {
    Prompts::install(previous_);
    for (const Answer& a : queue_)
        ADD_FAILURE() << "Queued answer never asked for: " << describe(a).toStdString();
}

ScriptedPrompts& ScriptedPrompts::answer(Button button) {
    queue_.push_back(MessageAnswer{button, std::nullopt, std::nullopt});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::expect(const QString& caption, const QString& text, Button button) {
    queue_.push_back(MessageAnswer{button, caption, text});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerFile(const QString& path) {
    queue_.push_back(FileAnswer{path, false});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerFolder(const QString& path) {
    queue_.push_back(FileAnswer{path, true});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerFont(std::optional<QFont> font) {
    queue_.push_back(FontAnswer{std::move(font)});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerColor(std::optional<QColor> color) {
    queue_.push_back(ColorAnswer{std::move(color)});
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerPrint(bool print) {
    queue_.push_back(PrintAnswer{print});
    return *this;
}

std::vector<ScriptedPrompts::Call> ScriptedPrompts::messages() const {
    std::vector<Call> out;
    for (const Call& c : calls_)
        if (c.kind == Kind::Message) out.push_back(c);
    return out;
}

int ScriptedPrompts::beeps() const {
    int n = 0;
    for (const Call& c : calls_)
        n += c.kind == Kind::Beep;
    return n;
}

QString ScriptedPrompts::describe(const Call& call) {
    QString s = QString::fromLatin1(kindName(call.kind));
    if (call.kind == Kind::Message)
        s += QStringLiteral(" [%1] \"%2\" (%3, default %4)")
                 .arg(call.caption, call.text, buttonNames(call.buttons), buttonNames(call.defaultButton));
    else if (!call.caption.isEmpty())
        s += QStringLiteral(" \"%1\"").arg(call.caption);
    if (!call.filter.isEmpty()) s += QStringLiteral(" filter \"%1\"").arg(call.filter);
    return s;
}

QString ScriptedPrompts::describe(const Answer& answer) {
    if (auto* m = std::get_if<MessageAnswer>(&answer)) {
        QString s = QStringLiteral("message answer %1").arg(buttonNames(m->button));
        if (m->caption) s += QStringLiteral(" to [%1] \"%2\"").arg(*m->caption, *m->text);
        return s;
    }
    if (auto* f = std::get_if<FileAnswer>(&answer))
        return QStringLiteral("%1 \"%2\"").arg(f->folder ? "folder" : "file name", f->path);
    if (std::holds_alternative<FontAnswer>(answer)) return QStringLiteral("font");
    if (std::holds_alternative<ColorAnswer>(answer)) return QStringLiteral("colour");
    return QStringLiteral("print yes/no");
}

template <typename T> std::optional<T> ScriptedPrompts::take(const Call& call) {
    calls_.push_back(call);
    if (queue_.empty()) {
        ADD_FAILURE() << "Unexpected question: " << describe(call).toStdString();
        return std::nullopt;
    }
    T* answer = std::get_if<T>(&queue_.front());
    if (!answer) {
        ADD_FAILURE() << "Asked " << describe(call).toStdString() << " while the next answer is "
                      << describe(queue_.front()).toStdString();
        return std::nullopt;
    }
    T result = *answer;
    queue_.pop_front();
    return result;
}

Prompts::Button ScriptedPrompts::message(QWidget*, const QString& caption, const QString& text, int buttons,
                                         Button defaultButton, Icon icon) {
    Call call;
    call.kind = Kind::Message;
    call.caption = caption;
    call.text = text;
    call.buttons = buttons;
    call.defaultButton = defaultButton;
    call.icon = icon;
    Button fallback = (buttons & Cancel) ? Cancel : (buttons & No) ? No : Ok;
    auto answer = take<MessageAnswer>(call);
    if (!answer) return fallback;
    if (answer->caption && (*answer->caption != caption || *answer->text != text)) {
        ADD_FAILURE() << "Expected the message [" << answer->caption->toStdString() << "] \""
                      << answer->text->toStdString() << "\" but was asked " << describe(call).toStdString();
        return fallback;
    }
    if (!(buttons & answer->button)) {
        ADD_FAILURE() << "Answer " << buttonNames(answer->button).toStdString() << " is not a button of "
                      << describe(call).toStdString();
        return fallback;
    }
    return answer->button;
}

void ScriptedPrompts::beep() {
    Call call;
    call.kind = Kind::Beep;
    calls_.push_back(call);
}

QString ScriptedPrompts::openFile(QWidget*, const QString& title, const QString& filter,
                                  const QString& defaultSuffix, const QString& directory) {
    Call call;
    call.kind = Kind::OpenFile;
    call.caption = title;
    call.filter = filter;
    call.defaultSuffix = defaultSuffix;
    call.directory = directory;
    auto answer = take<FileAnswer>(call);
    return answer ? answer->path : QString();
}

QString ScriptedPrompts::saveFile(QWidget*, const QString& title, const QString& filter,
                                  const QString& defaultSuffix, const QString& directory,
                                  bool overwritePrompt) {
    Call call;
    call.kind = Kind::SaveFile;
    call.caption = title;
    call.filter = filter;
    call.defaultSuffix = defaultSuffix;
    call.directory = directory;
    call.overwritePrompt = overwritePrompt;
    auto answer = take<FileAnswer>(call);
    return answer ? answer->path : QString();
}

QString ScriptedPrompts::chooseFolder(QWidget*, const QString& title, const QString& directory) {
    Call call;
    call.kind = Kind::Folder;
    call.caption = title;
    call.directory = directory;
    auto answer = take<FileAnswer>(call);
    return answer ? answer->path : QString();
}

std::optional<QFont> ScriptedPrompts::font(QWidget*, const QFont& initial) {
    Call call;
    call.kind = Kind::Font;
    call.initialFont = initial;
    auto answer = take<FontAnswer>(call);
    return answer ? answer->font : std::nullopt;
}

std::optional<QColor> ScriptedPrompts::color(QWidget*, const QColor& initial) {
    Call call;
    call.kind = Kind::Color;
    call.initialColor = initial;
    auto answer = take<ColorAnswer>(call);
    return answer ? answer->color : std::nullopt;
}

bool ScriptedPrompts::print(QWidget*, QPrinter*) {
    Call call;
    call.kind = Kind::Print;
    auto answer = take<PrintAnswer>(call);
    return answer && answer->print;
}
