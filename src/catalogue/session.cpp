#include "catalogue/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/sortorder.h"

Session::Session(QObject* parent) : QObject(parent), startFolder_(QDir::currentPath()) {}

Session::~Session() = default;

QString Session::indexPath() const {
    return TablePaths::indexPath(currentDatabase_);
}
QString Session::settingsPath() const {
    return TablePaths::settingsPath(currentDatabase_);
}
QString Session::basePath() const {
    return TablePaths::basePath(currentDatabase_);
}
QString Session::baseName() const {
    return TablePaths::baseName(currentDatabase_);
}

QString Session::displayName(int slot) const {
    if (slot < 1 || slot > FieldCount) return QString();
    return database_.displayName(slot);
}

bool Session::loadProgramSettings(QString* error) {
    return program_.load(startFolder_, error);
}

bool Session::saveProgramSettings(QString* error) const {
    return program_.save(error);
}

bool Session::loadDatabaseSettings(QString* error) {
    return database_.loadForTable(currentDatabase_, ProgramPaths::programSettingsFile(), error);
}

bool Session::loadNewDatabaseSettings(const QString& templateFolder, QString* error) {
    const QString templ = findFileIgnoringCase(templateFolder, QStringLiteral("QLNINV.INI"));
    return database_.loadForNewTable(templ, ProgramPaths::programSettingsFile(), error);
}

bool Session::saveDatabaseSettings(QString* error) const {
    if (currentDatabase_.isEmpty()) return true;
    return database_.saveForTable(currentDatabase_, error);
}

void Session::openTable(dbase::OpenMode mode) {
    if (table_.isOpen()) {
        emit tableClosing();
        table_.close();
    }
    table_.open(QFile::encodeName(currentDatabase_).toStdString(), mode);
    // The sort order in force: the tag NewIndex when there is a sort expression and the tag.
    bool hasTag = false;
    for (const dbase::TagInfo& tag : table_.tags())
        hasTag = hasTag || QString::fromStdString(tag.name).compare(QLatin1String("NewIndex"),
                                                                    Qt::CaseInsensitive) == 0;
    table_.setActiveIndex(!sortExpression_.isEmpty() && hasTag ? "NewIndex" : "");
    // A search in force stays in force across a reopening: the owner's hook installs its
    // filter, and a filter set on the session is installed again.
    if (tableOpened_) tableOpened_(table_);
    if (searchOn_ && searchFilter_) table_.setFilter(searchFilter_);
    table_.first(); // an opened catalogue shows its first record
}

void Session::closeTable() {
    if (table_.isOpen()) {
        emit tableClosing();
        table_.close();
    }
}

void Session::applyDateFormat() {
    dateFormat_.setCode(program_.dateFormat);
    dateFormat_.setLeadingZeros(program_.dateLeadingZeros);
}

QStringList Session::saveCatalogueFiles() {
    QStringList problems;
    QString error;
    if (!saveDatabaseSettings(&error)) problems << error;
    if (!lists_.saveAllLists(currentDatabase_, &error)) problems << error;
    return problems;
}

QStringList Session::switchCatalogue(const QString& path, bool isNew, bool saveCurrent,
                                     const QString& templateFolder) {
    QStringList problems;
    // A search ends with the catalogue it ran on.
    if (table_.isOpen()) table_.clearFilter();
    searchOn_ = false;
    searchFilter_ = nullptr;
    closeTable();
    // The old catalogue keeps its settings and lists.
    if (saveCurrent && !currentDatabase_.isEmpty()) problems << saveCatalogueFiles();
    currentDatabase_ = path;
    // A new catalogue starts from the default lists and the template settings, an existing one
    // from its own.
    QString error;
    if (isNew) {
        if (!lists_.loadDefaultLists(&error)) problems << error;
        if (!loadNewDatabaseSettings(templateFolder, &error)) problems << error;
    } else {
        if (!lists_.loadAllLists(path, &error)) problems << error;
        if (!loadDatabaseSettings(&error)) problems << error;
    }
    sortExpression_ = ::sortExpression(database_.sortLevels);
    // The sort index, unless another program holds the table.
    if (isNew || !isTableInUse(path)) {
        try {
            openTable(dbase::OpenMode::Exclusive);
            applySortExpression(table_, sortExpression_, SortApply::Rebuild);
        } catch (const dbase::DbError& e) {
            problems << QString::fromUtf8(e.what());
        }
        closeTable();
    }
    try {
        openTable(dbase::OpenMode::Shared);
    } catch (const dbase::DbError& e) {
        problems << QString::fromUtf8(e.what());
    }
    problems.removeAll(QString());
    return problems;
}
