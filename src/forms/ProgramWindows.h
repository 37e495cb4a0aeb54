#pragma once

class EntryWindow;
class TAbout;
class TDBSelect;
class TDebug;
class TFullText;
class TNewHD;

// The windows of one run, created in a fixed order after the register window (Program). The
// register window reaches the others through here; a missing one is simply not shown.
struct ProgramWindows {
    TFullText* fullText = nullptr;
    TDebug* debug = nullptr;
    TNewHD* newProtocol = nullptr;
    EntryWindow* entry = nullptr;
    TDBSelect* kindSelect = nullptr;
    TAbout* about = nullptr;
};
