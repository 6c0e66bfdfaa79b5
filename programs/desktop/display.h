#pragma once

#include <QApplication>

#include <memory>

// Chooses the display a window goes to and how its pixels reach it; called
// before the application is made, which connects to the display.
void prepareDisplay();

// The application, made as prepareDisplay() says, connected to the
// display. Without a display it does not return: it prints one line naming
// the program and what is missing, and the process ends with status 1,
// where Qt would abort with its advice to reinstall.
std::unique_ptr<QApplication> openDisplay(int &argc, char *argv[]);
