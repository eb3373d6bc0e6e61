#include "win32/messages.h"

struct MessageQueue::State {};
MessageQueue::MessageQueue() : state_(std::make_shared<State>()) {}
MessageQueue::~MessageQueue() = default;
MessageQueue* MessageQueue::Current() { return nullptr; }
std::thread::id MessageQueue::OwnerThread() const { return {}; }
bool MessageQueue::Post(const MSG&) { return false; }
bool MessageQueue::Get(MSG&) { return false; }
GetResult MessageQueue::Get(MSG&, std::uint32_t) { return GetResult::Timeout; }
bool MessageQueue::Peek(MSG&, bool) { return false; }
void MessageQueue::Quit(int) {}
bool MessageQueue::QuitPosted() const { return false; }
std::size_t MessageQueue::Pending() const { return 0; }
void MessageQueue::SetWakeup(std::function<void()>) {}
HWND AllocateHWnd(MessageQueue&, WindowProc) { return nullptr; }
void DeallocateHWnd(HWND) {}
bool IsWindow(HWND) { return false; }
bool SetWindowProc(HWND, WindowProc) { return false; }
MessageQueue* QueueOfWindow(HWND) { return nullptr; }
bool PostMessage(HWND, UINT, WPARAM, LPARAM) { return false; }
LRESULT SendMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
LRESULT DispatchMessage(const MSG&) { return 0; }
void PostQuitMessage(int) {}
UINT RegisterWindowMessage(std::string_view) { return 0; }
int PumpPending(MessageQueue&) { return 0; }
