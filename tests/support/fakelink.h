#pragma once

#include "seriallink/link.h"

// A link that only counts what the window asks of it; the test emits its
// signals and sets its state.
class FakeLink final : public Link {
    Q_OBJECT

public:
    using Link::Link;

    int searches = 0;
    int requests = 0;
    int closes = 0;
    LinkState phase = LinkState::Idle;

    void buscarPuerto() override { ++searches; }
    void sendRequest() override { ++requests; }
    void close() override { ++closes; }
    void releasePortLock() override {}
    LinkState state() const override { return phase; }
};
