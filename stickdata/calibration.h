#pragma once

#include "stickdata/boardstats.h"

#include <chrono>

// A calibration taken on purpose, as jscal takes one: the statistics start
// afresh; the sticks are left alone until both have rested, which gives
// each axis its centre, noise and dead zone; then they are swept round in
// full circles, which gives the ranges. The sweeps end when the user says
// so, or by themselves once every axis has covered at least kSweptSpan and
// no range has grown for kSettled.
class Calibration {
public:
    enum class Step {
        // Not taking one.
        Off,
        // Waiting for both sticks to rest.
        HandsOff,
        // Waiting for the sweeps to end.
        Sweeps,
        // Taken: the statistics hold it.
        Taken,
    };
    static constexpr int kSweptSpan = 512;
    static constexpr std::chrono::seconds kSettled{3};

    // Resets `stats` and waits for the sticks to rest.
    void start(BoardStats &stats);
    // Moves on as `stats`, which have just taken a report that arrived
    // `at`, say.
    void advance(const BoardStats &stats, std::chrono::nanoseconds at);
    // The user says the sweeps are done.
    void finish();
    void cancel() { step_ = Step::Off; }

    Step step() const { return step_; }

private:
    Step step_ = Step::Off;
    // The axes' ranges added up, and when that sum last grew.
    int ranges_ = 0;
    std::chrono::nanoseconds grewAt_{};
};
