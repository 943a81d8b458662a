// The editor windows at the screen sizes: every page fits the screen it is meant for, no control
// is cut or overlaps another. With QUILLON_SHOTS set to a folder, each page is also written there
// as a PNG to look at.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "base/paths.h"
#include "common/scriptedprompts.h"
#include "common/sessioncatalogue.h"
#include "editor/ui/awardpickdialog.h"
#include "editor/ui/listeditordialog.h"
#include "editor/ui/recordeditor.h"

namespace {

void shoot(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    QDir().mkpath(folder);
    w->grab().save(folder + "/" + name + ".png");
}

// Visible controls of a page that overlap each other, or whose text does not fit.
QStringList problems(QWidget* page) {
    QApplication::processEvents();
    QStringList out;
    QList<QWidget*> controls;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || w->parentWidget() == nullptr) continue;
        if (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QPushButton*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QListWidget*>(w)) {
            if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget())) continue;
            controls << w;
        }
    }
    for (int i = 0; i < controls.size(); ++i) {
        QWidget* a = controls[i];
        const QRect ra(a->mapTo(page, QPoint(0, 0)), a->size());
        if (!page->rect().contains(ra)) out << a->objectName() + " outside";
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* b = controls[j];
            const QRect rb(b->mapTo(page, QPoint(0, 0)), b->size());
            if (ra.intersects(rb)) out << a->objectName() + " overlaps " + b->objectName();
        }
        if (auto* l = qobject_cast<QLabel*>(a);
            l && !l->text().isEmpty() && l->objectName().endsWith("Label")) {
            if (l->fontMetrics().horizontalAdvance(l->text()) > l->width()) out << l->objectName() + " cut";
        }
        if (auto* b = qobject_cast<QPushButton*>(a)) {
            if (b->sizeHint().width() > b->width() + 1) out << b->objectName() + " cut";
        }
    }
    return out;
}

struct ScreenCase {
    double scale;
    QSize screen;
    const char* name;
};

} // namespace

class EditorLook : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(EditorLook, PagesFitTheScreenAndNothingOverlaps) {
    const ScreenCase sc = GetParam();
    Session session;
    session.setScreenScale(sc.scale);
    editortest::Catalogue cat(session);
    session.lists().setList(DataLists::Producer, {"Hal Wallis"});
    ScriptedPrompts prompts;
    RecordEditor editor(session);
    editor.setMode(EditorMode::Edit);
    editor.show();
    auto* pages = editor.findChild<QTabWidget*>("MyTabbedNoteBook");
    const QSize size = editor.frameGeometry().size();
    EXPECT_LE(size.width(), sc.screen.width()) << sc.name;
    EXPECT_LE(size.height(), sc.screen.height()) << sc.name;
    for (int i = 0; i < 4; ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        EXPECT_EQ(problems(pages->widget(i)), QStringList{}) << sc.name << " page " << i;
        shoot(&editor, QStringLiteral("editor-%1-page%2").arg(sc.name).arg(i));
    }
    EXPECT_EQ(problems(&editor), QStringList{}) << sc.name;
    prompts.answer(Prompts::Yes);
    editor.closeAskingFirst();
    prompts.clearQueue();
}

TEST_P(EditorLook, ListEditorAndAwardPick) {
    const ScreenCase sc = GetParam();
    Session session;
    session.setScreenScale(sc.scale);
    editortest::Catalogue cat(session);
    session.lists().setList(DataLists::CheckoutPerson, {"Ann", "Bob Smith", "Catherine Wheel-Barrow"});
    editortest::writeLines(ProgramPaths::programFolder() + "/MISC.LST",
                           {"Widescreen", "Boxed Set", "Signed", "Director's Cut", "Colourised"});
    ListEditorDialog box(session, DataLists::CheckoutPerson);
    box.show();
    EXPECT_EQ(problems(&box), QStringList{});
    EXPECT_LE(box.frameGeometry().width(), sc.screen.width());
    shoot(&box, QStringLiteral("listeditor-%1").arg(sc.name));
    AwardPickDialog pick(session, 3, "Signed, Boxed Set");
    pick.show();
    EXPECT_EQ(problems(&pick), QStringList{});
    EXPECT_LE(pick.frameGeometry().height(), sc.screen.height());
    shoot(&pick, QStringLiteral("awardpick-%1").arg(sc.name));
}

INSTANTIATE_TEST_SUITE_P(Screens, EditorLook,
                         ::testing::Values(ScreenCase{1.0, {640, 480}, "640x480"},
                                           ScreenCase{1.6, {1024, 768}, "1024x768"}),
                         [](const auto& info) {
                             return std::string(info.param.scale == 1.0 ? "s640" : "s1024");
                         });
