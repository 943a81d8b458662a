#pragma once
// "Choose Media Number": the media numbers and titles of the catalogue in a read-only grid, over a
// view of the catalogue table of its own (opened read-only when the window is made, closed with
// it), so the main table's cursor and search stay as they are. "&Ok" (or a double click or Enter
// on a row) chooses the media number of the current row; "&Cancel" closes without one.
#include <QAbstractTableModel>
#include <QString>
#include <memory>
#include <vector>

#include "widgets/dialogbase.h"

class QTableView;
namespace dbase {
class Table;
}

namespace reports {

// The rows of the picker: media number and title of each record, read when shown.
class MediaListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    MediaListModel(dbase::Table& table, QString mediaTitle, QString titleTitle, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QString mediaNumber(int row) const;

private:
    bool gotoRow(int row) const;
    dbase::Table& table_;
    QString titles_[2];
    std::vector<uint32_t> recnos_;
    int fields_[2];
};

class MediaPickerDialog : public DialogBase {
    Q_OBJECT
public:
    explicit MediaPickerDialog(Session& session, QWidget* parent = nullptr);
    ~MediaPickerDialog() override;

    // Empty when the table could not be opened (the reason is then in openError()).
    QTableView* grid() const { return grid_; }
    QString openError() const { return openError_; }
    // The media number chosen by "&Ok" (trailing blanks removed).
    QString chosenMediaNumber() const { return chosen_; }

public slots:
    void OkButtonClick();

private:
    std::unique_ptr<dbase::Table> table_;
    MediaListModel* model_ = nullptr;
    QTableView* grid_;
    QString openError_;
    QString chosen_;
};

} // namespace reports
