#pragma once

#include "session/detailsfeed.h"
#include "stickdata/boardstats.h"

#include <QGroupBox>
#include <QLabel>

#include <vector>

// The link as the details tell it: the port and its device, the state in
// words, what is wrong if anything, and the link's figures.
class LinkPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit LinkPanel(QWidget *parent = nullptr);

    void showLink(const LinkShown &link);
    void showFigures(const LinkFigures &figures);

private:
    QLabel *const port_ = new QLabel;
    QLabel *const state_ = new QLabel;
    QLabel *const problem_ = new QLabel;
    // The figures, in the order of their table.
    std::vector<QLabel *> figures_;
};
