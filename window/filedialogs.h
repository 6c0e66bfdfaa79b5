#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// Asks for the file to record to, in a dialog over `parent` that does not
// wait in a loop of its own and goes when closed; `chosen` gets the file.
// A name without a suffix is a CSV file; a file that exists is appended
// to, not replaced, so there is nothing to confirm.
void askForRecordingFile(QWidget *parent, std::function<void(const QString &file)> chosen);
// The same for the file to save a calibration to, a JSON file, which is
// replaced once confirmed.
void askForCalibrationFile(QWidget *parent, std::function<void(const QString &file)> chosen);
