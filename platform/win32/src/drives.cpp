#include "win32/drives.h"

std::vector<Volume> EnumerateVolumes() { return {}; }
std::optional<Volume> VolumeOf(const std::string&) { return std::nullopt; }
unsigned GetDriveType(const std::string&) { return DRIVE_UNKNOWN; }
bool GetDiskFreeSpace(const std::string&, DiskSpace&) { return false; }
void SetDriveSource(const DriveSource&) {}
