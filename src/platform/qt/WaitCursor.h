#pragma once

// Shows the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The usual cursor back for as long as it lives, while the wait cursor is
// on: a question asked in the middle of long work.
class WaitCursorPause {
public:
    WaitCursorPause();
    ~WaitCursorPause();
    WaitCursorPause(const WaitCursorPause&) = delete;
    WaitCursorPause& operator=(const WaitCursorPause&) = delete;

private:
    bool paused_;
};
