#pragma once
// A look at a finished program stream before it is handed over.
#include <string>

// Answers "" when the file is a non-empty MPEG program stream: a pack header
// at its start and, with a fixed packSize, whole packs each starting with one
// (the first and the last are looked at). With navPacks the first pack must
// hold the DVD navigation packet that dvdauthor fills in.
std::string CheckProgramStream(const std::string& path, int packSize, bool navPacks);
