#include "window/details/linkpanel.h"

#include "window/details/figurelabels.h"
#include "window/shortenedtext.h"

#include <QFormLayout>

using namespace figurelabels;

namespace {

// An interval figure; marked while the board is lost, since it tells of
// the reports before the loss.
QString milliseconds(const LinkFigures &link, double IntervalFigures::*figure, int decimals)
{
    if (!link.interval)
        return unknown();
    const QString text = QStringLiteral("%1 ms").arg((*link.interval).*figure, 0, 'f', decimals);
    return link.lost ? text + QStringLiteral(" (before the loss)") : text;
}

// While the board is lost no reports come: no rate.
QString reportsText(const LinkFigures &link)
{
    if (link.lost && link.reports > 0)
        return QStringLiteral("%1 (%2 a second)").arg(link.reports).arg(unknown());
    return link.rate ? QStringLiteral("%1 (%2 a second)").arg(link.reports).arg(*link.rate, 0, 'f', 2)
                     : QString::number(link.reports);
}

// The link's figures, a row each.
struct FigureRow {
    const char *name;
    QString (*text)(const LinkFigures &link);
};
const FigureRow kFigureRows[] = {
    {"Reports", reportsText},
    {"Interval, mean", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::meanMs, 1); }},
    {"Jitter (interval SD)", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::sdMs, 1); }},
    {"Longest interval", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::maxMs, 0); }},
    {"Ignored lines", [](const LinkFigures &link) { return QString::number(link.ignoredLines); }},
    {"Over-long lines dropped", [](const LinkFigures &link) { return QString::number(link.longLinesDropped); }},
    {"Unanswered requests", [](const LinkFigures &link) { return QString::number(link.unansweredRequests); }},
    {"Boards lost / found again",
     [](const LinkFigures &link) { return QStringLiteral("%1 / %2").arg(link.losses).arg(link.recoveries); }},
};

QString stateInWords(const LinkShown &link)
{
    const QString lost = link.lostSince ? QStringLiteral("Board lost since %1; ").arg(clockTime(*link.lostSince))
                                        : QString();
    switch (link.state) {
    case LinkState::Idle:
        return QStringLiteral("Not started");
    case LinkState::Scanning:
        return lost + QStringLiteral("searching for the board: trying COM %1").arg(link.port);
    case LinkState::Polling:
        return QStringLiteral("Polling the board on COM %1").arg(link.port);
    case LinkState::Waiting:
        return link.lostSince ? lost + QStringLiteral("waiting for it to come back")
                              : QStringLiteral("No board found; waiting for a serial device to appear");
    case LinkState::Closed:
        return QStringLiteral("Closed");
    }
    return {};
}

// The first letter up: "searching ..." alone starts a sentence.
QString sentence(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

LinkPanel::LinkPanel(QWidget *parent)
    : QGroupBox(tr("Link"), parent)
{
    auto *rows = new QFormLayout(this);
    rows->addRow(tr("Port"), wrapping(port_));
    rows->addRow(tr("State"), wrapping(state_));
    rows->addRow(tr("Problem"), wrapping(problem_));
    rows->setRowVisible(problem_, false);
    gameController_->setObjectName(QStringLiteral("gameController"));
    connect(gameController_, &QCheckBox::clicked, this, &LinkPanel::gameControllerSwitched);
    rows->addRow(tr("Game controller"), gameController_);
    rows->setRowVisible(gameController_, false);
    const QString widest = widestOf(fontMetrics(), {QStringLiteral("0000000000 (0000.00 a second)"),
                                                    QStringLiteral("00000.0 ms (before the loss)")});
    for (const FigureRow &row : kFigureRows) {
        QLabel *value = figureLabel(fontMetrics(), widest);
        value->setObjectName(QString::fromLatin1(row.name));
        rows->addRow(tr(row.name), value);
        figures_.push_back(value);
    }
}

void LinkPanel::showLink(const LinkShown &link)
{
    port_->setText(link.port > 0 ? QStringLiteral("COM %1  %2").arg(link.port).arg(shortenLongWords(link.device, 40))
                                 : unknown());
    state_->setText(sentence(stateInWords(link)));
    problem_->setText(shortenLongWords(link.problem));
    static_cast<QFormLayout *>(layout())->setRowVisible(problem_, !link.problem.isEmpty());
}

void LinkPanel::showGameController(bool on, const QString &state, const QString &details)
{
    gameController_->setChecked(on);
    gameController_->setText(state);
    gameController_->setToolTip(details);
    static_cast<QFormLayout *>(layout())->setRowVisible(gameController_, true);
}

void LinkPanel::showFigures(const LinkFigures &figures)
{
    for (size_t row = 0; row < figures_.size(); ++row)
        figures_[row]->setText(kFigureRows[row].text(figures));
}
