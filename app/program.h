#pragma once

#include "app/recording.h"
#include "app/rowfile.h"
#include "app/session.h"
#include "window/ventana.h"

#include <QApplication>

#include <memory>

// The monitor as one program: the board's session and the window that
// presents it. The program itself, its tests, tools and benchmarks all
// assemble it here.
class JoystickMonitor : public BoardSession {
public:
    explicit JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                             LinkTiming timing = {});

    // Chooses the display the window goes to and how its pixels reach it;
    // called before the application is made, which connects to the display.
    static void prepareDisplay();

    // The application, made as prepareDisplay() says, connected to the
    // display. Without a display it does not return: it prints one line
    // naming the program and what is missing, and the process ends with
    // status 1, where Qt would abort with its advice to reinstall.
    static std::unique_ptr<QApplication> openDisplay(int &argc, char *argv[]);

    // Shows the window and starts looking for the board.
    void start();

    // Records every report to `file` from now on, in place of the recording
    // before; false, with the reason logged and in the window, when `file`
    // is not open.
    bool record(std::unique_ptr<RowFile> file);
    // Ends the recording, if any, its file synced and closed.
    void stopRecording();
    // The recording going on or stopped last; null before the first.
    const Recording *recording() const { return recording_.get(); }

    ventana window;

private:
    void recordingFailed();

    std::unique_ptr<Recording> recording_;
};
