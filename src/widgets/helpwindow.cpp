#include "widgets/helpwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

QPointer<HelpWindow> HelpWindow::open_;

static void initHelpResource() {
    Q_INIT_RESOURCE(help);
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    initHelpResource();
    setWindowFlags(Qt::Window);
    setWindowTitle(QStringLiteral("Quillon Videos 97 Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    back_ = new QPushButton(QStringLiteral("&Back"), this);
    forward_ = new QPushButton(QStringLiteral("&Forward"), this);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Quillon Videos 97 Help")
                                       : QStringLiteral("Quillon Videos 97 Help - ") + title);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);
    resize(640, 520);
}

QUrl HelpWindow::topicUrl(const QString& keyword) {
    initHelpResource();
    QString key = keyword.trimmed();
    if (key.isEmpty()) key = QStringLiteral("contents");
    if (key.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) key.chop(5);
    QStringList candidates{key, key.toLower()};
    QString normal = key.toLower();
    normal.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    while (normal.startsWith('-'))
        normal.remove(0, 1);
    while (normal.endsWith('-'))
        normal.chop(1);
    candidates << normal;
    for (const QString& c : candidates) {
        const QString path = QStringLiteral(":/help/") + c + QStringLiteral(".html");
        if (!c.isEmpty() && QFile::exists(path)) return QUrl(QStringLiteral("qrc") + path);
    }
    return {};
}

QStringList HelpWindow::pages() {
    initHelpResource();
    QStringList out;
    for (const QString& name :
         QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files))
        out << QStringLiteral(":/help/") + name;
    return out;
}

void HelpWindow::showContents() {
    browser_->setSource(topicUrl(QString()));
}

void HelpWindow::showKeyword(const QString& keyword) {
    const QUrl url = topicUrl(keyword);
    if (url.isEmpty()) {
        showContents();
        browser_->moveCursor(QTextCursor::Start);
        browser_->insertHtml(
            QStringLiteral("<p><i>There is no help topic \"%1\".</i></p>").arg(keyword.toHtmlEscaped()));
        return;
    }
    browser_->setSource(url);
}

QUrl HelpWindow::currentPage() const {
    return browser_->source();
}

QString HelpWindow::currentTitle() const {
    return browser_->documentTitle();
}

HelpWindow* HelpWindow::showHelp(QWidget* parent, const QString& keyword) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && parent) owner = parent->window();
    if (open_ && open_->parentWidget() != owner) open_->close();
    if (!open_) {
        open_ = new HelpWindow(owner);
        open_->setAttribute(Qt::WA_DeleteOnClose);
    }
    open_->showKeyword(keyword);
    open_->show();
    open_->raise();
    open_->activateWindow();
    return open_;
}
