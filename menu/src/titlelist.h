#pragma once
// The titles of the menu-creator task: finished VOB files added one at a time
// through a probe of the file, and removed again; the window is disabled while
// a probe runs.
#include <cstdint>

class TQV_Video_DVD_Setup_DVD_Menu_Form;
struct TMessage;

class TitleList {
public:
    explicit TitleList(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    // Asks for a file and starts its probe into a new last slot.
    void Add();
    void Remove();
    // The probe's word (1225, 1226 or 1230): the clip takes its slot and the title is made.
    void TakeProbeMessage(const TMessage& message);
    // The probe's clip as a title, or its empty slot dropped with a message.
    void AddDone();
    // A running probe is cancelled and waited for.
    void ForgetLoader();

private:
    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
    std::int32_t loaderSerial_ = 0;   // the current probe's LPARAM: a late word of an earlier one is not its
};
