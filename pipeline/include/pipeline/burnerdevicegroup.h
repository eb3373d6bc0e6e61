#pragma once
// The "Burner Device" group the burning windows share: the writer list, the
// write-speed list and the disc volume name, each after its caption.
#include "base/mainlayout.h"
#include "pipeline/burnerview.h"

#include <string>

class TkivComboBox;
class TkivEdit;
class TkivGroupBox;
class TWinControl;

struct BurnerDevicePlaces {
    // In window coordinates.
    mainlayout::Place group, driveLabel, drive, speedLabel, speed, volumeLabel, volume;
};

struct BurnerDeviceGroup {
    TkivGroupBox* group = nullptr;
    TkivComboBox* drive = nullptr;    // kivComboBox_Drive
    TkivComboBox* speed = nullptr;    // kivComboBox_WriteSpeed
    TkivEdit* volume = nullptr;       // kivEdit_VolumeName, 12 characters
};

// The group on `form`, named `groupName`, its captions in `textColor`.
BurnerDeviceGroup NewBurnerDeviceGroup(TWinControl* form, const char* groupName, const BurnerDevicePlaces& places,
                                       unsigned textColor);

// A burning window's drive and speed lists shown in its group's two combo
// boxes: the part of its BurnerView that both burning windows share.
class BurnerComboLists : public virtual BurnerView {
public:
    void ClearDrives() override;
    void AddDrive(const std::string& name) override;
    void SelectDrive(int index) override;
    void ClearSpeeds() override;
    void AddSpeed(const std::string& label) override;
    void SelectSpeed(int index) override;
    int SelectedSpeed() override;
    void EnableSpeeds(bool enabled) override;

protected:
    virtual TkivComboBox* DriveList() = 0;   // kivComboBox_Drive
    virtual TkivComboBox* SpeedList() = 0;   // kivComboBox_WriteSpeed
};
