#include "pipeline/burnerdevicegroup.h"

#include "base/programpictures.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivgroupbox.h"
#include "vcl/stdctrls.h"

namespace {

constexpr int kVolumeNameLength = 12;

mainlayout::Place Inside(const mainlayout::Place& group, const mainlayout::Place& p)
{
    return {p.left - group.left, p.top - group.top, p.width, p.height};
}

// Dark on the control's face, not in the group's light caption colour.
void DarkText(TControl* control)
{
    control->SetParentFont(false);
    control->Font()->SetName("Arial");
    control->Font()->SetSize(8);
    control->Font()->SetColor(clWindowText);
}

TkivComboBox* NewList(TWinControl* parent, const char* name, const mainlayout::Place& p)
{
    auto* list = new TkivComboBox(parent);
    list->SetName(name);
    list->SetStyle(csDropDownList);
    DarkText(list);
    list->SetBounds(p.left, p.top, p.width, p.height);
    list->SetParent(parent);
    return list;
}

} // namespace

BurnerDeviceGroup NewBurnerDeviceGroup(TWinControl* form, const char* groupName, const BurnerDevicePlaces& p,
                                       unsigned textColor)
{
    BurnerDeviceGroup g;
    g.group = new TkivGroupBox(form);
    g.group->SetName(groupName);
    g.group->SetCaption("Burner Device");
    g.group->SetTransparent(true);
    g.group->Font()->SetName("Arial");
    g.group->Font()->SetSize(8);
    g.group->Font()->SetStyle(TFontStyles{fsBold});
    g.group->Font()->SetColor(textColor);
    g.group->SetBounds(p.group.left, p.group.top, p.group.width, p.group.height);
    g.group->SetParent(form);
    NewLabel(g.group, "Label_Drive", Inside(p.group, p.driveLabel), textColor)->SetCaption("Device Name :");
    NewLabel(g.group, "Label_Speed", Inside(p.group, p.speedLabel), textColor)->SetCaption("Write Speed :");
    NewLabel(g.group, "Label_Volume", Inside(p.group, p.volumeLabel), textColor)->SetCaption("Disc Volume :");
    g.drive = NewList(g.group, "kivComboBox_Drive", Inside(p.group, p.drive));
    g.speed = NewList(g.group, "kivComboBox_WriteSpeed", Inside(p.group, p.speed));
    g.volume = new TkivEdit(form);
    g.volume->SetName("kivEdit_VolumeName");
    g.volume->SetMaxLength(kVolumeNameLength);
    DarkText(g.volume);
    const mainlayout::Place volume = Inside(p.group, p.volume);
    g.volume->SetBounds(volume.left, volume.top, volume.width, volume.height);
    g.volume->SetParent(g.group);
    return g;
}

void BurnerComboLists::ClearDrives() { DriveList()->Items()->Clear(); }
void BurnerComboLists::AddDrive(const std::string& name) { DriveList()->Items()->Add(name); }
void BurnerComboLists::SelectDrive(int index) { DriveList()->SetItemIndex(index); }
void BurnerComboLists::ClearSpeeds() { SpeedList()->Items()->Clear(); }
void BurnerComboLists::AddSpeed(const std::string& label) { SpeedList()->Items()->Add(label); }
void BurnerComboLists::SelectSpeed(int index) { SpeedList()->SetItemIndex(index); }
int BurnerComboLists::SelectedSpeed() { return SpeedList()->ItemIndex(); }
void BurnerComboLists::EnableSpeeds(bool enabled) { SpeedList()->SetEnabled(enabled); }
