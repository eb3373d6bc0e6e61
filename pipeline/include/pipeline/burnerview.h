#pragma once
// What a burning window shows of its writer, whichever stage drives it: the
// window's handle for messages and boxes, the log, the drive and speed lists,
// and the run's end. The DVD burn stage's BurnView and the CD burn stage's
// CdBurnView both begin with it; a window serving both stages implements it
// once (the bases are virtual).
#include "win32/messages.h"

#include <string>

class BurnerView {
public:
    virtual ~BurnerView() = default;
    virtual HWND WindowHandle() = 0;
    virtual void Log(const std::string& line) = 0;
    virtual void ClearDrives() = 0;
    virtual void AddDrive(const std::string& name) = 0;
    virtual void SelectDrive(int index) = 0;
    virtual void ClearSpeeds() = 0;
    virtual void AddSpeed(const std::string& label) = 0;
    virtual void SelectSpeed(int index) = 0;
    virtual int SelectedSpeed() = 0;
    virtual void EnableSpeeds(bool enabled) = 0;
    virtual void Repaint() = 0;
    virtual void FinishRun(bool finished) = 0;
};

