#include "session/boardlines.h"
#include "tests/support/fakelink.h"
#include "tests/support/qtprinters.h"
#include "window/ventana.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The window's context menu, opened by a right click on the left stick's
// picture: each entry and whether it can be chosen.
QMenu *openMenu(ventana &window)
{
    const QPoint at = window.Picture1->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, window.Picture1->mapToGlobal(at));
    QCoreApplication::sendEvent(window.Picture1, &event);
    return window.findChild<QMenu *>();
}

QStringList entries(const QMenu &menu)
{
    QStringList shown;
    for (const QAction *action : menu.actions())
        shown.append(action->text() + (action->isEnabled() ? "" : " (disabled)"));
    return shown;
}

void closeAndDelete(QWidget &popup)
{
    popup.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

// The menu and the file dialog come and go: the window keeps the controls
// of its layout, and the recording's tooltip is its own. The menu also
// opens the board's details.
TEST(RecordingMenu, AsksWhereToRecordThenOffersToStop)
{
    FakeLink link;
    BoardLines lines{link};
    ventana window(link, lines);
    window.show();
    const QList<QWidget *> controls = window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QStringList requests;
    QObject::connect(&window, &ventana::recordRequested,
                     [&](const QString &path) { requests.append("record " + path); });
    QObject::connect(&window, &ventana::stopRecordingRequested, [&] { requests.append("stop"); });
    QObject::connect(&window, &ventana::detailsRequested, [&] { requests.append("details"); });

    QMenu *menu = openMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(*menu), QStringList({"Record to file…", "Stop recording (disabled)", "", "Board details…"}));
    menu->actions().constFirst()->trigger();
    closeAndDelete(*menu);
    auto *dialog = window.findChild<QFileDialog *>();
    ASSERT_NE(dialog, nullptr);
    const QTemporaryDir dir;
    dialog->setDirectory(dir.path());
    dialog->selectFile("board");
    static_cast<QDialog *>(dialog)->accept();
    closeAndDelete(*dialog);
    EXPECT_EQ(requests, QStringList{"record " + dir.filePath("board.csv")}) << "a name without suffix is a CSV file";

    window.showRecording(true, "Recording every report to " + dir.filePath("board.csv"));
    EXPECT_EQ(window.toolTip(), "Recording every report to " + dir.filePath("board.csv"));
    EXPECT_TRUE(window.Bconsola->toolTip().isEmpty());
    menu = openMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(*menu), QStringList({"Record to file… (disabled)", "Stop recording", "", "Board details…"}));
    menu->actions().at(1)->trigger();
    menu->actions().constLast()->trigger();
    closeAndDelete(*menu);
    EXPECT_EQ(requests.mid(1), QStringList({"stop", "details"}));
    EXPECT_EQ(window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly), controls);
}
