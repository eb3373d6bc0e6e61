#pragma once
// The program's bitmap resources by name (drawn at build time by tools/artwork).
#include "rtl/sysutils.h"

#include <string>
#include <vector>

class TBitmap;

KELDARA_EXCEPTION(EResNotFound, Exception);

// Loads the named bitmap (case-insensitive); EResNotFound("Resource %s not found") otherwise.
void LoadBitmapResource(const std::string& name, TBitmap& bitmap);
bool HasBitmapResource(const std::string& name);
std::vector<std::string> BitmapResourceNames();
