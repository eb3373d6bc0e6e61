#pragma once
// Window handles and window messages: one FIFO queue per GUI thread, a
// process-wide table of handles, and the post/send/dispatch calls that the
// framework and worker threads use to talk to windows.
//
// Handles are never reused: a message posted late to a destroyed window is
// dropped, never delivered to whatever window came after it.
#include "win32/export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

struct HWND__;
using HWND = HWND__*;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// WM_SYSCOMMAND codes (the low four bits of WPARAM are the system's own).
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

using WindowProc = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

enum class GetResult { Message, Quit, Timeout };

// The message queue of one GUI thread. Posting is thread-safe from any
// thread; getting, peeking and dispatching belong to the owner thread (the one
// that constructed the queue). Messages sent from other threads are handled
// inside Get/Peek on the owner thread, before posted messages.
class WIN32_API MessageQueue {
public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // The queue made on the calling thread (nullptr when it has none).
    static MessageQueue* Current();
    std::thread::id OwnerThread() const;

    // Appends a message; a message for a dead handle is dropped (false).
    // hwnd 0 makes a thread message, retrieved but never dispatched to a window.
    bool Post(const MSG& msg);
    // GetMessage: waits for the next message; false when it is WM_QUIT.
    bool Get(MSG& msg);
    // Waits at most timeoutMs (real time) for a message.
    GetResult Get(MSG& msg, std::uint32_t timeoutMs);
    // PeekMessage: true when a message is there; removes it when remove is set.
    bool Peek(MSG& msg, bool remove = true);
    // PostQuitMessage: WM_QUIT (wParam = exitCode) comes once every message
    // posted before it has been retrieved.
    void Quit(int exitCode);
    bool QuitPosted() const;
    // Number of messages waiting: posted ones and those sent from other
    // threads (WM_QUIT not counted).
    std::size_t Pending() const;

    // Called after every post and send to this queue, from the posting thread
    // (the GUI backend wakes its event loop with it). Never call back into the
    // queue's waiting functions from the hook.
    void SetWakeup(std::function<void()> wakeup);

    struct State;
    const std::shared_ptr<State>& Internal() const { return state_; }

private:
    std::shared_ptr<State> state_;
};

// Handles bound to a queue; the window procedure runs on the queue's thread.
WIN32_API HWND AllocateHWnd(MessageQueue& queue, WindowProc windowProc);
// Destroys the handle: queued messages for it are discarded, senders waiting
// on it get 0. Safe from inside its own window procedure.
WIN32_API void DeallocateHWnd(HWND hwnd);
WIN32_API bool IsWindow(HWND hwnd);
// Replaces the procedure of a live handle (false for a dead one).
WIN32_API bool SetWindowProc(HWND hwnd, WindowProc windowProc);
// The queue a live handle belongs to (nullptr for a dead one).
WIN32_API MessageQueue* QueueOfWindow(HWND hwnd);

// Thread-safe; false (message dropped) for 0 or a dead handle.
WIN32_API bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// On the owner thread: a direct call. From another thread: queued for the
// owner, which handles it while it gets or peeks messages; the caller waits
// (handling messages sent to its own queue meanwhile) and gets 0 when the
// handle dies first. 0 for 0 or a dead handle.
WIN32_API LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the procedure of msg.hwnd; 0 for thread messages and dead handles.
WIN32_API LRESULT DispatchMessage(const MSG& msg);
// Quit for the calling thread's queue (ignored on a thread without one).
WIN32_API void PostQuitMessage(int exitCode);

// One stable number per name, case-insensitive, from 0xC000 up; 0 for an
// empty name or when the range is used up.
WIN32_API UINT RegisterWindowMessage(std::string_view name);

// For tests and modal loops: retrieves and dispatches every message queued
// (also those the handlers post meanwhile), leaving WM_QUIT in place.
// Answers how many were dispatched.
WIN32_API int PumpPending(MessageQueue& queue);
