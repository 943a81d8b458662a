#pragma once
// The grid of the export and import windows: one row per field, read-only cells, one row chosen
// at a time. Up and Down move the texts of the ordered columns of the chosen row one row up or
// down (the other columns stay where they are), and a double click on the Yes/No column switches
// the row between "Yes" and "No".
#include <QTableWidget>

class FieldOrderGrid : public QTableWidget {
    Q_OBJECT
public:
    static const QString Yes;
    static const QString No;

    // Ordered columns firstOrdered..lastOrdered; yesNoColumn is the one a double click switches.
    FieldOrderGrid(int rows, const QStringList& headers, int firstOrdered, int lastOrdered, int yesNoColumn,
                   QWidget* parent);

    // Sets a cell's text (the cell is made read-only on first use).
    void setText(int row, int column, const QString& text);
    QString text(int row, int column) const;
    // Moves the ordered columns of the current row by delta rows (-1 up, 1 down); nothing at the
    // ends. The moved row stays current.
    void moveCurrentRow(int delta);
    // Switches a row's Yes/No cell between "Yes" and "No"; a cell holding neither stays as it is.
    void toggleRow(int row);

private:
    int firstOrdered_, lastOrdered_, yesNoColumn_;
};
