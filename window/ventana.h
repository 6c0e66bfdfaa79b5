#pragma once

#include "window/controllayout.h"
#include "window/framepacer.h"
#include "window/picturebox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class Link;

// The program's one window: it shows what the board's link tells, and
// hands the user's requests to it.
class ventana final : public QWidget {
    Q_OBJECT

public:
    explicit ventana(Link &link, QWidget *parent = nullptr);

    void Form_Load();
    void Form_Unload(int16_t &Cancel);
    void Exit_Click();
    void Command1_Click();

    // Shows what one device line says.
    void showLine(const QString &line);

    // The stick coordinates as last received, in drawing units.
    std::array<int16_t, 4> coordinates() const { return {iA0, iA1, iA2, iA3}; }

    // True once the window has been closed through its frame.
    bool isUnloaded() const { return unloaded_; }

    QLabel *const Label1 = control<QLabel>("Label1");
    QLineEdit *const Info = textBox("Info");
    QLineEdit *const Bconsola = textBox("Bconsola");
    QLineEdit *const bResultado = textBox("bResultado");
    QPushButton *const Exit = control<QPushButton>("Exit");
    QLabel *const Label2 = control<QLabel>("Label2");
    PictureBox *const Picture1 = control<PictureBox>("Picture1");
    PictureBox *const Picture2 = control<PictureBox>("Picture2");
    QPushButton *const Command1 = control<QPushButton>("Command1");
    QLineEdit *const vA0 = textBox("vA0");
    QLineEdit *const vA1 = textBox("vA1");
    QLineEdit *const vA2 = textBox("vA2");
    QLineEdit *const vA3 = textBox("vA3");
    QCheckBox *const vA5 = control<QCheckBox>("vA5");
    QCheckBox *const vA4 = control<QCheckBox>("vA4");

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename Control>
    Control *control(const char *name)
    {
        auto *widget = new Control(this);
        layout::apply(*widget, layout::control(name));
        return widget;
    }
    QLineEdit *textBox(const char *name);

    void showAxis(int channel, QStringView text, int16_t value);
    void showButton(int channel, bool pressed, bool closesReport);
    void redrawSticks();
    void showWithNextFrame();
    void showLatest();
    void showAxisTexts();
    void drawWaitingSticks();
    void showProblem(const QString &reason);

    Link &link_;
    int16_t iA0 = 0;
    int16_t iA1 = 0;
    int16_t iA2 = 0;
    int16_t iA3 = 0;
    // Each axis box's latest text, shown with the next frame.
    std::array<QString, 4> axisTexts_;
    // A stick as the last complete report left it, in drawing units, and
    // the picture box that shows it.
    struct Stick {
        PictureBox *picture;
        int16_t x;
        int16_t y;
        uint32_t color;
    };
    // Drawn with the next frame.
    std::optional<std::array<Stick, 2>> waitingSticks_;
    bool unloaded_ = false;
    FramePacer framePacer_{*this};
};
