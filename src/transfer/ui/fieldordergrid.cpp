#include "transfer/ui/fieldordergrid.h"

#include <QHeaderView>

const QString FieldOrderGrid::Yes = QStringLiteral("Yes");
const QString FieldOrderGrid::No = QStringLiteral("No");

FieldOrderGrid::FieldOrderGrid(int rows, const QStringList& headers, int firstOrdered, int lastOrdered,
                               int yesNoColumn, QWidget* parent)
    : QTableWidget(rows, int(headers.size()), parent), firstOrdered_(firstOrdered), lastOrdered_(lastOrdered),
      yesNoColumn_(yesNoColumn) {
    setHorizontalHeaderLabels(headers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->hide();
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columnCount(); ++column)
            setText(row, column, QString());
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column == yesNoColumn_) toggleRow(row);
    });
}

void FieldOrderGrid::setText(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column)) {
        cell->setText(text);
        return;
    }
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, column, cell);
}

QString FieldOrderGrid::text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void FieldOrderGrid::moveCurrentRow(int delta) {
    const int row = currentRow();
    const int other = row + delta;
    if (row < 0 || other < 0 || other >= rowCount()) return;
    for (int column = firstOrdered_; column <= lastOrdered_; ++column) {
        const QString moved = text(row, column);
        setText(row, column, text(other, column));
        setText(other, column, moved);
    }
    setCurrentCell(other, currentColumn());
}

void FieldOrderGrid::toggleRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    const QString now = text(row, yesNoColumn_);
    if (now == Yes)
        setText(row, yesNoColumn_, No);
    else if (now == No)
        setText(row, yesNoColumn_, Yes);
}
