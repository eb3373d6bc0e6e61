#include "win32/messages.h"

#include "rtl/sysutils.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

// One lock guards every queue and the handle table: traffic is light, and a
// single lock cannot be taken in the wrong order by a sender and a receiver.
namespace {

std::mutex& Lock()
{
    static std::mutex mutex;
    return mutex;
}

// A message sent from another thread, waiting for the owner to handle it.
struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    std::condition_variable* notify = nullptr;   // the waiting sender's queue, or ownCv
    std::condition_variable ownCv;
};

} // namespace

struct MessageQueue::State {
    std::thread::id owner;
    MessageQueue* queue = nullptr;
    bool alive = true;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    std::condition_variable cv;
    std::shared_ptr<std::function<void()>> wakeup;
};

namespace {

using QueueState = MessageQueue::State;

struct Window {
    std::shared_ptr<QueueState> queue;
    std::shared_ptr<WindowProc> proc;
};

struct Table {
    std::unordered_map<std::uintptr_t, Window> windows;
    // Handles count up and are never handed out twice.
    std::uintptr_t next = 0x10000;
    std::map<std::string, UINT> registered;
    UINT nextRegistered = 0xC000;
};

Table& Handles()
{
    static Table table;
    return table;
}

thread_local MessageQueue* t_current = nullptr;

std::uintptr_t Key(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

// Caller holds the lock.
Window* FindWindow(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto& windows = Handles().windows;
    auto it = windows.find(Key(hwnd));
    return it == windows.end() ? nullptr : &it->second;
}

void Finish(SentMessage& sent, LRESULT result)
{
    sent.result = result;
    sent.done = true;
    sent.notify->notify_all();
}

// Handles one message sent from another thread; the lock is held on entry
// and on return, released around the window procedure.
void HandleSent(std::unique_lock<std::mutex>& lock, QueueState& state)
{
    std::shared_ptr<SentMessage> sent = state.sent.front();
    state.sent.pop_front();
    std::shared_ptr<WindowProc> proc;
    if (Window* window = FindWindow(sent->hwnd))
        proc = window->proc;
    if (!proc || !*proc) {
        Finish(*sent, 0);
        return;
    }
    lock.unlock();
    LRESULT result = 0;
    try {
        result = (*proc)(sent->message, sent->wParam, sent->lParam);
    } catch (...) {
        lock.lock();
        if (!sent->done)
            Finish(*sent, 0);
        throw;
    }
    lock.lock();
    if (!sent->done)
        Finish(*sent, result);
}

void Wake(std::unique_lock<std::mutex>& lock, QueueState& state)
{
    state.cv.notify_all();
    std::shared_ptr<std::function<void()>> wakeup = state.wakeup;
    lock.unlock();
    if (wakeup && *wakeup)
        (*wakeup)();
}

enum class FetchMode { Remove, Keep, RemoveLeaveQuit };

// Handles sent messages, then looks for a posted one. Answers Timeout when
// nothing is there yet (the caller decides whether to wait).
GetResult FetchOnce(std::unique_lock<std::mutex>& lock, QueueState& state, MSG& msg, FetchMode mode)
{
    for (;;) {
        while (!state.sent.empty())
            HandleSent(lock, state);
        while (!state.posted.empty()) {
            MSG& front = state.posted.front();
            if (front.hwnd && !FindWindow(front.hwnd)) {
                state.posted.pop_front();   // its window died after the post
                continue;
            }
            msg = front;
            if (mode != FetchMode::Keep)
                state.posted.pop_front();
            return GetResult::Message;
        }
        // A procedure called above may have sent again; only stop when idle.
        if (!state.sent.empty())
            continue;
        if (state.quit) {
            msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0};
            if (mode == FetchMode::Remove)
                state.quit = false;
            return GetResult::Quit;
        }
        return GetResult::Timeout;
    }
}

GetResult Fetch(QueueState& state, MSG& msg, std::optional<std::uint32_t> timeoutMs)
{
    std::unique_lock<std::mutex> lock(Lock());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs.value_or(0));
    for (;;) {
        GetResult result = FetchOnce(lock, state, msg, FetchMode::Remove);
        if (result != GetResult::Timeout)
            return result;
        if (!timeoutMs) {
            state.cv.wait(lock);
        } else if (state.cv.wait_until(lock, deadline) == std::cv_status::timeout) {
            result = FetchOnce(lock, state, msg, FetchMode::Remove);
            return result;
        }
    }
}

// Caller holds the lock: forgets the window, its queued messages and its
// waiting senders.
void Forget(std::uintptr_t key)
{
    auto& windows = Handles().windows;
    auto it = windows.find(key);
    if (it == windows.end())
        return;
    std::shared_ptr<QueueState> state = it->second.queue;
    windows.erase(it);
    HWND hwnd = reinterpret_cast<HWND>(key);
    std::erase_if(state->posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    std::erase_if(state->sent, [hwnd](const std::shared_ptr<SentMessage>& s) {
        if (s->hwnd != hwnd)
            return false;
        Finish(*s, 0);
        return true;
    });
}

} // namespace

MessageQueue::MessageQueue() : state_(std::make_shared<State>())
{
    state_->owner = std::this_thread::get_id();
    state_->queue = this;
    if (!t_current)
        t_current = this;
}

MessageQueue::~MessageQueue()
{
    {
        std::lock_guard<std::mutex> guard(Lock());
        state_->alive = false;
        std::vector<std::uintptr_t> mine;
        for (auto& [key, window] : Handles().windows)
            if (window.queue == state_)
                mine.push_back(key);
        for (std::uintptr_t key : mine)
            Forget(key);
        for (auto& sent : state_->sent)
            Finish(*sent, 0);
        state_->sent.clear();
        state_->posted.clear();
        state_->queue = nullptr;
    }
    if (t_current == this)
        t_current = nullptr;
}

