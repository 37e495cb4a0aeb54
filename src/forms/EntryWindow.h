#pragma once

// The window in which one protocol is filled in. The register window opens a protocol only
// through this, so the entry window can change without the register window changing.
class EntryWindow {
public:
    virtual ~EntryWindow() = default;
    // Shows protocol `number` modally; returns the window's result, which callers do not use.
    virtual int OpenProtocol(int number) = 0;
};
