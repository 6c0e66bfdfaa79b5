#include "window/recordingfiledialog.h"

#include <QFileDialog>

void askForRecordingFile(QWidget *parent, std::function<void(const QString &file)> chosen)
{
    auto *dialog = new QFileDialog(parent, QFileDialog::tr("Record to file"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setNameFilters({QFileDialog::tr("CSV files (*.csv)"), QFileDialog::tr("All files (*)")});
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, std::move(chosen));
    dialog->open();
}
