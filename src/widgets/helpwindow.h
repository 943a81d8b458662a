#pragma once
// The program's help: pages of HTML built into the program (resources/help/*.html), shown in a
// window of its own with Contents, Back and Forward. A topic is opened by its keyword: the file
// name, or the keyword in lower case with blanks as hyphens ("Input Window" -> input-window.html).
// An unknown keyword opens the contents and says that the topic is missing.
#include <QDialog>
#include <QPointer>
#include <QUrl>

class QTextBrowser;
class QPushButton;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Opens (or raises) the help window at a keyword; an empty keyword opens the contents.
    // The window belongs to parent's top-level window (so it can be used beside a modal dialog)
    // and is destroyed when closed.
    static HelpWindow* showHelp(QWidget* parent, const QString& keyword = QString());

    // The resource URL of a keyword's page; empty when there is none.
    static QUrl topicUrl(const QString& keyword);
    // Every help page built into the program (resource paths).
    static QStringList pages();

    void showKeyword(const QString& keyword);
    void showContents();
    QUrl currentPage() const;
    QString currentTitle() const;
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    static QPointer<HelpWindow> open_;
};
