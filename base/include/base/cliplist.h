#pragma once
// The clip list: the one owner of every clip object. A clip made on the probe
// thread waits in the hand-over store until the main thread adopts it; one
// that is never adopted is freed with the store, so none is lost.
#include "rtl/sysutils.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class TQV_MovieImage;

struct ClipFree {
    void operator()(TQV_MovieImage* clip) const;
};
using ClipPtr = std::unique_ptr<TQV_MovieImage, ClipFree>;

// Main thread only. Element access is checked (ERangeError outside 0..length-1).
class TClipList {
public:
    TClipList() = default;
    ~TClipList();
    TClipList(const TClipList&) = delete;
    TClipList& operator=(const TClipList&) = delete;

    TQV_MovieImage* operator[](std::int64_t index) const { return CheckedAt(items_, index).get(); }
    std::int64_t Length() const { return static_cast<std::int64_t>(items_.size()); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // Keeps the first min(old, new) clips; dropped clips are freed, new slots are empty.
    void SetLength(std::int64_t length);
    // Puts clip into slot index (freeing what was there); index == Length() appends.
    void Adopt(std::int64_t index, ClipPtr clip);
    std::int64_t Add(ClipPtr clip);
    // Frees the clip and moves the later ones down.
    void Delete(std::int64_t index);
    void Exchange(std::int64_t a, std::int64_t b);
    // Takes a clip out of the list without freeing it (its slot is removed).
    ClipPtr Extract(std::int64_t index);
    // The slot of clip, -1 when it is not in the list.
    std::int64_t IndexOf(const TQV_MovieImage* clip) const;
    void Clear() { SetLength(0); }

    // Called by a clip that is being freed by someone else: its slot is removed.
    void Forget(const TQV_MovieImage* clip);

private:
    std::vector<ClipPtr> items_;
};

// Clips handed from a worker thread to the main thread. Thread-safe.
class TClipHandOver {
public:
    ~TClipHandOver();
    // Answers the ticket the worker puts into its message.
    std::intptr_t Park(ClipPtr clip);
    // The clip of a ticket, once; nullptr for an unknown or used ticket.
    ClipPtr Claim(std::intptr_t ticket);
    // Frees every clip still waiting (main thread).
    void Discard();
    std::size_t Waiting() const;

private:
    mutable std::mutex mutex_;
    std::intptr_t next_ = 1;
    std::vector<std::pair<std::intptr_t, ClipPtr>> parked_;
};
