#pragma once
// The graph the designer grabs chapter pictures from. The designer makes a
// real one; a test may put its own in.
#include <memory>
#include <string>

class TWinControl;

class ChapterGrabGraph {
public:
    virtual ~ChapterGrabGraph() = default;
    // Builds the graph for the file, its video hidden on `window`.
    virtual bool Open(const std::wstring& path, TWinControl& window) = 0;
    virtual bool Seek(double seconds) = 0;
    virtual bool Run() = 0;
    virtual bool IsRunning() = 0;
    // A picture has come through since the last seek.
    virtual bool FrameSinceSeek() { return true; }
    // The frame on show as a BMP file.
    virtual bool SaveFrame(const std::string& path) = 0;
    virtual void Pause() = 0;
    // Stops and releases the graph (the destructor does too).
    virtual void Close() = 0;
};
std::unique_ptr<ChapterGrabGraph> NewChapterGrabGraph();
