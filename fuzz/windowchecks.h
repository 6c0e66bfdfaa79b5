#pragma once

#include "window/ventana.h"

#include <QSize>
#include <QString>

#include <array>

// What the window looked like before an input, to compare with after it.
struct WindowSnapshot {
    std::array<QString, 4> axisTexts;
    QSize leftPicture;
    QSize rightPicture;
};

WindowSnapshot takeSnapshot(const ventana &window);

// Checks what must hold however the input went: every axis box whose text
// changed holds at most `longestValue` characters; every coordinate is the
// leading number of its box's text; the pictures keep their size.
void checkWindowState(const ventana &window, const WindowSnapshot &before, qsizetype longestValue);
