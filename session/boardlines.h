#pragma once

#include "seriallink/link.h"
#include "seriallink/linkclock.h"
#include "stickdata/boardline.h"
#include "stickdata/boardmodel.h"

#include <QObject>
#include <QString>

#include <memory>

// Every device line the link receives, handed on once: applied to the
// model, stamped with its arrival from the session's clock, and told with
// what it meant and the report it completed. Whoever shows, records or
// measures the board takes this one event, so that no order of
// connections can mislabel a line, and every one of them sees the same
// time for it.
class BoardLines final : public QObject {
    Q_OBJECT

public:
    explicit BoardLines(Link &link, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
                        QObject *parent = nullptr);

    const BoardModel &model() const { return model_; }
    // Now, as a line arriving now is stamped.
    Arrival now() const;

signals:
    void arrived(const BoardLine &line);

private:
    void interpret(const QString &text);
    void markDropped();

    std::shared_ptr<LinkClock> clock_;
    BoardModel model_;
    ChannelSet seen_;
};