MessageQueue* MessageQueue::Current() { return t_current; }

std::thread::id MessageQueue::OwnerThread() const { return state_->owner; }

bool MessageQueue::Post(const MSG& msg)
{
    std::unique_lock<std::mutex> lock(Lock());
    if (msg.hwnd) {
        Window* window = FindWindow(msg.hwnd);
        if (!window || window->queue != state_)
            return false;
    }
    state_->posted.push_back(msg);
    Wake(lock, *state_);
    return true;
}

bool MessageQueue::Get(MSG& msg) { return Fetch(*state_, msg, std::nullopt) == GetResult::Message; }

GetResult MessageQueue::Get(MSG& msg, std::uint32_t timeoutMs) { return Fetch(*state_, msg, timeoutMs); }

bool MessageQueue::Peek(MSG& msg, bool remove)
{
    std::unique_lock<std::mutex> lock(Lock());
    return FetchOnce(lock, *state_, msg, remove ? FetchMode::Remove : FetchMode::Keep) != GetResult::Timeout;
}

void MessageQueue::Quit(int exitCode)
{
    std::unique_lock<std::mutex> lock(Lock());
    state_->quit = true;
    state_->quitCode = exitCode;
    Wake(lock, *state_);
}

bool MessageQueue::QuitPosted() const
{
    std::lock_guard<std::mutex> guard(Lock());
    return state_->quit;
}

std::size_t MessageQueue::Pending() const
{
    std::lock_guard<std::mutex> guard(Lock());
    return state_->posted.size() + state_->sent.size();
}

void MessageQueue::SetWakeup(std::function<void()> wakeup)
{
    std::lock_guard<std::mutex> guard(Lock());
    state_->wakeup = wakeup ? std::make_shared<std::function<void()>>(std::move(wakeup)) : nullptr;
}

HWND AllocateHWnd(MessageQueue& queue, WindowProc windowProc)
{
    std::lock_guard<std::mutex> guard(Lock());
    Table& table = Handles();
    std::uintptr_t key = table.next++;
    table.windows.emplace(key, Window{queue.Internal(), std::make_shared<WindowProc>(std::move(windowProc))});
    return reinterpret_cast<HWND>(key);
}

void DeallocateHWnd(HWND hwnd)
{
    if (!hwnd)
        return;
    std::lock_guard<std::mutex> guard(Lock());
    Forget(Key(hwnd));
}

bool IsWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> guard(Lock());
    return FindWindow(hwnd) != nullptr;
}

bool SetWindowProc(HWND hwnd, WindowProc windowProc)
{
    std::lock_guard<std::mutex> guard(Lock());
    Window* window = FindWindow(hwnd);
    if (!window)
        return false;
    // A call running the old procedure keeps its own reference to it.
    window->proc = std::make_shared<WindowProc>(std::move(windowProc));
    return true;
}

MessageQueue* QueueOfWindow(HWND hwnd)
{
    std::lock_guard<std::mutex> guard(Lock());
    Window* window = FindWindow(hwnd);
    return window ? window->queue->queue : nullptr;
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock<std::mutex> lock(Lock());
    Window* window = FindWindow(hwnd);
    if (!window)
        return false;
    std::shared_ptr<QueueState> state = window->queue;
    state->posted.push_back(MSG{hwnd, message, wParam, lParam});
    Wake(lock, *state);
    return true;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock<std::mutex> lock(Lock());
    Window* window = FindWindow(hwnd);
    if (!window)
        return 0;
    std::shared_ptr<QueueState> target = window->queue;
    if (target->owner == std::this_thread::get_id()) {
        std::shared_ptr<WindowProc> proc = window->proc;
        lock.unlock();
        return *proc ? (*proc)(message, wParam, lParam) : 0;
    }

    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    // A sender with a queue of its own keeps handling what is sent to it while
    // it waits, so two threads sending to each other cannot lock up.
    std::shared_ptr<QueueState> own = t_current ? t_current->Internal() : nullptr;
    sent->notify = own ? &own->cv : &sent->ownCv;
    target->sent.push_back(sent);
    Wake(lock, *target);
    lock.lock();
    while (!sent->done) {
        if (own && !own->sent.empty()) {
            HandleSent(lock, *own);
            continue;
        }
        sent->notify->wait(lock);
    }
    return sent->result;
}

LRESULT DispatchMessage(const MSG& msg)
{
    std::unique_lock<std::mutex> lock(Lock());
    Window* window = FindWindow(msg.hwnd);
    if (!window)
        return 0;
    std::shared_ptr<WindowProc> proc = window->proc;
    lock.unlock();
    return *proc ? (*proc)(msg.message, msg.wParam, msg.lParam) : 0;
}

void PostQuitMessage(int exitCode)
{
    if (t_current)
        t_current->Quit(exitCode);
}

UINT RegisterWindowMessage(std::string_view name)
{
    if (name.empty())
        return 0;
    std::lock_guard<std::mutex> guard(Lock());
    Table& table = Handles();
    std::string key = UpperCase(name);
    auto it = table.registered.find(key);
    if (it != table.registered.end())
        return it->second;
    if (table.nextRegistered > 0xFFFF)
        return 0;
    UINT number = table.nextRegistered++;
    table.registered.emplace(std::move(key), number);
    return number;
}

int PumpPending(MessageQueue& queue)
{
    int count = 0;
    MSG msg;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(Lock());
            if (FetchOnce(lock, *queue.Internal(), msg, FetchMode::RemoveLeaveQuit) != GetResult::Message)
                return count;
        }
        DispatchMessage(msg);
        ++count;
    }
}
