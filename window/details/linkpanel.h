#pragma once

#include "session/detailsfeed.h"
#include "stickdata/boardstats.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include <vector>

// The link as the details tell it: the port and its device, the state in
// words, what is wrong if anything, and the link's figures; and, where the
// program can make the board a game controller, its state and a box to
// turn it on and off.
class LinkPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit LinkPanel(QWidget *parent = nullptr);

    void showLink(const LinkShown &link);
    void showFigures(const LinkFigures &figures);
    // The game controller on or off, and its state in words: its device,
    // "off", or why it could not be made; `details` beside it.
    void showGameController(bool on, const QString &state, const QString &details);

signals:
    void gameControllerSwitched(bool on);

private:
    QLabel *const port_ = new QLabel;
    QLabel *const state_ = new QLabel;
    QLabel *const problem_ = new QLabel;
    QCheckBox *const gameController_ = new QCheckBox;
    // The figures, in the order of their table.
    std::vector<QLabel *> figures_;
};
