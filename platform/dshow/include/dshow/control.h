#pragma once
// The application-side interfaces of a graph, in slot order after IDispatch.
#include "dshow/interfaces.h"

using OAHWND = LONG_PTR;          // a window handle (win32 HWND) as a number
using OAEVENT = LONG_PTR;         // a TEvent* (rtl/syncobjs.h) as a number
using OAFilterState = LONG;       // FILTER_STATE

class IMediaControl : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    // VFW_S_STATE_INTERMEDIATE while a change has not finished within the time-out.
    virtual HRESULT STDMETHODCALLTYPE GetState(LONG timeoutMs, OAFilterState* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenderFile(BSTR file) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR file, IDispatch** filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** collection) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** collection) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopWhenReady() = 0;

protected:
    ~IMediaControl() = default;
};

class IMediaEvent : public IDispatch {
public:
    // A manual-reset event set while events are queued.
    virtual HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* event) = 0;
    // E_ABORT when nothing arrives within the time-out.
    virtual HRESULT STDMETHODCALLTYPE GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
    // Waits for EC_COMPLETE, EC_ERRORABORT or EC_USERABORT; E_ABORT on time-out.
    virtual HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG timeoutMs, LONG* code) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG code) = 0;
    virtual HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG code) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;

protected:
    ~IMediaEvent() = default;
};

constexpr LONG AM_MEDIAEVENT_NONOTIFY = 0x01;

class IMediaEventEx : public IMediaEvent {
public:
    // Each queued event posts message (WPARAM 0, LPARAM instance) to the window; 0 stops it.
    virtual HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNotifyFlags(LONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNotifyFlags(LONG* flags) = 0;

protected:
    ~IMediaEventEx() = default;
};

// Positions in seconds.
class IMediaPosition : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE get_Duration(REFTIME* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CurrentPosition(REFTIME time) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentPosition(REFTIME* time) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StopTime(REFTIME* time) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StopTime(REFTIME time) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PrerollTime(REFTIME* time) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PrerollTime(REFTIME time) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Rate(double rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Rate(double* rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE CanSeekForward(LONG* can) = 0;
    virtual HRESULT STDMETHODCALLTYPE CanSeekBackward(LONG* can) = 0;

protected:
    ~IMediaPosition() = default;
};

// Window styles the program gives the video window.
constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_CLIPCHILDREN = 0x02000000;
constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

class IVideoWindow : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* caption) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG style) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG* style) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG style) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG* style) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoShow(LONG autoShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoShow(LONG* autoShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowState(LONG state) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowState(LONG* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG palette) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG* palette) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(LONG visible) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Visible(LONG* visible) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Left(LONG left) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Left(LONG* left) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Width(LONG width) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Width(LONG* width) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Top(LONG top) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Top(LONG* top) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Height(LONG height) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Height(LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Owner(OAHWND* owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND drain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND* drain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BorderColor(LONG* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BorderColor(LONG color) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG focus) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam,
                                                         LONG_PTR lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG left, LONG top, LONG width, LONG height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideCursor(LONG hide) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG* hidden) = 0;

protected:
    ~IVideoWindow() = default;
};

// IDispatch slots of the classes here: none of them is scriptable.
#define DECLARE_NO_DISPATCH                                                                               \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override                                    \
    {                                                                                                   \
        if (count) *count = 0;                                                                          \
        return E_NOTIMPL;                                                                               \
    }                                                                                                   \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, DWORD, void**) override { return E_NOTIMPL; }           \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, DWORD, LONG*) override             \
    {                                                                                                   \
        return E_NOTIMPL;                                                                               \
    }                                                                                                   \
    HRESULT STDMETHODCALLTYPE Invoke(LONG, REFIID, DWORD, WORD, void*, void*, void*, UINT*) override    \
    {                                                                                                   \
        return E_NOTIMPL;                                                                               \
    }
