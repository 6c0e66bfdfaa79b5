#pragma once

#include "window/controllayout.h"
#include "window/framepacer.h"
#include "window/picturebox.h"
#include "window/presentschedule.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>

class BoardLines;
class BoardModel;
class Link;
struct BoardLine;

// The program's one window: it presents the board's state as the model
// holds it, once the board's lines say what changed, and the link's status
// texts, and hands the user's requests to the link.
class ventana final : public QWidget {
    Q_OBJECT

public:
    // Its frames go by `clock`.
    ventana(Link &link, const BoardLines &lines, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
            QWidget *parent = nullptr);

    void Form_Load();
    void Form_Unload(int16_t &Cancel);
    void Exit_Click();
    void Command1_Click();

    // What Exit does, in place of ending the process at once.
    void setExitAction(std::function<void()> action) { exitAction_ = std::move(action); }
    // Ends the process at once; no close or unload handling runs.
    [[noreturn]] static void endProgram();

    // Whether a recording is going on, and what the window's own tooltip
    // tells about it: where it goes, or why it stopped or could not start.
    void showRecording(bool active, const QString &state);

    QLabel *const Label1 = control<QLabel>("Label1");
    QLineEdit *const Info = textBox("Info");
    QLineEdit *const Bconsola = textBox("Bconsola");
    QLineEdit *const bResultado = textBox("bResultado");
    QPushButton *const Exit = control<QPushButton>("Exit");
    QLabel *const Label2 = control<QLabel>("Label2");
    PictureBox *const Picture1 = control<PictureBox>("Picture1");
    PictureBox *const Picture2 = control<PictureBox>("Picture2");
    QPushButton *const Command1 = control<QPushButton>("Command1");
    QLineEdit *const vA0 = valueBox("vA0");
    QLineEdit *const vA1 = valueBox("vA1");
    QLineEdit *const vA2 = valueBox("vA2");
    QLineEdit *const vA3 = valueBox("vA3");
    QCheckBox *const vA5 = control<QCheckBox>("vA5");
    QCheckBox *const vA4 = control<QCheckBox>("vA4");

signals:
    // The user asked, through the window's context menu, for every report
    // to be recorded to `path`, or for the recording to stop.
    void recordRequested(const QString &path);
    void stopRecordingRequested();
    // The user asked, through the context menu, for the board's details.
    void detailsRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    template <typename Control>
    Control *control(const char *name)
    {
        auto *widget = new Control(this);
        layout::apply(*widget, layout::control(name));
        return widget;
    }
    QLineEdit *textBox(const char *name);
    QLineEdit *valueBox(const char *name);

    void queueForFrame(const BoardLine &line);
    void present(PresentSchedule::Parts parts);
    void showAxisTexts();
    void showSticks();
    void showButtons();
    void showProblem(const QString &reason);
    void chooseRecordingFile();

    Link &link_;
    const BoardModel &model_;
    // The channels whose latest line the window does not show yet.
    std::bitset<6> unshownChannels_;
    // Whether the last completed report is not drawn yet.
    bool reportUnshown_ = false;
    FramePacer pacer_;
    std::function<void()> exitAction_ = endProgram;
    bool recording_ = false;
};
