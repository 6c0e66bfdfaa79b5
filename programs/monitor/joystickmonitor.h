#pragma once

#include "recording/recording.h"
#include "recording/rowfile.h"
#include "session/detailsfeed.h"
#include "session/session.h"
#include "window/details/detailswindow.h"
#include "window/ventana.h"

#include <memory>

// The monitor as one program: the board's session, the window that
// presents it, the board's details fed from the start and shown in a
// second window, and the recording of its reports, which either window
// starts and stops. The program itself, its tests, tools and benchmarks all
// assemble it here.
class JoystickMonitor {
public:
    explicit JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                             LinkTiming timing = {}, const std::shared_ptr<LinkClock> &clock = LinkClock::eventLoop());

    BoardSession &session() { return session_; }
    ventana &window() { return window_; }
    DetailsWindow &details() { return details_; }
    const DetailsFeed &detailsFeed() const { return feed_; }

    // Shows the window and starts looking for the board.
    void start();
    // Shows the details window, or brings it up if shown.
    void showDetails() { details_.bringUp(); }

    // Records every report to `file` from now on, in place of the recording
    // before; false, with the reason logged and in both windows, when
    // `file` is not open: a refusal, like a failure later, brings the
    // details window up, so that no one misses it.
    bool record(std::unique_ptr<RowFile> file);
    // Ends the recording, if any, its file synced and closed.
    void stopRecording();
    // The recording going on or stopped last; null before the first.
    const Recording *recording() const { return recording_.get(); }

    // What Exit does: syncs and closes the recording, removes the port's
    // lock file, and ends the process at once, without the window's unload
    // handling.
    [[noreturn]] void endNow();

private:
    void answerDetailsRequests();
    void showRecordingFailure();
    void showRecording(const RecordingShown &shown);

    BoardSession session_;
    ventana window_;
    DetailsFeed feed_;
    DetailsWindow details_;
    std::unique_ptr<Recording> recording_;
};
