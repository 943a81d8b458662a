#include "reports/ui/mediapickerdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "catalogue/catalogue.h"
#include "catalogue/fieldslots.h"
#include "catalogue/session.h"
#include "catalogue/sortorder.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "widgets/prompts.h"

namespace reports {

MediaListModel::MediaListModel(dbase::Table& table, QString mediaTitle, QString titleTitle, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table), titles_{std::move(mediaTitle), std::move(titleTitle)}, fields_{
                                                                                table.fieldIndex("MediaNum"),
                                                                                table.fieldIndex("Title")} {
    recnos_ = table_.orderedRecnos();
}

int MediaListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(recnos_.size());
}

int MediaListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

bool MediaListModel::gotoRow(int row) const {
    if (row < 0 || row >= int(recnos_.size())) return false;
    if (table_.recNo() == recnos_[size_t(row)]) return true;
    return table_.gotoBookmark(recnos_[size_t(row)]);
}

QVariant MediaListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || fields_[index.column()] < 0) return {};
    if (!gotoRow(index.row())) return {};
    return QString::fromStdString(table_.getText(fields_[index.column()]));
}

QVariant MediaListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return section >= 0 && section < 2 ? titles_[section] : QString();
    return {};
}

QString MediaListModel::mediaNumber(int row) const {
    if (fields_[0] < 0 || !gotoRow(row)) return {};
    return QString::fromStdString(table_.getText(fields_[0]));
}

MediaPickerDialog::MediaPickerDialog(Session& session, QWidget* parent)
    : DialogBase(session, WindowGroup::Report, parent), grid_(new QTableView(this)) {
    setObjectName(QStringLiteral("ChooseMedia"));
    setWindowTitle(QStringLiteral("Choose Media Number"));
    table_ = std::make_unique<dbase::Table>();
    try {
        table_->open(enginePath(session.currentDatabase()), dbase::OpenMode::Shared, true);
        // The catalogue's order when the main table shows it sorted.
        if (!session.table().activeIndex().empty() && !table_->indexStale()) table_->setActiveIndex(kSortTag);
        model_ = new MediaListModel(*table_, session.displayName(Slot::MediaNumber),
                                    session.displayName(Slot::Title), this);
        grid_->setModel(model_);
    } catch (const dbase::DbError& e) {
        openError_ = QString::fromUtf8(e.what());
        table_.reset();
    }
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    const int chars = grid_->fontMetrics().averageCharWidth();
    grid_->setColumnWidth(0, chars * 12);
    grid_->setColumnWidth(1, chars * 50);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(chars * 66, 300);
    if (model_ && model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
    connect(grid_, &QTableView::doubleClicked, this, &MediaPickerDialog::OkButtonClick);
    connect(grid_, &QTableView::activated, this, &MediaPickerDialog::OkButtonClick);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setDefault(true);
    ok->setEnabled(model_ != nullptr);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &MediaPickerDialog::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(grid_, 1);
    main->addLayout(buttons);
}

MediaPickerDialog::~MediaPickerDialog() {
    grid_->setModel(nullptr);
    delete model_;
    if (table_) table_->close();
}

void MediaPickerDialog::OkButtonClick() {
    if (!model_) return;
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) return;
    chosen_ = model_->mediaNumber(current.row());
    accept();
}

} // namespace reports
