#pragma once
// The IVideoWindow calls as a list, for classes that pass every one on.
#define KELDARA_VIDEO_WINDOW_METHODS(X)                                                           \
    X(put_Caption, (BSTR a), (a))                                                                 \
    X(get_Caption, (BSTR * a), (a))                                                               \
    X(put_WindowStyle, (LONG a), (a))                                                             \
    X(get_WindowStyle, (LONG * a), (a))                                                           \
    X(put_WindowStyleEx, (LONG a), (a))                                                           \
    X(get_WindowStyleEx, (LONG * a), (a))                                                         \
    X(put_AutoShow, (LONG a), (a))                                                                \
    X(get_AutoShow, (LONG * a), (a))                                                              \
    X(put_WindowState, (LONG a), (a))                                                             \
    X(get_WindowState, (LONG * a), (a))                                                           \
    X(put_BackgroundPalette, (LONG a), (a))                                                       \
    X(get_BackgroundPalette, (LONG * a), (a))                                                     \
    X(put_Visible, (LONG a), (a))                                                                 \
    X(get_Visible, (LONG * a), (a))                                                               \
    X(put_Left, (LONG a), (a))                                                                    \
    X(get_Left, (LONG * a), (a))                                                                  \
    X(put_Width, (LONG a), (a))                                                                   \
    X(get_Width, (LONG * a), (a))                                                                 \
    X(put_Top, (LONG a), (a))                                                                     \
    X(get_Top, (LONG * a), (a))                                                                   \
    X(put_Height, (LONG a), (a))                                                                  \
    X(get_Height, (LONG * a), (a))                                                                \
    X(put_Owner, (OAHWND a), (a))                                                                 \
    X(get_Owner, (OAHWND * a), (a))                                                               \
    X(put_MessageDrain, (OAHWND a), (a))                                                          \
    X(get_MessageDrain, (OAHWND * a), (a))                                                        \
    X(get_BorderColor, (LONG * a), (a))                                                           \
    X(put_BorderColor, (LONG a), (a))                                                             \
    X(get_FullScreenMode, (LONG * a), (a))                                                        \
    X(put_FullScreenMode, (LONG a), (a))                                                          \
    X(SetWindowForeground, (LONG a), (a))                                                         \
    X(NotifyOwnerMessage, (OAHWND a, LONG b, LONG_PTR c, LONG_PTR d), (a, b, c, d))              \
    X(SetWindowPosition, (LONG a, LONG b, LONG c, LONG d), (a, b, c, d))                         \
    X(GetWindowPosition, (LONG * a, LONG * b, LONG * c, LONG * d), (a, b, c, d))                 \
    X(GetMinIdealImageSize, (LONG * a, LONG * b), (a, b))                                         \
    X(GetMaxIdealImageSize, (LONG * a, LONG * b), (a, b))                                         \
    X(GetRestorePosition, (LONG * a, LONG * b, LONG * c, LONG * d), (a, b, c, d))                \
    X(HideCursor, (LONG a), (a))                                                                  \
    X(IsCursorHidden, (LONG * a), (a))

#define KELDARA_VW_DECLARE(name, params, args) HRESULT STDMETHODCALLTYPE name params override;
