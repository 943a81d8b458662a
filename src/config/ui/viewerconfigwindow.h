#pragma once
// The viewer configuration window ("Viewer Configuration"): six pages deciding how the main
// window's viewer shows the catalogue.
//
// The title and look pages change the settings at once (check boxes, alignment, fonts, colours).
// The four field pages (fields to show, widths, order, names) are grids whose cells the
// ViewerConfiguration holds; they reach the settings when the window closes, by the closing rules
// of the ViewerConfiguration, and only when its names can be taken: otherwise the window shows
// the problem on the names page and stays open. There is no cancel. After closing, the viewer
// takes the new options (the session's viewerOptionsChanged).
#include <QTableWidget>
#include <array>
#include <memory>

#include "config/viewerconfig.h"
#include "widgets/dialogbase.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// A grid of the window: its open cell editor can be committed from outside (before closing).
class ConfigGrid : public QTableWidget {
    Q_OBJECT
public:
    using QTableWidget::QTableWidget;
    // Writes the text of a cell being edited into its cell and closes the editor.
    void commitOpenEditor();
};

class ViewerConfigWindow : public DialogBase {
    Q_OBJECT
public:
    enum Page { TitlePage, LookPage, ShowPage, WidthsPage, OrderPage, NamesPage };
    // Columns of the grids in slot order.
    enum Column { FieldColumn = 0, ValueColumn = 1 };

    explicit ViewerConfigWindow(Session& session, QWidget* parent = nullptr);
    ~ViewerConfigWindow() override;

    // The help keyword of a page.
    static QString helpKeyword(int page);

    QTabWidget* pages() const { return tabs_; }
    ConfigGrid* fieldsToDisplay() const { return showGrid_; }
    ConfigGrid* fieldWidthGrid() const { return widthGrid_; }
    ConfigGrid* fieldOrderGrid() const { return orderGrid_; }
    ConfigGrid* fieldNameGrid() const { return nameGrid_; }
    QCheckBox* showGridTitle() const { return showTitles_; }
    QCheckBox* checkBox(const QString& objectName) const;
    QRadioButton* alignmentButton(int alignment) const { return alignment_[size_t(alignment - 1)]; } // 1..3
    QLineEdit* titleFontBox() const { return titleFont_; }
    QLineEdit* gridFontBox() const { return gridFont_; }
    QFrame* titleShape() const { return titleShape_; }
    QFrame* cellColorShape() const { return cellShape_; }
    QPushButton* button(const QString& objectName) const;
    const config::ViewerConfiguration& configuration() const { return *config_; }

    // The buttons' work, as their clicks do it.
    void orderUp();
    void orderDown();
    void orderDefaults();
    void chooseTitleFont();
    void chooseGridFont();
    void chooseTitleColor();
    void chooseCellColor();
    void showHelp();

    // Every attempt to close (Exit, Escape, the window's close box) comes here: the names are
    // checked first, and only names that can be taken let the window close.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTitlePage();
    QWidget* buildLookPage();
    QWidget* buildShowPage();
    QWidget* buildWidthsPage();
    QWidget* buildOrderPage();
    QWidget* buildNamesPage();
    ConfigGrid* slotGrid(const QString& objectName, const QString& valueTitle);
    QWidget* editablePage(const QString& objectName, const QString& valueTitle, ConfigGrid** grid,
                          int maxLength, const QString& editorName);
    void fillGrids();
    void fillOrderRow(int row);
    void showFontsAndColors();
    void cellChanged(QTableWidgetItem* item);
    void commitEditors();
    bool closeChecked(); // the closing check and the closing rules; false keeps the window open

    Session& session_;
    std::unique_ptr<config::ViewerConfiguration> config_;
    bool filling_ = false;
    QTabWidget* tabs_ = nullptr;
    QCheckBox* showTitles_ = nullptr;
    QLineEdit* titleFont_ = nullptr;
    QLineEdit* gridFont_ = nullptr;
    QFrame* titleShape_ = nullptr;
    QFrame* cellShape_ = nullptr;
    std::array<QRadioButton*, 3> alignment_{};
    ConfigGrid* showGrid_ = nullptr;
    ConfigGrid* widthGrid_ = nullptr;
    ConfigGrid* orderGrid_ = nullptr;
    ConfigGrid* nameGrid_ = nullptr;
};

// Navigate > Viewer: the window, shown modally; the viewer has the new options afterwards.
void configureViewer(Session& session, QWidget* parent);
