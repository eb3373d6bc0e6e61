#pragma once
// The "Burner Device" group the burning windows share: the writer list, the
// write-speed list and the disc volume name, each after its caption.
#include "shell/mainlayout.h"

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
