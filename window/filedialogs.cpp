#include "window/filedialogs.h"

#include <QFileDialog>

namespace {

QFileDialog *saveDialog(QWidget *parent, const QString &title, const QString &filter, const QString &suffix)
{
    auto *dialog = new QFileDialog(parent, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters({filter, QFileDialog::tr("All files (*)")});
    dialog->setDefaultSuffix(suffix);
    return dialog;
}

} // namespace

void askForRecordingFile(QWidget *parent, std::function<void(const QString &file)> chosen)
{
    QFileDialog *dialog = saveDialog(parent, QFileDialog::tr("Record to file"), QFileDialog::tr("CSV files (*.csv)"),
                                     QStringLiteral("csv"));
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, std::move(chosen));
    dialog->open();
}

void askForCalibrationFile(QWidget *parent, std::function<void(const QString &file)> chosen)
{
    QFileDialog *dialog = saveDialog(parent, QFileDialog::tr("Save calibration"),
                                     QFileDialog::tr("Calibrations (*.json)"), QStringLiteral("json"));
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, std::move(chosen));
    dialog->open();
}
