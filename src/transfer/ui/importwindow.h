#pragma once
// Import: the Import Format window asks for the kind of file and the file; the import window
// then lines up the file's fields (import fields) against the catalogue's fields in its matching
// grid, marks which to use, and runs the transfer core's import.
#include <QStringList>

#include "transfer/importer.h"
#include "transfer/ui/fieldordergrid.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class ImportWindow : public DialogBase {
    Q_OBJECT
public:
    ImportWindow(Session& session, transfer::FileKind kind, const QString& path,
                 const QStringList& importNames, QWidget* parent = nullptr);

    FieldOrderGrid* grid() const { return grid_; }
    QPushButton* upButton() const { return upButton_; }
    QPushButton* downButton() const { return downButton_; }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QCheckBox* skipFirstBox() const { return skipFirstBox_; }
    QLabel* countLabel() const { return countLabel_; }

    // The field map the grid gives (import field i -> slot, 0 none).
    transfer::FieldMap fieldMap() const;
    // A double click on the USE cell of a row (0-based).
    void toggleRow(int row);
    // Runs the import as Start Import does.
    void startImport();
    const transfer::ImportResult& result() const { return result_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    Session& session_;
    transfer::FileKind kind_;
    QString path_;
    QStringList names_;
    transfer::ImportResult result_;
    FieldOrderGrid* grid_;
    QPushButton* upButton_;
    QPushButton* downButton_;
    QPushButton* startButton_;
    QPushButton* exitButton_;
    QPushButton* helpButton_;
    QCheckBox* skipFirstBox_;
    QLabel* countLabel_;
};

class ImportFormatDialog : public DialogBase {
    Q_OBJECT
public:
    explicit ImportFormatDialog(Session& session, QWidget* parent = nullptr);

    QRadioButton* asciiButton() const { return asciiButton_; }
    QRadioButton* dbaseButton() const { return dbaseButton_; }
    QPushButton* fileButton() const { return fileButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    // The import window while it is open (for tests), else null.
    ImportWindow* importWindow() const { return importWindow_; }

    // Select File: the file dialog, the file's check, then the import window.
    void chooseFile();
    void done(int result) override;

private:
    void runImportWindow(transfer::FileKind kind, const QString& path, const QStringList& names);

    Session& session_;
    QRadioButton* asciiButton_;
    QRadioButton* dbaseButton_;
    QPushButton* fileButton_;
    QPushButton* cancelButton_;
    ImportWindow* importWindow_ = nullptr;
};
