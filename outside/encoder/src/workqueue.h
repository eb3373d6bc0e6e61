#pragma once
// A bounded hand-over queue between two threads of the encoder: the producer
// waits while it is full, the consumer while it is empty; closing it ends
// both waits for good.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace kvrencoder {

template <class T>
class WorkQueue {
public:
    explicit WorkQueue(std::size_t capacity) : capacity_(capacity) {}

    // False when the queue was closed (the item is dropped).
    bool Push(T item)
    {
        std::unique_lock lock(mutex_);
        hasRoom_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        lock.unlock();
        hasItems_.notify_one();   // one item wakes one taker
        return true;
    }
    // Empty when the queue was closed.
    std::optional<T> Pop()
    {
        std::unique_lock lock(mutex_);
        hasItems_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (closed_) return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        lock.unlock();
        hasRoom_.notify_one();   // one place wakes one giver
        return item;
    }
    void Close()
    {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            items_.clear();
        }
        hasItems_.notify_all();
        hasRoom_.notify_all();
    }

private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable hasItems_;   // takers wait on it
    std::condition_variable hasRoom_;    // givers wait on it
    std::deque<T> items_;
    bool closed_ = false;
};

} // namespace kvrencoder
