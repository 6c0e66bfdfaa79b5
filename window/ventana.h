#pragma once

#include "seriallink/comportmap.h"
#include "window/controllayout.h"
#include "window/framepacer.h"
#include "window/picturebox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <memory>

class SerialControl;
class SerialError;

// The program's one window. Its procedures live in the folders of the
// subsystems they belong to: the window itself here, port setup,
// discovery, receive assembly and polling in seriallink/, and the line
// interpreter in stickdata/.
class ventana final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kPortWait{2000};
    static constexpr std::chrono::milliseconds kPollInterval{200};

    // `ports` is where the serial control finds its devices; the window
    // reads it once per discovery and watches it while it has no board.
    explicit ventana(std::unique_ptr<SerialControl> port, std::chrono::milliseconds portWait = kPortWait,
                     std::shared_ptr<ComPortMap> ports = std::make_shared<ComPortMap>(QStringList()),
                     QWidget *parent = nullptr);
    ~ventana() override;

    void Form_Load();
    void Form_Unload(int16_t &Cancel);
    void Exit_Click();

    void buscarPuerto();
    void serial();
    void EsperaMiliseg(double Tiempo);

    void MSComm1_OnComm();
    void Timer1_Timer();
    void Command1_Click();

    void analizarIN(QString sa);

    // True once the window has been closed through its frame.
    bool isUnloaded() const { return unloaded_; }

    QString linea;
    int16_t puerto = 0;
    uint8_t portok = 0;
    QString CLAVE;
    int16_t iA0 = 0;
    int16_t iA1 = 0;
    int16_t iA2 = 0;
    int16_t iA3 = 0;

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
    QTimer *const Timer1;
    SerialControl *const MSComm1;

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

    void rediscover();
    void watchForBoardWhileThereIsNone();
    void boardIdentified();
    void boardLost();

    void finishLine();
    void appendToLine(const QString &character);
    void sendRequest();
    void reportPortProblem(const SerialError &error);
    void clearPortProblem();

    const std::chrono::milliseconds portWait_;
    const std::shared_ptr<ComPortMap> ports_;
    bool discovering_ = false;
    bool unloaded_ = false;
    bool skippingLongLine_ = false;
    QString reportedProblem_;
    FramePacer framePacer_{*this};
};
