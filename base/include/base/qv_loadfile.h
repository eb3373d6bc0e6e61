#pragma once
// The media probe: a worker thread that examines one added file with the
// media detector, makes its clip object when the file is usable, grabs a
// snapshot by playing the file in a private preview graph, and reports to its
// owner window by posting exactly one message (WPARAM the clip index, LPARAM
// the owner's loader slot).
//
// The owner deletes the thread after the message; after MSG_LOAD_GAVE_UP or
// MSG_LOAD_READY it takes Clip first (a clip never taken is freed with the
// thread). Deleting a running probe cancels it and waits for it to end.
#include "base/cliplist.h"
#include "com/hresult.h"
#include "rtl/thread.h"
#include "win32/messages.h"

#include <string>

constexpr UINT MSG_LOAD_FAILED = 1225;    // the file is refused; no clip
constexpr UINT MSG_LOAD_GAVE_UP = 1226;   // clip made; no picture found at any of the six grab positions
constexpr UINT MSG_LOAD_READY = 1230;     // clip made, tile drawn from a grabbed frame or the placeholders

class TQV_LoadFile : public TThread {
public:
    TQV_LoadFile(bool createSuspended, const std::string& path, int wparam, int lparam, HWND ownerWindow);
    ~TQV_LoadFile() override;

    // The detector's facts into a new Clip; S_OK when the file is usable
    // (at least 0.05 s long, with an audio stream).
    HRESULT ProbeClipFile();
    // 0 when the tile was drawn, 1 when no usable frame was found at any position.
    int SaveClipSnapshot();
    // Program folder + "Snapshot/t-<attempt>-<lparam>-<clip index>.bmp".
    std::string SnapshotFile(int attempt) const;

    HWND OwnerWindow;
    std::string FilePath;
    int MessageWParam;
    int MessageLParam;
    ClipPtr Clip;

protected:
    void Execute() override;

private:
    void Refuse();
    void UsePlaceholderPictures();
    void FinishClip();
    bool WaitForPicture(class GraphGroup& graph);

    // A refused clip is freed on the owner's thread, with the thread object:
    // a clip's destructor looks at the main thread's clip list.
    ClipPtr refused_;
};
