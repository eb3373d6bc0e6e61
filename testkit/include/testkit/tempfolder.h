#pragma once
// A fresh temporary folder for one test, removed with everything in it at the end.
#include <string>

namespace testkit {

class TempFolder {
public:
    explicit TempFolder(const char* prefix = "keldara-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

} // namespace testkit
