#pragma once

#include "gamepad/virtualpad.h"

#include <optional>
#include <vector>

// Records what a pad makes and sends; fails where told to.
struct RecordedPad final : PadOutput {
    std::optional<QString> create(const PadIdentity &, ButtonLayout) override
    {
        ++creations;
        return creationProblem;
    }
    QString location() const override { return QStringLiteral("/dev/input/event5 and /dev/input/js0"); }
    std::optional<QString> send(const PadFrame &frame) override
    {
        if (!sendProblem)
            frames.push_back(frame);
        return sendProblem;
    }

    int creations = 0;
    std::optional<QString> creationProblem;
    std::optional<QString> sendProblem;
    std::vector<PadFrame> frames;
};
