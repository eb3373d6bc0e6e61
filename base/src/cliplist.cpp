#include "base/cliplist.h"

#include "base/qv_movieimage.h"

#include <algorithm>
#include <utility>

void ClipFree::operator()(TQV_MovieImage* clip) const
{
    if (clip)
        clip->Free();
}

TClipList::~TClipList()
{
    SetLength(0);
}

void TClipList::SetLength(std::int64_t length)
{
    const std::size_t n = length > 0 ? static_cast<std::size_t>(length) : 0;
    // Take the dropped clips out first: their destructors look the list up.
    std::vector<ClipPtr> dropped;
    while (items_.size() > n) {
        dropped.push_back(std::move(items_.back()));
        items_.pop_back();
    }
    items_.resize(n);
    dropped.clear();
}

void TClipList::Adopt(std::int64_t index, ClipPtr clip)
{
    if (index == Length()) {
        items_.push_back(std::move(clip));
        return;
    }
    ClipPtr old = std::exchange(CheckedAt(items_, index), std::move(clip));
    old.reset();
}

std::int64_t TClipList::Add(ClipPtr clip)
{
    items_.push_back(std::move(clip));
    return Length() - 1;
}

void TClipList::Delete(std::int64_t index)
{
    ClipPtr clip = Extract(index);
    clip.reset();
}

void TClipList::Exchange(std::int64_t a, std::int64_t b)
{
    std::swap(CheckedAt(items_, a), CheckedAt(items_, b));
}

ClipPtr TClipList::Extract(std::int64_t index)
{
    ClipPtr clip = std::move(CheckedAt(items_, index));
    items_.erase(items_.begin() + index);
    return clip;
}

std::int64_t TClipList::IndexOf(const TQV_MovieImage* clip) const
{
    if (!clip)
        return -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == clip)
            return static_cast<std::int64_t>(i);
    return -1;
}

void TClipList::Forget(const TQV_MovieImage* clip)
{
    const std::int64_t i = IndexOf(clip);
    if (i < 0)
        return;
    (void)items_[static_cast<std::size_t>(i)].release();
    items_.erase(items_.begin() + i);
}

// ---------------------------------------------------------------------------
TClipHandOver::~TClipHandOver()
{
    Discard();
}

std::intptr_t TClipHandOver::Park(ClipPtr clip)
{
    std::lock_guard lock(mutex_);
    const std::intptr_t ticket = next_++;
    parked_.emplace_back(ticket, std::move(clip));
    return ticket;
}

ClipPtr TClipHandOver::Claim(std::intptr_t ticket)
{
    std::lock_guard lock(mutex_);
    auto it = std::find_if(parked_.begin(), parked_.end(), [&](const auto& p) { return p.first == ticket; });
    if (it == parked_.end())
        return nullptr;
    ClipPtr clip = std::move(it->second);
    parked_.erase(it);
    return clip;
}

void TClipHandOver::Discard()
{
    std::vector<std::pair<std::intptr_t, ClipPtr>> waiting;
    {
        std::lock_guard lock(mutex_);
        waiting.swap(parked_);
    }
    waiting.clear();
}

std::size_t TClipHandOver::Waiting() const
{
    std::lock_guard lock(mutex_);
    return parked_.size();
}
